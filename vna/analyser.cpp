#include "vna/analyser.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace brimalox::vna {
namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// How long a command may take to be answered, and a sweep to be measured: a NanoVNA sweeps about
// 100 points a second, a V2 several thousand; the waits leave room for a slow USB hub.
constexpr Milliseconds kAnswer = 3000ms;
Milliseconds sweepWait(int points) { return 3000ms + Milliseconds(30) * points; }
// Past this much text with no prompt, what answers is no NanoVNA.
constexpr std::size_t kMostText = 1 << 20;
// Above any analyser's range: a frequency this high is a garbled line.
constexpr double kHighestHz = 1e11;

// What a device sent, quoted for a message: bytes that are not printable escaped, and cut short.
std::string shown(std::string_view bytes, std::size_t most = 24) {
    std::string out;
    for (const unsigned char c : bytes.substr(0, most))
        out += c >= 0x20 && c < 0x7f ? std::string(1, static_cast<char>(c)) : fmt::format("\\x{:02x}", c);
    return "\"" + out + (bytes.size() > most ? "...\"" : "\"");
}

std::optional<double> number(std::string_view word) {
    double value = 0;
    const auto [end, error] = fast_float::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t from = line.find_first_not_of(" \t", at);
        if (from == std::string_view::npos) break;
        std::size_t to = line.find_first_of(" \t", from);
        if (to == std::string_view::npos) to = line.size();
        words.push_back(line.substr(from, to - from));
        at = to;
    }
    return words;
}

// The NanoVNA's shell: info, then scan with the mask for frequency and S11 (or, on firmware whose
// scan has no mask, scan, frequencies and data 0), then resume, which scan leaves paused.
class Shell : public Conversation {
public:
    explicit Shell(const SweepPlan& plan) : plan_(plan) {}
    Step start() override { return send("info", kAnswer); }
    Step received(std::string_view bytes) override;
    Step silence() override;
    const Sweep& sweep() const override { return sweep_; }

private:
    enum class Phase { Info, Scan, PlainScan, Frequencies, Data, Resume, Done };
    Step send(std::string command, Milliseconds wait) {
        command_ = std::move(command);
        wait_ = wait;
        buffer_.clear();
        return {command_ + "\r", wait, false};
    }
    std::string scanCommand(bool masked) const {
        return fmt::format("scan {} {} {}{}", plan_.startHz, plan_.stopHz, plan_.points, masked ? " 3" : "");
    }
    std::vector<std::string> answerLines(std::string_view answer) const;
    Step answered(const std::vector<std::string>& lines);
    void takePoints(const std::vector<std::string>& lines, std::size_t numbers);
    // The analyser's own words as they are where they are plain text, else quoted and escaped.
    static std::string printable(const std::string& line) {
        const bool plain = line.size() <= 100 &&
                           std::all_of(line.begin(), line.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
        return plain ? line : shown(line, 60);
    }
    [[noreturn]] void refused(const std::string& line) const {
        throw VnaError(Failure::Refused, "the analyser refused \"" + command_ + "\": " + printable(line));
    }

    SweepPlan plan_;
    Sweep sweep_;
    Phase phase_ = Phase::Info;
    std::string command_, buffer_;
    Milliseconds wait_{kAnswer};
    std::vector<double> frequencies_;
};

std::vector<std::string> Shell::answerLines(std::string_view answer) const {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at <= answer.size()) {
        std::size_t end = answer.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = answer.size();
        std::string line(answer.substr(at, end - at));
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        at = end + 1;
    }
    if (!lines.empty() && lines.front() == command_) lines.erase(lines.begin());  // the echo
    return lines;
}

Step Shell::received(std::string_view bytes) {
    buffer_ += bytes;
    const std::size_t prompt = buffer_.find("ch> ");
    if (prompt == std::string::npos) {
        if (buffer_.size() > kMostText)
            throw VnaError(Failure::NotAnAnalyser, "the analyser sends more than any sweep holds, with no prompt");
        return {"", wait_, false};
    }
    return answered(answerLines(std::string_view(buffer_).substr(0, prompt)));
}

