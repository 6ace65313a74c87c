#pragma once
// The analyser's serial port for the window, on Qt Serial Port: the bytes of a vna::Conversation,
// carried on the model run's own thread so that the window answers while the analyser sweeps; and the
// ports the window offers, the analysers first.

#include <QList>
#include <QString>
#include <atomic>
#include <memory>

#include "vna/analyser.h"

class QSerialPort;

namespace brimalox {

class SerialLink : public vna::Port {
public:
    // Opens the port at 115200 baud, 8N1, no flow control. Throws std::runtime_error saying plainly
    // why it cannot be used: none there, held by another program or not allowed, not a serial port.
    // stop: set from the window's thread, it ends a read within a tenth of a second.
    SerialLink(const QString& name, std::shared_ptr<const std::atomic<bool>> stop);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;
    void write(std::string_view bytes) override;
    // Throws std::runtime_error when the port goes away (unplugged) or the sweep is stopped.
    std::string read(std::chrono::milliseconds wait) override;

private:
    [[noreturn]] void lost();

    std::unique_ptr<QSerialPort> port_;
    std::shared_ptr<const std::atomic<bool>> stop_;
};

// A sweep of the analyser on the port, on a QThread of its own (Qt Serial Port's notifiers need one;
// the model run's thread is not), waited for. Throws what SerialLink and the conversation throw.
vna::Sweep sweepPort(const QString& name, const vna::SweepPlan& plan, std::shared_ptr<const std::atomic<bool>> stop);

// What the sweep ended by when STOP was clicked.
inline constexpr const char* kSweepStopped = "the sweep was stopped";

struct OfferedPort {
    QString port;   // its location, /dev/ttyACM0
    QString label;  // "/dev/ttyACM0: NanoVNA (text shell)", or the port and its description
};
// The serial ports there are, those with an analyser's USB ids first and named by its kind.
QList<OfferedPort> offeredPorts();

}  // namespace brimalox
