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

int run(const std::vector<std::string>& args) {
    const ParseResult parsed = parse_arguments(args);
    switch (parsed.outcome) {
        case ParseOutcome::no_arguments:
        case ParseOutcome::missing_load_address:
            print_to(stderr, MISSING_LOAD_ADDRESS_MESSAGE);
            return STATUS_FAILED;
        case ParseOutcome::unknown_argument:
            print_to(stderr, " Unknown argument:" + parsed.unknown_argument + "\r\n");
            print_to(stdout, USAGE_TEXT);
            return STATUS_FAILED;
        case ParseOutcome::no_input:
            print_to(stdout, USAGE_TEXT);
            return STATUS_OK;
        case ParseOutcome::ready:
            break;
    }
    ImageOptions options = parsed.options;
    const DiskGeometry& geometry = geometry_for(options.format);

    // Reading one byte past the loader limit is enough to know "too big".
    const uint64_t loader_limit = max_input_loader(geometry);
    InputFile input;
    const InputStatus opened = open_and_measure_input(options.input_path, loader_limit + 1, input);
    if (opened == InputStatus::cannot_open) {
        report("Can't open '" + options.input_path + "' for input.");
        return STATUS_CANNOT_OPEN_INPUT;
    }
    if (opened == InputStatus::read_failed) {
        report("Can't read '" + options.input_path + "'.");
        return STATUS_FAILED;
    }
    if (input.size > loader_limit || (options.raw_boot && input.size > max_input_raw(geometry))) {
        report("input file is too big for floppy image!");
        return STATUS_FAILED;
    }
    if (input.size == 0) {
        report("input file is empty!");
        return STATUS_FAILED;
    }
    // The whole input is in memory before the output is touched, so an input
    // that is also the output (x.65d -o) is read intact.
    if (read_input(input) != InputStatus::ok) {
        report("Can't read '" + options.input_path + "'.");
        return STATUS_FAILED;
    }

    const std::string output_name =
        options.has_output_path ? options.output_path : derive_output_name(options.input_path);
    OutputFile output;
    switch (open_output(output_name, options.overwrite, output)) {
        case OutputOpen::exists:
            report("Target file '" + output_name + "' exists. Use -o to overwrite");
            return STATUS_FAILED;
        case OutputOpen::cannot_open:
            report("Can't open '" + output_name + "' for output.");
            return STATUS_FAILED;
        case OutputOpen::ok:
            break;
    }

    DiskImage image;
    if (!allocate_image(geometry, image)) {
        report("Can't allocate memory!");
        return STATUS_FAILED;  // the output's owner removes what this run created
    }
    build_image(options, geometry, input.bytes, image);
    if (!finish_output(output, image.bytes.get(), image.size)) {
        report("Can't write '" + output_name + "'.");
        return STATUS_FAILED;
    }
    return STATUS_OK;
}
