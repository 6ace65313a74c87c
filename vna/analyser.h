#pragma once
// A NanoVNA-class analyser's sweep, as a conversation: fed the bytes the analyser sends, it answers
// with the bytes to send it and how long to wait for more, and at the end holds the sweep. It knows
// no port: each front-end carries the bytes (a POSIX terminal, Qt Serial Port, Web Serial).
//
// Two protocols: the NanoVNA's text shell (NanoVNA, -H, -H4, -F: a "ch> " prompt, commands ending in
// CR, answers in CRLF lines) and the V2's binary registers (V2, V2Plus4, LiteVNA). A CR alone tells
// them apart: the shell answers with its prompt, the V2 with "2". The analyser must be calibrated at
// the plane it measures; the sweep is its calibrated reflection coefficient.

#include <chrono>
#include <complex>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brimalox::vna {

// How a sweep failed, each in words of its own.
enum class Failure {
    NoAnswer,       // nothing came back within the wait
    NotAnAnalyser,  // what came back is neither protocol
    Refused,        // the analyser refused a command: its own text
    CutShort,       // the sweep stopped before its last point
    OutOfOrder,     // a point came that does not follow the one before
    NotANumber,     // a value that is not a number
};

class VnaError : public std::runtime_error {
public:
    VnaError(Failure failure, const std::string& what) : std::runtime_error(what), failure_(failure) {}
    Failure failure() const { return failure_; }

private:
    Failure failure_;
};

// What to sweep: integer hertz, as the analysers take them.
struct SweepPlan {
    std::uint64_t startHz = 0, stopHz = 0;
    int points = 101;
};

struct Sweep {
    std::string analyser;  // the kind and what it says of itself ("NanoVNA-H, firmware 1.2.20")
    std::vector<double> hz;
    std::vector<std::complex<double>> s11;
};

// What the front-end does next: send these bytes (perhaps none), then wait this long for the
// analyser's next bytes; or the conversation is over and the sweep is held.
struct Step {
    std::string send;
    std::chrono::milliseconds wait{0};
    bool done = false;
};

class Conversation {
public:
    virtual ~Conversation() = default;
    virtual Step start() = 0;
    // Bytes that came in; throws VnaError.
    virtual Step received(std::string_view bytes) = 0;
    // The wait ran out with nothing more; throws VnaError where that ends the sweep.
    virtual Step silence() = 0;
    virtual const Sweep& sweep() const = 0;
};

// A sweep of either kind: first a CR to learn which one answers.
std::unique_ptr<Conversation> sweepConversation(const SweepPlan& plan);
// A sweep in one protocol, the probe already done (what the fuzz targets and the tests feed).
std::unique_ptr<Conversation> shellConversation(const SweepPlan& plan);
std::unique_ptr<Conversation> binaryConversation(const SweepPlan& plan);

// The bytes' path, for a front-end whose port reads with a time limit.
class Port {
public:
    virtual ~Port() = default;
    virtual void write(std::string_view bytes) = 0;
    // What arrived within the wait; empty when nothing did. Throws VnaError or std::runtime_error
    // (the port's own failures: unplugged, closed).
    virtual std::string read(std::chrono::milliseconds wait) = 0;
};

// Runs the conversation over the port to its end.
Sweep run(Conversation& conversation, Port& port);

// The analysers by their USB ids.
struct UsbKind {
    std::uint16_t vendor, product;
    const char* name;
};
const std::vector<UsbKind>& usbKinds();

// A one-port Touchstone file of the sweep ("# Hz S RI R 50"), with the analyser, the time and the
// calibration it rests on in comments.
std::string touchstoneText(const Sweep& sweep, const std::string& when);

}  // namespace brimalox::vna
