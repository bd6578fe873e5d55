// SpinLoad's entry point: hands the arguments to run() and returns its status.
#include <string>
#include <vector>

#include "cli/run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return run(args);
}
