// The one way spindisk's commands write a file and word its failures.
#include "spindisk/output_writing.h"

#include "disk/disk_file.h"
#include "fileio/output_file.h"

std::string write_output_file(const std::string& name, bool force, const std::vector<uint8_t>& bytes) {
    OutputFile output;
    const std::string exists = quoted_name(name) + " exists (use --force to overwrite)";
    switch (open_output(name, force, output)) {
        case OutputOpen::exists:
            return exists;
        case OutputOpen::cannot_open:
            return "cannot open " + quoted_name(name) + " for writing";
        case OutputOpen::ok:
            break;
    }
    // A name that appeared while the file was written is left alone, as if
    // it had been there from the start.
    if (!finish_output(output, bytes.data(), bytes.size())) {
        return output.name_taken ? exists : "cannot write " + quoted_name(name);
    }
    return "";
}
