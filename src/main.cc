// SpinLoad's entry point: hands the arguments to run() and returns its status.
#include "cli/platform_args.h"
#include "cli/run.h"

int main(int argc, char** argv) {
    return run(platform_arguments(argc, argv));
}