Step Shell::silence() {
    if (phase_ == Phase::Done) return {"", wait_, true};
    const std::vector<std::string> lines = answerLines(buffer_);
    if ((phase_ == Phase::Scan || phase_ == Phase::Data) && !lines.empty())
        throw VnaError(Failure::CutShort, fmt::format("the sweep stopped after {} of {} points, with no prompt",
                                                      lines.size(), plan_.points));
    throw VnaError(Failure::NoAnswer, fmt::format("no answer to \"{}\" within {:g} s", command_,
                                                  static_cast<double>(wait_.count()) / 1000));
}

// Lines of `numbers` numbers each: frequency, re, im (the masked scan) or re, im (data 0).
void Shell::takePoints(const std::vector<std::string>& lines, std::size_t numbers) {
    for (const std::string& line : lines) {
        const std::vector<std::string_view> words = wordsOf(line);
        std::vector<double> values;
        for (const std::string_view word : words)
            if (const auto value = number(word)) values.push_back(*value);
        if (values.size() != words.size() || words.size() != numbers) {
            // Text before any point is the analyser's own refusal; inside the sweep it is a bad value.
            if (sweep_.s11.empty() && !words.empty() && !number(words.front())) refused(line);
            throw VnaError(Failure::NotANumber, fmt::format("point {} is not {} numbers: {}", sweep_.s11.size() + 1,
                                                            numbers, shown(line, 60)));
        }
        const std::size_t i = sweep_.s11.size();
        const double hz = numbers == 3 ? values[0] : i < frequencies_.size() ? frequencies_[i] : 0;
        if (!(hz > 0 && hz < kHighestHz))
            throw VnaError(Failure::NotANumber,
                           fmt::format("point {} is at {:.10g} Hz, no analyser's frequency", i + 1, hz));
        if (!sweep_.hz.empty() && !(hz > sweep_.hz.back()))
            throw VnaError(Failure::OutOfOrder, fmt::format("point {} at {:.10g} Hz does not follow {:.10g} Hz", i + 1,
                                                            hz, sweep_.hz.back()));
        sweep_.hz.push_back(hz);
        sweep_.s11.emplace_back(values[numbers - 2], values[numbers - 1]);
    }
    if (static_cast<int>(sweep_.s11.size()) != plan_.points)
        throw VnaError(Failure::CutShort,
                       fmt::format("the sweep stopped after {} of {} points", sweep_.s11.size(), plan_.points));
}

Step Shell::answered(const std::vector<std::string>& lines) {
    switch (phase_) {
    case Phase::Info: {
        std::string board;
        for (const std::string& line : lines)
            if (line.starts_with("Board:") && line.find_first_not_of(' ', 6) != std::string::npos)
                board = line.substr(line.find_first_not_of(' ', 6));
        sweep_.analyser = board.empty() ? std::string("NanoVNA") : board;
        phase_ = Phase::Scan;
        return send(scanCommand(true), sweepWait(plan_.points));
    }
    case Phase::Scan:
        // Firmware whose scan takes no mask answers with its usage, or prints nothing.
        if (lines.empty() || lines.front().starts_with("usage")) {
            phase_ = Phase::PlainScan;
            return send(scanCommand(false), sweepWait(plan_.points));
        }
        takePoints(lines, 3);
        phase_ = Phase::Resume;
        return send("resume", kAnswer);
    case Phase::PlainScan:
        if (!lines.empty()) refused(lines.front());
        phase_ = Phase::Frequencies;
        return send("frequencies", kAnswer);
    case Phase::Frequencies:
        for (const std::string& line : lines) {
            const auto hz = number(line);
            if (!hz) {
                if (frequencies_.empty()) refused(line);
                throw VnaError(Failure::NotANumber, "a frequency is not a number: " + shown(line, 60));
            }
            frequencies_.push_back(*hz);
        }
        phase_ = Phase::Data;
        return send("data 0", kAnswer);
    case Phase::Data:
        takePoints(lines, 2);
        phase_ = Phase::Resume;
        return send("resume", kAnswer);
    case Phase::Resume:
    case Phase::Done: break;
    }
    phase_ = Phase::Done;
    return {"", kAnswer, true};
}

