// Stand-ins for the two kinds of analyser, written from their public protocol descriptions: each
// takes the bytes a host sends and gives back what the device would, measuring `antenna` (S11
// against 50 ohms at a frequency in Hz). Each can also misbehave, as a broken device or cable does.
#pragma once

#include <fmt/format.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace brimalox::vna::testing {

using Antenna = std::function<std::complex<double>(double hz)>;

enum class Fault {
    None,
    Garbage,   // answers everything with bytes of neither protocol
    Silent,    // never answers
    CutShort,  // the sweep stops half way
    Refuses,   // the sweep command is refused with the firmware's words
    NoMask,    // (the shell) firmware whose scan takes no mask: scan, frequencies and data 0
};

// How the shell's stand-in misbehaves in a sweep of the 146 MHz design's 61 points, and the words
// every front-end must say of it.
struct DeviceFault {
    const char* name;
    Fault fault;
    const char* says;
};
inline const std::vector<DeviceFault>& shellFaults() {
    static const std::vector<DeviceFault> faults{
        {"garbage", Fault::Garbage, "it answers a CR with \"\\x01\\xfe"},
        {"silence", Fault::Silent, "no answer to a CR within 3 s"},
        {"a sweep cut short", Fault::CutShort, "the sweep stopped after 30 of 61 points"},
        {"a refused scan", Fault::Refuses,
         "the analyser refused \"scan 116800000 204400000 61 3\": sweep points exceeds range 101"},
    };
    return faults;
}

// The NanoVNA's text shell: a command ends with CR, is echoed, answered in CRLF lines, then "ch> ".
class ShellEmulator {
public:
    ShellEmulator(Antenna antenna, Fault fault = Fault::None) : antenna_(std::move(antenna)), fault_(fault) {}

    std::string take(std::string_view bytes) {
        std::string out;
        for (const char c : bytes) {
            if (c != '\r') {
                line_ += c;
                continue;
            }
            out += answer(line_);
            line_.clear();
        }
        return out;
    }
    bool paused() const { return paused_; }

private:
    std::string answer(const std::string& command) {
        if (fault_ == Fault::Silent) return {};
        if (fault_ == Fault::Garbage) return "\x01\xfe\x13 #?\x7f\x80";
        std::istringstream words(command);
        std::string verb;
        words >> verb;
        std::string body;
        if (verb.empty()) {
        } else if (verb == "info") {
            body = "Board: NanoVNA-H\r\nVersion: 1.2.20\r\n";
        } else if (verb == "scan") {
            std::uint64_t start = 0, stop = 0;
            int points = 0, mask = 0;
            words >> start >> stop >> points;
            const bool masked = static_cast<bool>(words >> mask);
            if (fault_ == Fault::Refuses || points > 101) return command + "\r\nsweep points exceeds range 101\r\nch> ";
            if (fault_ == Fault::NoMask && masked)
                return command + "\r\nusage: scan {start(Hz)} {stop(Hz)} [points]\r\nch> ";
            frequencies_.clear();
            for (int i = 0; i < points; ++i)
                frequencies_.push_back(static_cast<double>(start + (stop - start) * static_cast<std::uint64_t>(i) /
                                                                       static_cast<std::uint64_t>(points - 1)));
            paused_ = true;
            if (masked)
                for (std::size_t i = 0; i < frequencies_.size(); ++i) {
                    if (fault_ == Fault::CutShort && i == frequencies_.size() / 2) return command + "\r\n" + body;
                    const std::complex<double> s = antenna_(frequencies_[i]);
                    body += fmt::format("{:.0f} {:.9f} {:.9f} \r\n", frequencies_[i], s.real(), s.imag());
                }
        } else if (verb == "frequencies") {
            for (const double hz : frequencies_)
                body += fmt::format("{:.0f}\r\n", hz);
        } else if (verb == "data") {
            for (const double hz : frequencies_) {
                const std::complex<double> s = antenna_(hz);
                body += fmt::format("{:.9f} {:.9f}\r\n", s.real(), s.imag());
            }
        } else if (verb == "resume") {
            paused_ = false;
        } else {
            body = verb + "?\r\n";
        }
        return command + "\r\n" + body + "ch> ";
    }

