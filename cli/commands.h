#pragma once
// The brimalox-cli program: its subcommands on a CLI11 app, run with chosen output streams so the
// tests can run it in-process. Exit status: 0 done, 1 a design failed, 2 a usage error.

#include <iosfwd>
#include <memory>

namespace CLI {
class App;
}

namespace brimalox::cli {

inline constexpr int kExitDesignFailed = 1;
inline constexpr int kExitUsage = 2;

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
