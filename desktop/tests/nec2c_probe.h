#pragma once
// What the model windows' tests ask of the machine: whether nec2c is installed (as the model's own
// tests ask it), and how many nec2c processes this test has running.

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <string>

#include "nec/tests/nec2c_installed.h"

namespace brimalox::testing {

inline bool haveNec2c() { return nec::testing::nec2cInstalled(); }

inline int nec2cChildren() {
    int found = 0;
    const std::string parent = std::to_string(QCoreApplication::applicationPid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, ppid;
        if (stat >> pid >> name >> state >> ppid && name == "(nec2c)" && ppid == parent) ++found;
    }
    return found;
}

}  // namespace brimalox::testing
