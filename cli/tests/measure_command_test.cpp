// measure, trim --vna and simulate --vna against stand-in analysers on a pseudo-terminal, answering
// from the model of the 146 MHz design built 3 % long, seen at the rig through its lines and a 4:1
// balun: the file as the analyser said it, the trim as from that file, and every failure named.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>

#include "cli/serial_port.h"
#include "cli/tests/run_cli.h"
#include "nec/tests/nec2c_installed.h"
#include "nec/touchstone.h"
#include "vna/tests/emulators.h"
#include "vna/tests/pty.h"

namespace brimalox::clitest {
namespace {

namespace fs = std::filesystem;
using vna::testing::Fault;
using vna::testing::Pty;

// The antenna as the analyser at the rig sees it: the model's file, S11 against 50 ohms, between its points.
class BuiltAntenna {
public:
    explicit BuiltAntenna(const fs::path& folder) : file_(folder / "model-at-rig.s1p") {
        const Outcome made = runProgram({"simulate", "141.748", "--sides", "3", "--mm", "1.626", "--balun", "4",
                                         "--feed-line", "300,0.82,421.2329", "--from", "100", "--to", "220", "--step",
                                         "0.5", "--touchstone", file_.string()});
        if (made.status != 0) throw std::runtime_error(made.err);
        const nec::Touchstone model = nec::readTouchstone(readFile(file_));
        between_ = vna::testing::betweenImpedances(model.mhz, model.ohms);
    }
    std::complex<double> operator()(double hz) const { return between_(hz); }

private:
    fs::path file_;
    vna::testing::Antenna between_;
};

const std::vector<std::string> kDesign{"146", "--sides", "3", "--mm", "1.626"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class MeasureCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!nec::testing::nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
        folder_ = fs::temp_directory_path() / ("brimalox-measure-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        antenna_ = std::make_unique<BuiltAntenna>(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    vna::testing::Antenna antenna() const {
        return [a = antenna_.get()](double hz) { return (*a)(hz); };
    }
    fs::path folder_;
    std::unique_ptr<BuiltAntenna> antenna_;
};

TEST_F(MeasureCommand, EachKindWritesItsSweepAndTrimsAsTheFileDoes) {
    vna::testing::ShellEmulator shell(antenna());
    vna::testing::V2Emulator v2(antenna());
    Pty shellPort(shell);
    Pty v2Port(v2);
    const std::string v2Name = "NanoVNA V2 family (variant 2, protocol 1, hardware 3, firmware 1.5)";
    for (const auto& [kind, port, analyser, within] :
         {std::tuple{"NanoVNA", shellPort.name(), std::string("NanoVNA-H"), 1e-9},
          std::tuple{"V2", v2Port.name(), v2Name, 1e-8}}) {
        const fs::path file = folder_ / (std::string(kind) + ".s1p");
        const Outcome measured = runProgram(with({"measure"}, with(kDesign, {"--vna", port, "-o", file.string()})));
        ASSERT_EQ(measured.status, 0) << kind << ": " << measured.err;
        EXPECT_NE(measured.out.find("61 points, 116.8 to 204.4 MHz"), std::string::npos) << measured.out;
        const nec::Touchstone read = nec::readTouchstone(readFile(file));
        ASSERT_EQ(read.mhz.size(), 61u) << kind;
        EXPECT_EQ(read.referenceOhms, 50);
        for (std::size_t i = 0; i < read.mhz.size(); ++i) {
            const std::complex<double> s = (read.ohms[i] - 50.0) / (read.ohms[i] + 50.0);
            EXPECT_LT(std::abs(s - antenna()(read.mhz[i] * 1e6)), within) << kind << " at " << read.mhz[i];
        }

        // The trim from the analyser is the trim from its file, but for what it names as measured.
        const std::vector<std::string> feed{"--balun", "4"};
        const Outcome live = runProgram(with({"trim"}, with(kDesign, with(feed, {"--vna", port}))));
        const Outcome fromFile = runProgram(with({"trim"}, with(kDesign, with(feed, {"--measured", file.string()}))));
        ASSERT_EQ(live.status, 0) << live.err;
        ASSERT_EQ(fromFile.status, 0) << fromFile.err;
        auto unnamed = [](std::string report, const std::string& name) {
            for (std::size_t at; (at = report.find(name)) != std::string::npos;)
                report.replace(at, name.size(), "MEASURED");
            return report;
        };
        EXPECT_EQ(unnamed(live.out, port + " (" + analyser + ")"), unnamed(fromFile.out, file.string())) << kind;
        EXPECT_NE(live.out.find("ratio: 0.97"), std::string::npos) << live.out;
        // simulate lays the sweep over the model as it lays a file.
        const Outcome over = runProgram(with({"simulate"}, with(kDesign, with(feed, {"--vna", port}))));
        ASSERT_EQ(over.status, 0) << over.err;
        EXPECT_NE(over.out.find("measured (" + port + " (" + analyser + "))"), std::string::npos) << over.out;
    }
}

// --repeat: a line for each sweep until interrupted, the program run as a builder runs it.
TEST_F(MeasureCommand, RepeatSaysEachSweepsTrimInOneLineUntilInterrupted) {
    vna::testing::ShellEmulator shell(antenna());
    Pty port(shell);
    const fs::path said = folder_ / "repeat.out";
    std::vector<std::string> args{BRIMALOX_CLI_PATH, "trim",    "146", "--sides", "3",         "--mm",
                                  "1.626",           "--balun", "4",   "--vna",   port.name(), "--repeat"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    std::vector<char*> argv = cStrings(args);
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    auto lines = [&] {
        const std::string text = readFile(said);
        return std::count(text.begin(), text.end(), '\n');
    };
    for (int waited = 0; lines() < 2 && waited < 1200; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string text = readFile(said);
    EXPECT_GE(lines(), 2) << text;
    const std::regex line(
        R"(\d\d:\d\d:\d\d ratio 0\.97\d\d, the antenna is electrically \d\.\d % long; sides 266\.718 mm, cut )");
    EXPECT_TRUE(std::regex_search(text, line)) << text;
    EXPECT_TRUE(WIFSIGNALED(status) || WIFEXITED(status)) << status;
}

TEST_F(MeasureCommand, ABadDeviceIsNamedWithItsPortAndLeavesNoFile) {
    for (const vna::testing::DeviceFault& c : vna::testing::shellFaults()) {
        vna::testing::ShellEmulator device(antenna(), c.fault);
        Pty port(device);
        const fs::path file = folder_ / "never.s1p";
        const auto began = std::chrono::steady_clock::now();
        const Outcome o = runProgram(with({"measure"}, with(kDesign, {"--vna", port.name(), "-o", file.string()})));
        EXPECT_EQ(o.status, 1) << c.name;
        EXPECT_NE(o.err.find("brimalox-cli measure: " + port.name() + ": " + c.says), std::string::npos)
            << c.name << ": " << o.err;
        EXPECT_FALSE(fs::exists(file)) << c.name;
        // Every wait is bounded by the sweep's size: seconds, never a hang.
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(60)) << c.name;
    }
    for (const auto& [port, says] :
         {std::pair{"/dev/null", "not a serial port"}, std::pair{"/dev/no-such-analyser", "no such port"}}) {
        const Outcome o = runProgram(with({"measure"}, with(kDesign, {"--vna", port, "-o", "unused.s1p"})));
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find(std::string(port) + ": " + says), std::string::npos) << o.err;
    }
}

TEST(FindAnalysers, ByTheirUsbIds) {
    const fs::path root = fs::temp_directory_path() / ("brimalox-sysfs-" + std::to_string(::getpid()));
    fs::create_directories(root / "devices/usb1/1-1/1-1:1.0");
    fs::create_directories(root / "devices/usb1/1-2/1-2:1.0");
    fs::create_directories(root / "class/tty/ttyS0");
    std::ofstream(root / "devices/usb1/1-1/idVendor") << "0483\n";
    std::ofstream(root / "devices/usb1/1-1/idProduct") << "5740\n";
    std::ofstream(root / "devices/usb1/1-2/idVendor") << "1a86\n";  // a USB serial adapter, not an analyser
    std::ofstream(root / "devices/usb1/1-2/idProduct") << "7523\n";
    for (const auto& [tty, interface] : {std::pair{"ttyACM0", "1-1/1-1:1.0"}, std::pair{"ttyUSB0", "1-2/1-2:1.0"}}) {
        fs::create_directories(root / "class/tty" / tty);
        fs::create_directory_symlink(root / "devices/usb1" / interface, root / "class/tty" / tty / "device");
    }
    const std::vector<cli::FoundAnalyser> found = cli::findAnalysers(root / "class/tty");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].port, "/dev/ttyACM0");
    EXPECT_EQ(found[0].kind, "NanoVNA (text shell)");
    fs::remove_all(root);
}

}  // namespace
}  // namespace brimalox::clitest
