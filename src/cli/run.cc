// The one place that prints SpinLoad's messages and picks its exit status.
#include "cli/run.h"

#include <cstdio>

#include "cli/options.h"
#include "fileio/input_file.h"
#include "fileio/output_file.h"
#include "fileio/paths.h"
#include "image/image_builder.h"

namespace {

constexpr int STATUS_OK = 0;
constexpr int STATUS_FAILED = 1;
constexpr int STATUS_CANNOT_OPEN_INPUT = -1;
constexpr size_t EXTENSION_SEARCH = 4;
const char IMAGE_EXTENSION[] = ".65d";

void print_to(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void report(const std::string& message) { print_to(stderr, "SpinLoad: " + message + "\r\n"); }

}  // namespace

std::string derive_output_name(const std::string& input_name) {
    const size_t length = input_name.size();
    const size_t stop = length > EXTENSION_SEARCH ? length - EXTENSION_SEARCH : 0;
    for (size_t i = length; i > stop; i--) {
        const char c = input_name[i - 1];
        if (is_path_separator(c)) break;  // a dot in a directory name is no extension
        if (c == '.') return input_name.substr(0, i - 1) + IMAGE_EXTENSION;
    }
    return input_name + IMAGE_EXTENSION;
}

namespace {

// Each step of a run returns true to go on, or false with the run's exit
// status set, its message already printed.

bool parse_command_line(const std::vector<std::string>& args, ImageOptions& options, int& status) {
    const ParseResult parsed = parse_arguments(args);
    switch (parsed.outcome) {
        case ParseOutcome::no_arguments:
        case ParseOutcome::missing_load_address:
            print_to(stderr, MISSING_LOAD_ADDRESS_MESSAGE);
            status = STATUS_FAILED;
            return false;
        case ParseOutcome::unknown_argument:
            print_to(stderr, " Unknown argument:" + parsed.unknown_argument + "\r\n");
            print_to(stdout, USAGE_TEXT);
            status = STATUS_FAILED;
            return false;
        case ParseOutcome::no_input:
            print_to(stdout, USAGE_TEXT);
            status = STATUS_OK;
            return false;
        case ParseOutcome::ready:
            break;
    }
    options = parsed.options;
    return true;
}

bool fail(const std::string& message, int failure, int& status) {
    report(message);
    status = failure;
    return false;
}

// Opens the input, checks its size against the disk and reads it whole.
bool read_checked_input(const ImageOptions& options, const DiskGeometry& geometry, InputFile& input, int& status) {
    // Reading one byte past the loader limit is enough to know "too big".
    const uint64_t loader_limit = max_input_loader(geometry);
    const InputStatus opened = open_and_measure_input(options.input_path, loader_limit + 1, input);
    if (opened == InputStatus::cannot_open) {
        return fail("Can't open '" + options.input_path + "' for input.", STATUS_CANNOT_OPEN_INPUT, status);
    }
    if (opened == InputStatus::read_failed) return fail("Can't read '" + options.input_path + "'.", STATUS_FAILED, status);
    if (input.size > loader_limit || (options.raw_boot && input.size > max_input_raw(geometry))) {
        return fail("input file is too big for floppy image!", STATUS_FAILED, status);
    }
    if (input.size == 0) return fail("input file is empty!", STATUS_FAILED, status);
    // The whole input is in memory before the output is touched, so an input
    // that is also the output (x.65d -o) is read intact.
    if (read_input(input) != InputStatus::ok) {
        return fail("Can't read '" + options.input_path + "'.", STATUS_FAILED, status);
    }
    return true;
}

std::string exists_message(const std::string& output_name) {
    return "Target file '" + output_name + "' exists. Use -o to overwrite";
}

bool open_image_output(const std::string& output_name, bool overwrite, OutputFile& output, int& status) {
    switch (open_output(output_name, overwrite, output)) {
        case OutputOpen::exists:
            return fail(exists_message(output_name), STATUS_FAILED, status);
        case OutputOpen::cannot_open:
            return fail("Can't open '" + output_name + "' for output.", STATUS_FAILED, status);
        case OutputOpen::ok:
            break;
    }
    return true;
}

bool build_disk_image(const ImageOptions& options, const DiskGeometry& geometry, const ProgramBytes& program,
                      DiskImage& image, int& status) {
    // On failure the output's owner removes what this run created.
    if (!allocate_image(geometry, image)) return fail("Can't allocate memory!", STATUS_FAILED, status);
    build_image(options, geometry, program, image);
    return true;
}

// A name that appeared while the image was written is left alone, as if it
// had been there from the start.
int write_image(OutputFile& output, const std::string& output_name, const DiskImage& image) {
    if (finish_output(output, image.bytes.get(), image.size)) return STATUS_OK;
    report(output.name_taken ? exists_message(output_name) : "Can't write '" + output_name + "'.");
    return STATUS_FAILED;
}

}  // namespace

int run(const std::vector<std::string>& args) {
    int status = STATUS_OK;
    ImageOptions options;
    if (!parse_command_line(args, options, status)) return status;
    const DiskGeometry& geometry = geometry_for(options.format);
    InputFile input;
    if (!read_checked_input(options, geometry, input, status)) return status;
    const std::string output_name =
        options.has_output_path ? options.output_path : derive_output_name(options.input_path);
    OutputFile output;
    if (!open_image_output(output_name, options.overwrite, output, status)) return status;
    DiskImage image;
    if (!build_disk_image(options, geometry, input.bytes, image, status)) return status;
    return write_image(output, output_name, image);
}
