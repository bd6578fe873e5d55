// spindisk make's whole road as one function: an input file's bytes and the
// choices in; the output file's bytes, the findings, the facts for the
// summary and the boot verdict out. It reads and writes no file and prints
// nothing, so the command line and a web page run the same code: read the
// program, describe the image, build it, read it back, judge the findings,
// boot it on the simulated machine, encode the chosen disk file format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/boot_verdict.h"
#include "disk/disk_file.h"  // DiskFileKind: the output's format
#include "disk/image_reader.h"
#include "image/geometry.h"
#include "image/image_options.h"
#include "program/program_input.h"
#include "sim/boot_run.h"

struct MakeOptions {
    std::string input_name;  // for messages only
    InputFormat input_format = InputFormat::automatic;
    bool has_load = false;
    uint16_t load_address = 0;
    bool has_start = false;
    uint16_t start_address = 0;
    DiskFormat disk = DiskFormat::mini;
    bool has_label = false;
    std::vector<uint8_t> label;  // one byte per character, as SpinLoad's -n
    bool boot_track = false;     // the input is the boot track's own code, run at $2200
    LoaderKind loader = LoaderKind::standard;  // the loader track 0 carries (not with boot_track)
    DiskFileKind output_kind = DiskFileKind::image;  // .65d, .hfe, .os5 / .os8
    bool verify = true;
    bool allow_errors = false;   // write despite error-level findings, as warnings
};

enum class MakeStatus { ok, bad_usage, failed };
enum class FindingLevel { note, warning, error };

struct MakeFinding {
    FindingLevel level;
    std::string code;     // the image reader's code, or "label" / "start" for make's own
    std::string message;  // one sentence for a person
};

struct MakeResult {
    MakeStatus status = MakeStatus::failed;
    std::string error;                  // when not ok: one line, for "spindisk: <error>"
    bool refused_findings = false;      // failed on error-level findings (--allow-errors writes)
    bool refused_boot = false;          // failed the boot (--no-verify writes)
    std::vector<MakeFinding> findings;  // in order; error-level ones refused the write
    InputFormat input_format = InputFormat::raw;  // as read (detected or given)
    Program program;
    uint16_t start_address = 0;
    ImageOptions image_options;
    ImageFacts facts;                   // the built image, read back
    bool verified = false;              // booted, started, program intact
    BootReport boot;                    // when verification ran
    ProgramCheck check;
    std::vector<uint8_t> output;        // the whole output file, when ok
};

MakeResult make_disk(const uint8_t* bytes, size_t size, const MakeOptions& options);

// The largest program a label stays whole with: the terminator must end
// before the directory track: 10 data tracks of 2045 bytes on 5.25-inch.
size_t largest_program_keeping_label(const DiskGeometry& geometry);
