#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
    // Output goes out in large blocks; C stdio is not used, so the streams need not stay in step with it.
    std::ios::sync_with_stdio(false);
    brimalox::cli::Program program(std::cout, std::cerr, std::cin);
    return program.run(argc, argv);
}
