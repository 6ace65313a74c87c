// One command of the command line on a bare CLI::App, run inside the test's process.
#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/tests/run_cli.h"

namespace brimalox::clitest {

// add(app, out, err) puts the command on the app, as the program does.
template <class AddCommand>
Outcome runCommand(AddCommand add, std::vector<std::string> args) {
    CLI::App app("test", "brimalox-cli");
    app.require_subcommand(1);
    std::ostringstream out, err;
    add(app, out, err);
    const std::vector<const char*> argv = argvOf(args);
    Outcome outcome;
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::RuntimeError& e) {
        outcome.status = e.get_exit_code();
    } catch (const CLI::ParseError& e) {
        outcome.status = -1;
        err << e.what();
    }
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

}  // namespace brimalox::clitest