    Antenna antenna_;
    Fault fault_;
    std::string line_;
    std::vector<double> frequencies_;
    bool paused_ = false;
};

// The V2's registers: a CR answers "2"; writes of 1, 2 and 8 bytes; reads of 1 byte; the FIFO read
// in 32-byte records. It sweeps all the time: after the FIFO is cleared the records go on from the
// point the sweep was at, round to 0 and on.
class V2Emulator {
public:
    V2Emulator(Antenna antenna, Fault fault = Fault::None) : antenna_(std::move(antenna)), fault_(fault) {}

    std::string take(std::string_view bytes) {
        in_ += bytes;
        std::string out;
        for (;;) {
            if (in_.empty()) return out;
            const auto op = static_cast<unsigned char>(in_[0]);
            const std::size_t size = op == 0x10   ? 2
                                     : op == 0x20 ? 3
                                     : op == 0x21 ? 4
                                     : op == 0x23 ? 10
                                     : op == 0x18 ? 3
                                                  : 1;
            if (in_.size() < size) return out;
            const std::string command = in_.substr(0, size);
            in_.erase(0, size);
            if (fault_ == Fault::Silent) continue;
            if (fault_ == Fault::Garbage) {
                out += "\xff\xfe\x00\x11";
                continue;
            }
            out += act(command);
        }
    }

private:
    static std::uint64_t value(const std::string& c, std::size_t from, std::size_t bytes) {
        std::uint64_t v = 0;
        for (std::size_t i = bytes; i-- > 0;)
            v = (v << 8) | static_cast<unsigned char>(c[from + i]);
        return v;
    }
    static void put(std::string& out, std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xff);
    }
    std::string act(const std::string& c) {
        const auto op = static_cast<unsigned char>(c[0]);
        if (op == 0x0d) return "2";
        if (op == 0x10) {
            const auto reg = static_cast<unsigned char>(c[1]);
            return std::string(1, static_cast<char>(reg == 0xF0   ? 2
                                                    : reg == 0xF1 ? 1
                                                    : reg == 0xF2 ? 3
                                                    : reg == 0xF3 ? 1
                                                    : reg == 0xF4 ? 5
                                                                  : 0));
        }
        const auto reg = static_cast<unsigned char>(c[1]);
        if (op == 0x23 && reg == 0x00) start_ = value(c, 2, 8);
        if (op == 0x23 && reg == 0x10) step_ = value(c, 2, 8);
        if (op == 0x21 && reg == 0x20) points_ = static_cast<int>(value(c, 2, 2));
        if (op == 0x20 && reg == 0x30) next_ = points_ > 7 ? 7 : 0;  // the FIFO cleared mid-sweep
        if (op != 0x18) return {};
        std::string out;
        for (int n = static_cast<unsigned char>(c[2]); n > 0; --n) {
            if (fault_ == Fault::CutShort && sent_ >= points_ + points_ / 2) break;
            const double hz = static_cast<double>(start_ + step_ * static_cast<std::uint64_t>(next_));
            const std::complex<double> s = antenna_(hz) * kScale;
            put(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(kScale)), 4);
            put(out, 0, 4);
            put(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(s.real()))), 4);
            put(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(s.imag()))), 4);
            put(out, 0, 8);
            put(out, static_cast<std::uint64_t>(next_), 2);
            put(out, 0, 6);
            next_ = (next_ + 1) % points_;
            ++sent_;
        }
        return out;
    }

    static constexpr double kScale = 1 << 30;
    Antenna antenna_;
    Fault fault_;
    std::string in_;
    std::uint64_t start_ = 0, step_ = 0;
    int points_ = 1, next_ = 0, sent_ = 0;
};

}  // namespace brimalox::vna::testing
