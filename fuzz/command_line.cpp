// The command line on any argument vector: the input's lines up to the first empty one are the
// arguments, the rest is standard input. The program runs in-process with captured streams, in a
// scratch folder, with no nec2c on the PATH; it must end with status 0, 1 or 2, and say why when
// it is not 0.
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/commands.h"
#include "fuzz/fuzz_check.h"

namespace {

using brimalox::fuzz::require;

// Keeps what is written up to a limit, then ends the run: a sweep of ten million designs is a
// valid command, but its output is not worth fuzzing time.
struct OutputLimit {};
class LimitedBuffer : public std::streambuf {
public:
    std::string text;

protected:
    int_type overflow(int_type c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        grow(1);
        text += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        grow(static_cast<std::size_t>(n));
        text.append(s, static_cast<std::size_t>(n));
        return n;
    }

private:
    void grow(std::size_t n) {
        if (text.size() + n > (1u << 20)) throw OutputLimit{};
    }
};

// A scratch folder as the working directory, holding an empty folder as the whole PATH and the
// temporary directory, removed at exit. Arguments with a '/' are not run, so nothing outside it is
// read or written.
std::filesystem::path scratch;
void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}
bool enterScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brimalox-fuzz-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    scratch = pattern;
    std::filesystem::create_directory(scratch / "bin");
    std::filesystem::create_directory(scratch / "tmp");
    std::filesystem::current_path(scratch);
    ::setenv("PATH", (scratch / "bin").c_str(), 1);
    ::setenv("TMPDIR", (scratch / "tmp").c_str(), 1);
    std::atexit(removeScratch);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = enterScratch();
    require(ready, "no scratch folder");

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments{"brimalox-cli"};
    std::size_t pos = 0;
    while (pos < input.size()) {
        const std::size_t end = std::min(input.find('\n', pos), input.size());
        if (end == pos) {
            ++pos;
            break;
        }
        arguments.push_back(input.substr(pos, end - pos));
        pos = end + 1;
        if (arguments.size() > 64) return 0;
    }
    for (const std::string& argument : arguments)
        if (argument.find('/') != std::string::npos) return 0;
    std::istringstream in(input.substr(std::min(pos, input.size())));

    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    LimitedBuffer outBuffer, errBuffer;
    std::ostream out(&outBuffer), err(&errBuffer);
    out.exceptions(std::ios::badbit);
    err.exceptions(std::ios::badbit);

    int status = 0;
    try {
        brimalox::cli::Program program(out, err, in);
        status = program.run(static_cast<int>(argv.size()), argv.data());
    } catch (const OutputLimit&) {
        return 0;
    }
    const std::string story = brimalox::fuzz::shown(input);
    require(status == 0 || status == 1 || status == 2, "an exit status other than 0, 1 or 2", story);
    if (status != 0) require(!errBuffer.text.empty() || !outBuffer.text.empty(), "a failure without a message", story);
    return 0;
}
