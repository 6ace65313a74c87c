// MEASURE WITH THE ANALYSER against the stand-in analysers on a pseudo-terminal, answering from the
// model of the 146 MHz design built 3 % long, seen at the rig through its lines and a 4:1 balun: the
// trim's answer as brimalox-cli trim --vna gives it, the file as brimalox-cli measure writes it, and
// every bad device named with the window still usable.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>

#include "desktop/analyser_window.h"
#include "desktop/model_settings.h"
#include "desktop/serial_link.h"
#include "desktop/trim_window.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "nec2c_probe.h"
#include "vna/model/sweep_plan.h"
#include "vna/tests/emulators.h"
#include "vna/tests/pty.h"

namespace brimalox::testing {
namespace {

using vna::testing::Fault;
using vna::testing::Pty;

const DesignRequest kDesign{"146", 3, {ConductorUnit::Millimetre, "1.626"}};

// The built antenna at the rig: the model of the design 3 % long (141.748 MHz), through the series
// match's lines and a 4:1 balun, as the command line's tests build it.
vna::testing::Antenna builtAntenna() {
    nec::Request built;
    built.design = {"141.748", 3, {ConductorUnit::Millimetre, "1.626"}};
    built.settings.from = "100";
    built.settings.to = "220";
    built.settings.step = "0.5";
    built.settings.feed.balun = "4";
    built.settings.feed.line = "300,0.82,421.2329";
    nec::Nec2cProgram engine;
    const nec::Touchstone file = nec::readTouchstone(nec::touchstoneFile(nec::simulate(built, engine)));
    return vna::testing::betweenImpedances(file.mhz, file.ohms);
}

// The sweep as the analyser gives it, carried straight to the emulator with no port between.
template <class Emulator>
class Loopback : public vna::Port {
public:
    explicit Loopback(Emulator& device) : device_(device) {}
    void write(std::string_view bytes) override { pending_ += device_.take(bytes); }
    std::string read(std::chrono::milliseconds) override { return std::exchange(pending_, {}); }

private:
    Emulator& device_;
    std::string pending_;
};

std::string withoutTimeLine(const std::string& text) {
    std::istringstream lines(text);
    std::string out;
    for (std::string line; std::getline(lines, line);)
        if (line.find(" UTC") == std::string::npos) out += line + '\n';
    return out;
}

class AnalyserWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
        if (!antenna_) antenna_ = std::make_unique<vna::testing::Antenna>(builtAntenna());
        window_ = std::make_unique<AnalyserWindow>([] { return nec::designTexts(runDesign(kDesign), 3); },
                                                   [this](const nec::Measured& m) { handed_ = m; });
        window_->present();
        window_->findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(true);
        window_->findChild<QLineEdit*>(QStringLiteral("balun"))->setText(QStringLiteral("4"));
    }
    void sweepOn(const std::string& port) {
        window_->portBox()->setEditText(QString::fromStdString(port));
        window_->findChild<QPushButton*>(QStringLiteral("sweepOnce"))->click();
        // Generous: the sweep's waits and two model runs, on a slow machine.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->running(); }, 180000)) << window_->status().toStdString();
    }
    static std::unique_ptr<vna::testing::Antenna> antenna_;
    std::unique_ptr<AnalyserWindow> window_;
    std::optional<nec::Measured> handed_;
};
std::unique_ptr<vna::testing::Antenna> AnalyserWindowTest::antenna_;

TEST_F(AnalyserWindowTest, EachKindGivesTheCommandLinesTrimAndFile) {
    nec::TrimRequest request;  // brimalox-cli trim 146 --sides 3 --mm 1.626 --balun 4 --vna PORT
    request.check.design = kDesign;
    request.check.settings.feed.balun = "4";
    const vna::SweepPlan plan = vna::sweepPlan(request.check, {});
    nec::Nec2cProgram engine;
    QTemporaryDir folder;
    for (const auto kind : {"NanoVNA", "V2"}) {
        const bool shell = std::string(kind) == "NanoVNA";
        vna::testing::ShellEmulator shellDevice(*antenna_), shellExpected(*antenna_);
        vna::testing::V2Emulator v2Device(*antenna_), v2Expected(*antenna_);
        std::optional<Pty<vna::testing::ShellEmulator>> shellPort;
        std::optional<Pty<vna::testing::V2Emulator>> v2Port;
        vna::Sweep expected;
        std::string port;
        const std::unique_ptr<vna::Conversation> conversation = vna::sweepConversation(plan);
        if (shell) {
            shellPort.emplace(shellDevice);
            port = shellPort->name();
            Loopback loop(shellExpected);
            expected = vna::run(*conversation, loop);
        } else {
            v2Port.emplace(v2Device);
            port = v2Port->name();
            Loopback loop(v2Expected);
            expected = vna::run(*conversation, loop);
        }
        sweepOn(port);
        ASSERT_TRUE(window_->sweep()) << kind << ": " << window_->status().toStdString();
        request.measured.file = vna::measuredOf(expected, port);
        EXPECT_EQ(window_->answer().toStdString(), nec::trimAnswer(nec::trim(request, engine))) << kind;
        EXPECT_TRUE(window_->answer().contains(QStringLiteral("ratio 0.97"))) << window_->answer().toStdString();

        const QString saved = folder.filePath(QString::fromLatin1(kind) + QStringLiteral(".s1p"));
        ASSERT_TRUE(window_->saveSweep(saved)) << window_->status().toStdString();
        std::ifstream in(saved.toStdString());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text, withoutTimeLine(text)) << "the file has its time line";
        EXPECT_EQ(withoutTimeLine(text), withoutTimeLine(vna::touchstoneText(expected, "2026-01-01 00:00:00 UTC")))
            << kind;

        // USE IN TRIM hands TRIM the sweep as its measured file.
        window_->findChild<QPushButton*>(QStringLiteral("useInTrim"))->click();
        ASSERT_TRUE(handed_) << kind;
        EXPECT_EQ(handed_->name, request.measured.file->name);
        EXPECT_EQ(handed_->data.mhz, request.measured.file->data.mhz);
        handed_.reset();
    }
}

