// The page's door into the toolkit: plain C functions over the library code,
// exported from the WebAssembly module and called from the page's script.
// They only marshal: bytes and strings in, a result (bytes and one JSON
// object) out; the work is the libraries'. Every result and machine the
// page gets it hands back to the matching *_free.
#pragma once

#include <cstddef>
#include <cstdint>

struct WebResult;
struct WebMachine;

extern "C" {

// A result: bytes (a disk file; may be empty) and a JSON report, always an
// object with "ok" and, when not ok, "error" (a sentence for a person).
const uint8_t* web_result_bytes(const WebResult* result);
size_t web_result_size(const WebResult* result);
const char* web_result_json(const WebResult* result);
void web_result_free(WebResult* result);

// spindisk make in the page: a program file (name for messages and the
// output's name) and the page's fields, as make's options: input format
// ("auto", "raw", "65v", "cc65", "ihex", "srec"), load and start address
// texts (empty: not given), 5 or 8 inches, a label (empty: the default),
// the loader ("standard", "fast", as --loader; or "boot-track": the file
// is the boot track's own code), allow errors, and the output format ("65d", "hfe", "osi"). The bytes are what spindisk make writes, empty when it refuses;
// the JSON holds the findings, the summary, the image's listing and the
// verification boot's report.
WebResult* web_make_disk(const uint8_t* input, size_t size, const char* input_name, const char* input_format,
                         const char* load, const char* start, int disk_inches, const char* label, const char* loader,
                         int allow_errors, const char* output_format);

// What is on a disk file (.65d, HFE, osiemu bit stream): spindisk list's
// JSON under "listing", its text under "text", and where a decoded disk's
// bytes came from under "source" (empty for a .65d). name is the file's, for messages.
WebResult* web_list_disk(const uint8_t* bytes, size_t size, const char* name);

// The machines a user can pick (spindisk boot's --machine): JSON
// {"ok":true,"machines":[{"name","summary","disk"}...]}.
WebResult* web_machines();

// A machine with the disk in its drive, powered on: the named one (empty:
// the disk's own, c1p or c3). Always a machine to free; when
// web_machine_error is not empty, it says why there is none to run, and
// only web_machine_free may follow.
WebMachine* web_machine_boot(const uint8_t* bytes, size_t size, const char* name, const char* machine_name);
const char* web_machine_error(const WebMachine* machine);
// How the boot goes, worked out ahead: spindisk boot's JSON report, whose
// "seconds" say when the live machine gets there.
const char* web_machine_boot_json(const WebMachine* machine);
// Runs about this many CPU cycles; 0 once the CPU has stopped.
int web_machine_run(WebMachine* machine, double cycles);
// The clock the machine runs at, for real-time pacing.
double web_machine_cpu_hz(const WebMachine* machine);
// Types text on the keyboard as spindisk boot's --keys does ("\r" Return,
// "\e" Escape, "\\" a backslash), each key pressed when the program next
// polls; 0 (nothing typed) when the keyboard cannot type a character.
int web_machine_type(WebMachine* machine, const char* text);
// The head and each track's read so far, the CPU's state and the keys
// still to type, as JSON.
const char* web_machine_state_json(WebMachine* machine);
// The screen the machine's monitor shows: rows of text (printable ASCII,
// '.' for anything else, one row per line), and the same drawn as RGBA
// pixels of width x height.
const char* web_machine_screen_text(WebMachine* machine);
const uint8_t* web_machine_screen_pixels(WebMachine* machine);
int web_machine_screen_width(const WebMachine* machine);
int web_machine_screen_height(const WebMachine* machine);
void web_machine_free(WebMachine* machine);
}
