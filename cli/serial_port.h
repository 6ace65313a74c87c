#pragma once
// The analyser's serial port on a POSIX system: a terminal in raw mode at 115200 baud, held
// exclusively, read with a time limit; and the analysers attached, found by their USB ids.

#include <filesystem>
#include <string>
#include <vector>

#include "vna/analyser.h"

namespace brimalox::cli {

class SerialPort : public vna::Port {
public:
    // Throws std::runtime_error saying why the port cannot be used: none there, not allowed (the
    // dialout group), held by another program, not a serial port at all.
    explicit SerialPort(const std::string& path);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    void write(std::string_view bytes) override;
    std::string read(std::chrono::milliseconds wait) override;

private:
    int fd_ = -1;
};

struct FoundAnalyser {
    std::string port;  // /dev/ttyACM0
    std::string kind;  // what its USB ids say it is
};
// The serial ports under sysClassTty (/sys/class/tty) whose USB device has an analyser's ids.
std::vector<FoundAnalyser> findAnalysers(const std::filesystem::path& sysClassTty = "/sys/class/tty");

}  // namespace brimalox::cli