TEST_F(AnalyserWindowTest, ABadDeviceIsNamedAndTheWindowStaysUsable) {
    vna::testing::ShellEmulator good(*antenna_);
    Pty goodPort(good);
    sweepOn(goodPort.name());
    ASSERT_TRUE(window_->sweep()) << window_->status().toStdString();
    const QString answer = window_->answer();
    for (const vna::testing::DeviceFault& c : vna::testing::shellFaults()) {
        vna::testing::ShellEmulator device(*antenna_, c.fault);
        Pty port(device);
        sweepOn(port.name());
        EXPECT_TRUE(
            window_->status().contains(QStringLiteral("The sweep failed: %1: %2")
                                           .arg(QString::fromStdString(port.name()), QString::fromLatin1(c.says))))
            << c.name << ": " << window_->status().toStdString();
        // What was shown stays, and the window sweeps again.
        EXPECT_EQ(window_->answer(), answer) << c.name;
        EXPECT_TRUE(window_->findChild<QPushButton*>(QStringLiteral("sweepOnce"))->isEnabled()) << c.name;
        EXPECT_TRUE(window_->findChild<QPushButton*>(QStringLiteral("saveSweep"))->isEnabled()) << c.name;
    }
    // Unplugged mid-sweep: the analyser heard the probe, then its port is gone.
    struct Unplugged {
        std::atomic<bool> heard{false};
        std::string take(std::string_view) {
            heard = true;
            return {};
        }
    } unplugged;
    {
        Pty port(unplugged);
        window_->portBox()->setEditText(QString::fromStdString(port.name()));
        window_->findChild<QPushButton*>(QStringLiteral("sweepOnce"))->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return unplugged.heard.load(); }, 60000));
        port.hangUp();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->running(); }, 60000));
        EXPECT_TRUE(window_->status().contains(
            QStringLiteral("%1: the port went away mid-sweep (unplugged?)").arg(QString::fromStdString(port.name()))))
            << window_->status().toStdString();
        EXPECT_EQ(window_->answer(), answer);
    }
    // A port another program holds is said to be busy.
    {
        QSerialPort holder(QString::fromStdString(goodPort.name()));
        ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();
        sweepOn(goodPort.name());
        EXPECT_TRUE(window_->status().contains(
            QStringLiteral("%1: the port is busy or not allowed").arg(QString::fromStdString(goodPort.name()))))
            << window_->status().toStdString();
    }
    // A port that is not there, or not a serial port, is said plainly.
    for (const auto& [port, says] :
         {std::pair{"/dev/no-such-analyser", "no such port"}, std::pair{"/etc/hostname", "not a serial port"},
          std::pair{"/dev/null", "not a serial port"}}) {
        sweepOn(port);
        EXPECT_TRUE(window_->status().contains(QStringLiteral("%1: %2").arg(port, says)))
            << window_->status().toStdString();
    }
    sweepOn(goodPort.name());
    EXPECT_EQ(window_->answer(), answer);
    EXPECT_TRUE(window_->status().startsWith(QStringLiteral("Swept 61 points from NanoVNA-H on")))
        << window_->status().toStdString();
}

TEST_F(AnalyserWindowTest, StopEndsTheContinuousSweepsAndTheSweepHandedToTrimIsItsFile) {
    vna::testing::ShellEmulator device(*antenna_);
    Pty port(device);
    window_->portBox()->setEditText(QString::fromStdString(port.name()));
    window_->findChild<QPushButton*>(QStringLiteral("sweepContinuously"))->click();
    ASSERT_TRUE(window_->continuous());
    // STOP wherever it finds the window after the first sweep: sweeping again, or waiting to.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->sweep().has_value(); }, 180000))
        << window_->status().toStdString();
    window_->findChild<QPushButton*>(QStringLiteral("stop"))->click();
    EXPECT_FALSE(window_->continuous());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->running(); }, 60000));
    QTest::qWait(2500);  // past the wait between sweeps: no sweep starts after STOP
    EXPECT_FALSE(window_->running());
    EXPECT_TRUE(window_->findChild<QPushButton*>(QStringLiteral("sweepOnce"))->isEnabled());

    // STOP mid-sweep, on an analyser that never answers: stopped, not failed, and the sweep stays.
    vna::testing::ShellEmulator silent(*antenna_, Fault::Silent);
    Pty quiet(silent);
    window_->portBox()->setEditText(QString::fromStdString(quiet.name()));
    window_->findChild<QPushButton*>(QStringLiteral("sweepContinuously"))->click();
    ASSERT_TRUE(window_->running());
    window_->findChild<QPushButton*>(QStringLiteral("stop"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->running(); }, 60000));
    EXPECT_EQ(window_->status(), QStringLiteral("Stopped; the last sweep stays.")) << window_->status().toStdString();
    EXPECT_TRUE(window_->sweep());

    // TRIM takes the sweep as an opened file.
    TrimWindow trim([] { return nec::designTexts(runDesign(kDesign), 3); });
    trim.present();
    trim.useMeasured(vna::measuredOf(*window_->sweep(), port.name()));
    EXPECT_EQ(trim.findChild<QLabel*>(QStringLiteral("measuredName"))->text().toStdString(),
              port.name() + " (NanoVNA-H)");
}

}  // namespace
}  // namespace brimalox::testing