// The V2's registers: its identity, the sweep written, the FIFO cleared and read in records of 32
// bytes (fwd0, rev0, rev1 as int32 pairs, the frequency's index as u16) until every index from 0 has
// come in order. It sweeps all the time, so records before index 0 are of a sweep already under way.
class Binary : public Conversation {
public:
    explicit Binary(const SweepPlan& plan) : plan_(plan) {
        step_ = plan.points > 1 ? (plan.stopHz - plan.startHz) / static_cast<std::uint64_t>(plan.points - 1) : 0;
    }
    Step start() override {
        std::string ask;
        for (const unsigned char reg : {0xF0, 0xF1, 0xF2, 0xF3, 0xF4})
            ask += {'\x10', static_cast<char>(reg)};
        return {ask, kAnswer, false};
    }
    Step received(std::string_view bytes) override;
    Step silence() override {
        if (done_) return {"", kAnswer, true};
        if (identified_ && !sweep_.s11.empty())
            throw VnaError(Failure::CutShort,
                           fmt::format("the sweep stopped after {} of {} points", sweep_.s11.size(), plan_.points));
        throw VnaError(Failure::NoAnswer, identified_ ? "no sweep data within the wait"
                                                      : "no answer to the identity "
                                                        "registers");
    }
    const Sweep& sweep() const override { return sweep_; }

private:
    static void put(std::string& out, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    std::string readMore() {
        const int wanted = std::min(255, plan_.points);
        outstanding_ = wanted;
        return std::string{'\x18', '\x30', static_cast<char>(wanted)};
    }
    std::string configure() {
        std::string out{'\x23', '\x00'};
        put(out, plan_.startHz, 8);
        out += {'\x23', '\x10'};
        put(out, step_, 8);
        out += {'\x21', '\x20'};
        put(out, static_cast<std::uint64_t>(plan_.points), 2);
        out += {'\x21', '\x22'};
        put(out, 1, 2);
        out += {'\x20', '\x30', '\x00'};  // the FIFO cleared
        return out + readMore();
    }
    void record(std::string_view r);

    SweepPlan plan_;
    std::uint64_t step_ = 0;
    Sweep sweep_;
    std::string buffer_;
    bool identified_ = false, synced_ = false, done_ = false;
    int outstanding_ = 0, skipped_ = 0;
};

void Binary::record(std::string_view r) {
    auto i32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | static_cast<unsigned char>(r[at + static_cast<std::size_t>(b)]);
        return static_cast<double>(static_cast<std::int32_t>(v));
    };
    const int index = static_cast<unsigned char>(r[24]) | (static_cast<unsigned char>(r[25]) << 8);
    if (!synced_) {
        if (index != 0) {
            if (++skipped_ > plan_.points + 255)
                throw VnaError(Failure::OutOfOrder, "the analyser's records never reach the sweep's first point");
            return;
        }
        synced_ = true;
    }
    const int expected = static_cast<int>(sweep_.s11.size());
    if (index != expected)
        throw VnaError(Failure::OutOfOrder,
                       fmt::format("point {} came where point {} was due", index + 1, expected + 1));
    const std::complex<double> forward(i32(0), i32(4)), reflected(i32(8), i32(12));
    if (forward == std::complex<double>())
        throw VnaError(Failure::NotANumber, fmt::format("point {} has no forward wave to divide by", index + 1));
    sweep_.hz.push_back(static_cast<double>(plan_.startHz + step_ * static_cast<std::uint64_t>(index)));
    sweep_.s11.push_back(reflected / forward);
    if (static_cast<int>(sweep_.s11.size()) == plan_.points) done_ = true;
}

