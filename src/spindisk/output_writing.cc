// The one way spindisk's commands write a file and word its failures.
#include "spindisk/output_writing.h"

#include "disk/disk_file.h"
#include "fileio/output_file.h"

std::string write_output_file(const std::string& name, bool force, const std::vector<uint8_t>& bytes) {
    OutputFile output;
    switch (open_output(name, force, output)) {
        case OutputOpen::exists:
            return quoted_name(name) + " exists (use --force to overwrite)";
        case OutputOpen::cannot_open:
            return "cannot open " + quoted_name(name) + " for writing";
        case OutputOpen::ok:
            break;
    }
    if (!finish_output(output, bytes.data(), bytes.size())) return "cannot write " + quoted_name(name);
    return "";
}
