#pragma once
// The one thing the model asks of a NEC-2 engine: run this deck, give back what nec2c printed. The
// command line's engine is the nec2c program in a child process; the page's is nec2c compiled to
// WebAssembly, a fresh instance for each run.

#include <functional>
#include <string>

namespace brimalox::nec {

// How long one nec2c run may take before it is stopped, in every front-end: nec2c never ends on some
// degenerate geometries, and the slowest real run (a design over real ground with its patterns)
// takes a few seconds, so two minutes stops only what would never end.
inline constexpr int kTimeLimitSeconds = 120;

// Told, as a run goes, how many of its deck's frequencies are done.
using FrequenciesDone = std::function<void(int done)>;

class Engine {
public:
    virtual ~Engine() = default;
    // nec2c's output file for the deck. Throws NecError when the engine fails or rejects the deck.
    virtual std::string run(const std::string& deck, const FrequenciesDone& progress) = 0;
};

}  // namespace brimalox::nec
