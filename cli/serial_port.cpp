#include "cli/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace brimalox::cli {
namespace {

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

std::string errnoText(int error) { return std::generic_category().message(error); }

unsigned hexFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    unsigned value = 0;
    in >> std::hex >> value;
    return in ? value : 0;
}

}  // namespace

SerialPort::SerialPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        if (error == ENOENT) fail("no such port");
        if (error == EACCES)
            fail(
                "not allowed to open it: on Linux add yourself to the dialout group (sudo adduser $USER dialout), "
                "then log in again");
        if (error == EBUSY) fail("busy: another program has it open");
        fail("cannot open it: " + errnoText(error));
    }
    termios tty{};
    if (!::isatty(fd_) || ::tcgetattr(fd_, &tty) != 0) {
        ::close(fd_);
        fd_ = -1;
        fail("not a serial port");
    }
    // One program at a time: an analyser's own program sweeping beside this one would mix their answers.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        fail("busy: another program has it open");
    }
    ::ioctl(fd_, TIOCEXCL);
    ::cfmakeraw(&tty);
    ::cfsetispeed(&tty, B115200);
    ::cfsetospeed(&tty, B115200);
    tty.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(fd_, TCSANOW, &tty) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        fail("cannot set it up: " + errnoText(error));
    }
    ::tcflush(fd_, TCIOFLUSH);
}

SerialPort::~SerialPort() {
    if (fd_ >= 0) ::close(fd_);
}

void SerialPort::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) fail("the port went away (unplugged?): " + errnoText(errno));
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 2000) <= 0) fail("the port takes no more bytes");
        if (p.revents & (POLLERR | POLLHUP)) fail("the port went away (unplugged?)");
    }
}

std::string SerialPort::read(std::chrono::milliseconds wait) {
    pollfd p{fd_, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&p, 1, static_cast<int>(wait.count()));
    while (ready < 0 && errno == EINTR);
    if (ready == 0) return {};
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return {};
    fail("the port went away (unplugged?)");
}

std::vector<FoundAnalyser> findAnalysers(const std::filesystem::path& sysClassTty) {
    std::vector<FoundAnalyser> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(sysClassTty, error)) {
        // A USB serial port's device is the USB interface; the ids are the USB device's, one up.
        const std::filesystem::path usb = entry.path() / "device" / "..";
        const unsigned vendor = hexFile(usb / "idVendor"), product = hexFile(usb / "idProduct");
        for (const vna::UsbKind& kind : vna::usbKinds())
            if (vendor == kind.vendor && product == kind.product)
                found.push_back({"/dev/" + entry.path().filename().string(), kind.name});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.port < b.port; });
    return found;
}

}  // namespace brimalox::cli
