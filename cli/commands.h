#pragma once
// The brimalox-cli program: its subcommands on a CLI11 app, run with chosen output streams so the
// tests can run it in-process. Exit status: 0 done, 1 a design failed, 2 a usage error.

#include <iosfwd>
#include <memory>
#include <string>

#include "app/road.h"

namespace CLI {
class App;
}

namespace brimalox::cli {

inline constexpr int kExitDesignFailed = 1;
inline constexpr int kExitUsage = 2;

// The message for a design that failed: the frequency, the button, the step, the kind of failure and
// what is wrong with the value given; one line, ended.
std::string designFailureLine(const DesignRequest& request, const DesignResult& result);

class Program {
public:
    Program(std::ostream& out, std::ostream& err, std::istream& in);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    int run(int argc, const char* const* argv);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace brimalox::cli
