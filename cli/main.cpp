#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

#ifdef BRIMALOX_WITH_NEC
#include "nec/nec_commands.h"
#endif

int main(int argc, char** argv) {
    // Output goes out in large blocks; C stdio is not used, so the streams need not stay in step with it.
    std::ios::sync_with_stdio(false);
    brimalox::cli::Program program(std::cout, std::cerr, std::cin);
#ifdef BRIMALOX_WITH_NEC
    brimalox::nec::addNecCommands(program.app());
#endif
    return program.run(argc, argv);
}
