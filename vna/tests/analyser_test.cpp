// The two protocols' conversations against the stand-in analysers: a sweep read whole, however the
// bytes are cut into reads, and each way a device can fail named.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <random>

#include "vna/analyser.h"
#include "vna/tests/emulators.h"

namespace brimalox::vna {
namespace {

using testing::Fault;

// A series resonance of 40 ohms at 146 MHz against 50 ohms: a dip with a curve around it.
std::complex<double> antenna(double hz) {
    const double f = hz / 146e6;
    const std::complex<double> z(40, 120 * (f - 1 / f));
    return (z - 50.0) / (z + 50.0);
}

// The host's side of a cable to an emulator: what it answers comes back in reads of random sizes;
// an empty read is the wait running out, without waiting.
template <class Emulator>
class Cable : public Port {
public:
    explicit Cable(Emulator& device, unsigned seed) : device_(device), random_(seed) {}
    void write(std::string_view bytes) override { pending_ += device_.take(bytes); }
    std::string read(std::chrono::milliseconds) override {
        const std::size_t n = std::min(pending_.size(), std::uniform_int_distribution<std::size_t>(1, 700)(random_));
        std::string out = pending_.substr(0, n);
        pending_.erase(0, n);
        return out;
    }

private:
    Emulator& device_;
    std::string pending_;
    std::mt19937 random_;
};

constexpr SweepPlan kPlan{116'800'000, 204'400'000, 61};

template <class Emulator>
Sweep sweepOf(Emulator& device, unsigned seed = 1) {
    Cable<Emulator> cable(device, seed);
    const std::unique_ptr<Conversation> conversation = sweepConversation(kPlan);
    return run(*conversation, cable);
}

void expectSweep(const Sweep& sweep, double within) {
    ASSERT_EQ(sweep.hz.size(), 61u);
    EXPECT_EQ(sweep.hz.front(), 116.8e6);
    EXPECT_NEAR(sweep.hz.back(), 204.4e6, 1);
    for (std::size_t i = 0; i < sweep.hz.size(); ++i)
        EXPECT_LT(std::abs(sweep.s11[i] - antenna(sweep.hz[i])), within) << i;
}

TEST(Analyser, EachKindSweepsWholeWhateverTheReadsSizes) {
    for (unsigned seed : {1u, 2u, 3u}) {
        testing::ShellEmulator shell(antenna);
        const Sweep a = sweepOf(shell, seed);
        expectSweep(a, 1e-9);  // nine decimals, as the firmware prints them
        EXPECT_EQ(a.analyser, "NanoVNA-H");
        EXPECT_FALSE(shell.paused()) << "scan leaves the sweep paused: resume was not sent";

        testing::ShellEmulator noMask(antenna, Fault::NoMask);
        expectSweep(sweepOf(noMask, seed), 1e-9);

        testing::V2Emulator v2(antenna);
        const Sweep b = sweepOf(v2, seed);
        expectSweep(b, 1e-8);  // int32 waves of 2^30
        EXPECT_NE(b.analyser.find("V2 family (variant 2, protocol 1, hardware 3, firmware 1.5)"), std::string::npos)
            << b.analyser;
    }
}

TEST(Analyser, EveryFailureIsNamed) {
    struct Case {
        const char* name;
        std::function<Sweep()> sweep;
        Failure failure;
        const char* says;
    };
    testing::ShellEmulator garbage(antenna, Fault::Garbage), silent(antenna, Fault::Silent),
        cut(antenna, Fault::CutShort), refusing(antenna, Fault::Refuses);
    testing::V2Emulator v2Cut(antenna, Fault::CutShort), v2Garbage(antenna, Fault::Garbage);
    const std::vector<Case> cases{
        {"garbage", [&] { return sweepOf(garbage); }, Failure::NotAnAnalyser, "neither a NanoVNA's prompt"},
        {"silence", [&] { return sweepOf(silent); }, Failure::NoAnswer, "no answer to a CR"},
        {"the shell's sweep cut short", [&] { return sweepOf(cut); }, Failure::CutShort, "stopped after 30 of 61"},
        {"a refused scan", [&] { return sweepOf(refusing); }, Failure::Refused, "sweep points exceeds range 101"},
        {"the V2's sweep cut short", [&] { return sweepOf(v2Cut); }, Failure::CutShort, "of 61 points"},
        {"the V2 answering garbage", [&] { return sweepOf(v2Garbage); }, Failure::NotAnAnalyser, "\\xff\\xfe"},
    };
    for (const Case& c : cases) {
        try {
            c.sweep();
            ADD_FAILURE() << c.name << ": a sweep";
        } catch (const VnaError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.name << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

// Bytes fed straight to each protocol's parser: values that are no numbers, points out of order.
TEST(Analyser, BadValuesInTheSweepAreNamed) {
    struct Case {
        const char* name;
        bool shell;
        std::string bytes;
        Failure failure;
    };
    auto record = [](int index, std::int32_t forward) {
        std::string r(32, '\0');
        for (int i = 0; i < 4; ++i)
            r[static_cast<std::size_t>(i)] = static_cast<char>((forward >> (8 * i)) & 0xff);
        r[24] = static_cast<char>(index);
        return r;
    };
    const std::string echo = "scan 116800000 204400000 61 3\r\n";
    const std::vector<Case> cases{
        {"a value that is not a number", true, echo + "116800000 0.1 nan \r\nch> ", Failure::NotANumber},
        {"a frequency going back", true, echo + "116800000 0.1 0.2 \r\n116000000 0.1 0.2 \r\nch> ",
         Failure::OutOfOrder},
        {"a V2 point out of order", false, std::string("\x02\x01\x03\x01\x05", 5) + record(0, 1) + record(2, 1),
         Failure::OutOfOrder},
        {"a V2 point with no forward wave", false, std::string("\x02\x01\x03\x01\x05", 5) + record(0, 0),
         Failure::NotANumber},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<Conversation> conversation =
            c.shell ? shellConversation(kPlan) : binaryConversation(kPlan);
        try {
            conversation->start();
            if (c.shell) conversation->received("info\r\nBoard: NanoVNA-H\r\nch> ");
            conversation->received(c.bytes);
            ADD_FAILURE() << c.name << ": taken";
        } catch (const VnaError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.name << ": " << e.what();
        }
    }
}

TEST(Analyser, TheFileSaysWhatMeasuredItAndOnWhatCalibration) {
    testing::ShellEmulator shell(antenna);
    const std::string text = touchstoneText(sweepOf(shell), "2026-12-10 12:00:00 UTC");
    EXPECT_EQ(text.rfind("! measured by NanoVNA-H, 2026-12-10 12:00:00 UTC\n", 0), 0u) << text;
    EXPECT_NE(text.find("calibrated"), std::string::npos);
    EXPECT_NE(text.find("\n# Hz S RI R 50\n116800000 "), std::string::npos) << text;
}

}  // namespace
}  // namespace brimalox::vna
