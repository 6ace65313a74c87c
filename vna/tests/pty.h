#pragma once
// A stand-in analyser on a pseudo-terminal, for the front-ends' tests: the program under test opens
// the slave side as it would open /dev/ttyACM0, and the emulator answers on the master side.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <complex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "vna/tests/emulators.h"

namespace brimalox::vna::testing {

// A device on the far end of a pseudo-terminal: what the program writes to the port goes to the
// emulator, and its answers come back, until the test ends.
template <class Emulator>
class Pty {
public:
    explicit Pty(Emulator& device) {
        char name[128];
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("no pseudo-terminal");
        name_ = name;
        serving_ = std::thread([this, &device] {
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
                char buffer[4096];
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n <= 0) continue;
                const std::string answer = device.take(std::string_view(buffer, static_cast<std::size_t>(n)));
                for (std::size_t at = 0; at < answer.size();) {
                    const ssize_t w = ::write(master_, answer.data() + at, answer.size() - at);
                    if (w <= 0) break;
                    at += static_cast<std::size_t>(w);
                }
            }
        });
    }
    ~Pty() {
        hangUp();
        ::close(slave_);
    }
    const std::string& name() const { return name_; }
    // The cable pulled: the device stops and its side closes, as when an analyser is unplugged.
    void hangUp() {
        stop_ = true;
        if (serving_.joinable()) serving_.join();
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1, slave_ = -1;
    std::string name_;
    std::atomic<bool> stop_{false};
    std::thread serving_;
};

// An antenna given by its impedance at some frequencies, as S11 against 50 ohms between them
// (straight lines between the impedances, the ends held beyond the first and the last).
inline Antenna betweenImpedances(std::vector<double> mhz, std::vector<std::complex<double>> ohms) {
    return [mhz = std::move(mhz), ohms = std::move(ohms)](double hz) {
        const double at = hz / 1e6;
        std::size_t i = 1;
        while (i + 1 < mhz.size() && mhz[i] < at)
            ++i;
        const double t = (at - mhz[i - 1]) / (mhz[i] - mhz[i - 1]);
        const std::complex<double> z = ohms[i - 1] + t * (ohms[i] - ohms[i - 1]);
        return (z - 50.0) / (z + 50.0);
    };
}

}  // namespace brimalox::vna::testing