Step Binary::received(std::string_view bytes) {
    if (done_) return {"", kAnswer, true};
    buffer_ += bytes;
    std::string send;
    if (!identified_) {
        if (buffer_.size() < 5) return {"", kAnswer, false};
        const auto b = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(buffer_[i])); };
        sweep_.analyser = fmt::format("NanoVNA V2 family (variant {}, protocol {}, hardware {}, firmware {}.{})", b(0),
                                      b(1), b(2), b(3), b(4));
        buffer_.erase(0, 5);
        identified_ = true;
        send = configure();
    }
    while (buffer_.size() >= 32 && !done_) {
        record(std::string_view(buffer_).substr(0, 32));
        buffer_.erase(0, 32);
        if (--outstanding_ == 0 && !done_) send = readMore();
    }
    return {send, sweepWait(std::min(255, plan_.points)), done_};
}

// A CR alone: the shell answers with its prompt, the V2 with "2".
class Probe : public Conversation {
public:
    explicit Probe(const SweepPlan& plan) : plan_(plan) {}
    Step start() override { return {"\r", kAnswer, false}; }
    Step received(std::string_view bytes) override {
        if (inner_) return inner_->received(bytes);
        heard_ += bytes;
        if (heard_.find("ch> ") != std::string::npos)
            inner_ = shellConversation(plan_);
        else if (heard_ == "2")
            inner_ = binaryConversation(plan_);
        else if (heard_.size() > 256)
            notAnAnalyser();
        return inner_ ? inner_->start() : Step{"", kAnswer, false};
    }
    Step silence() override {
        if (inner_) return inner_->silence();
        if (heard_.empty()) throw VnaError(Failure::NoAnswer, "no answer to a CR within 3 s: is an analyser there?");
        notAnAnalyser();
    }
    const Sweep& sweep() const override { return inner_->sweep(); }

private:
    [[noreturn]] void notAnAnalyser() const {
        throw VnaError(Failure::NotAnAnalyser,
                       "it answers a CR with " + shown(heard_) + ", neither a NanoVNA's prompt nor a V2's \"2\"");
    }
    SweepPlan plan_;
    std::string heard_;
    std::unique_ptr<Conversation> inner_;
};

}  // namespace

std::unique_ptr<Conversation> sweepConversation(const SweepPlan& plan) { return std::make_unique<Probe>(plan); }
std::unique_ptr<Conversation> shellConversation(const SweepPlan& plan) { return std::make_unique<Shell>(plan); }
std::unique_ptr<Conversation> binaryConversation(const SweepPlan& plan) { return std::make_unique<Binary>(plan); }

Sweep run(Conversation& conversation, Port& port) {
    Step step = conversation.start();
    for (;;) {
        if (!step.send.empty()) port.write(step.send);
        if (step.done) return conversation.sweep();
        const std::string got = port.read(step.wait);
        step = got.empty() ? conversation.silence() : conversation.received(got);
    }
}

const std::vector<UsbKind>& usbKinds() {
    static const std::vector<UsbKind> kinds{{0x0483, 0x5740, "NanoVNA (text shell)"},
                                            {0x04B4, 0x0008, "NanoVNA V2 or LiteVNA (binary)"}};
    return kinds;
}

std::string touchstoneText(const Sweep& sweep, const std::string& when) {
    std::string out = "! measured by " + sweep.analyser + ", " + when + "\n";
    out += "! the analyser's calibrated S11: the plane it was calibrated at (open, short, load) is where it measured\n";
    out += "# Hz S RI R 50\n";
    for (std::size_t i = 0; i < sweep.hz.size(); ++i)
        out += fmt::format("{:.0f} {} {}\n", sweep.hz[i], sweep.s11[i].real(), sweep.s11[i].imag());
    return out;
}

}  // namespace brimalox::vna
