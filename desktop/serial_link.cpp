#include "desktop/serial_link.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

namespace brimalox {
namespace {

std::runtime_error refusal(const QString& text) { return std::runtime_error(text.toStdString()); }

QString whyNotOpened(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such port: is the analyser plugged in and switched on?");
    case QSerialPort::PermissionError:
        return QStringLiteral(
            "the port is busy or not allowed: another program holds it (close the analyser's own program), or "
            "this user may not open it (on Linux, join the dialout group and log in again)");
    case QSerialPort::OpenError: return QStringLiteral("the port is already open in this program");
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::UnknownError: return QStringLiteral("not a serial port (%1)").arg(port.errorString());
    default: return QStringLiteral("the port cannot be opened: %1").arg(port.errorString());
    }
}

}  // namespace

SerialLink::SerialLink(const QString& name, std::shared_ptr<const std::atomic<bool>> stop)
    : port_(std::make_unique<QSerialPort>()), stop_(std::move(stop)) {
    const QString location = name.startsWith('/') ? name : QSerialPortInfo(name).systemLocation();
    const QFileInfo file(location);
    if (!file.exists()) throw refusal(QStringLiteral("no such port: is the analyser plugged in and switched on?"));
    if (file.isFile() || file.isDir()) throw refusal(QStringLiteral("not a serial port"));  // a file, a folder
    port_->setPortName(location);
    if (!port_->open(QIODevice::ReadWrite)) throw refusal(whyNotOpened(*port_));
    // The analysers ignore the rate over USB; a terminal that refuses these settings is no serial port.
    if (!port_->setBaudRate(115200) || !port_->setDataBits(QSerialPort::Data8) ||
        !port_->setParity(QSerialPort::NoParity) || !port_->setStopBits(QSerialPort::OneStop) ||
        !port_->setFlowControl(QSerialPort::NoFlowControl))
        throw refusal(QStringLiteral("not a serial port (%1)").arg(port_->errorString()));
    port_->clear();
}

SerialLink::~SerialLink() = default;

void SerialLink::lost() {
    throw refusal(QStringLiteral("the port went away mid-sweep (unplugged?): %1").arg(port_->errorString()));
}

void SerialLink::write(std::string_view bytes) {
    if (port_->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) lost();
    const QDeadlineTimer deadline(2000);
    while (port_->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (stop_ && stop_->load()) throw std::runtime_error(kSweepStopped);
        if (!port_->waitForBytesWritten(100) && port_->error() != QSerialPort::TimeoutError &&
            port_->error() != QSerialPort::NoError)
            lost();
        port_->clearError();
    }
}

std::string SerialLink::read(std::chrono::milliseconds wait) {
    const QDeadlineTimer deadline(wait);
    for (;;) {
        if (stop_ && stop_->load()) throw std::runtime_error(kSweepStopped);
        if (port_->bytesAvailable() > 0) return port_->readAll().toStdString();
        if (deadline.hasExpired()) return {};
        const qint64 left = std::clamp<qint64>(deadline.remainingTime(), 1, 100);
        if (!port_->waitForReadyRead(static_cast<int>(left)) && port_->error() != QSerialPort::TimeoutError &&
            port_->error() != QSerialPort::NoError)
            lost();
        port_->clearError();
    }
}

vna::Sweep sweepPort(const QString& name, const vna::SweepPlan& plan, std::shared_ptr<const std::atomic<bool>> stop) {
    std::optional<vna::Sweep> sweep;
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            SerialLink link(name, stop);
            const std::unique_ptr<vna::Conversation> conversation = vna::sweepConversation(plan);
            sweep = vna::run(*conversation, link);
        } catch (...) {  // said on the window's side, as the port's or the analyser's failure
            failure = std::current_exception();
        }
    }));
    thread->start();
    thread->wait();
    if (failure) std::rethrow_exception(failure);
    return std::move(*sweep);
}

QList<OfferedPort> offeredPorts() {
    QList<OfferedPort> analysers, others;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const vna::UsbKind* kind = nullptr;
        for (const vna::UsbKind& k : vna::usbKinds())
            if (info.hasVendorIdentifier() && info.hasProductIdentifier() && info.vendorIdentifier() == k.vendor &&
                info.productIdentifier() == k.product)
                kind = &k;
        const QString where = info.systemLocation();
        if (kind)
            analysers.append({where, QStringLiteral("%1: %2").arg(where, QString::fromLatin1(kind->name))});
        else
            others.append({where, info.description().isEmpty()
                                      ? where
                                      : QStringLiteral("%1: %2").arg(where, info.description())});
    }
    return analysers + others;
}

}  // namespace brimalox
