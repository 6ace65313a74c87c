#pragma once
// What the model windows' tests ask of the machine: whether nec2c is installed, and how many nec2c
// processes this test has running.

#include <QCoreApplication>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <string>

namespace brimalox::testing {

inline bool haveNec2c() { return !QStandardPaths::findExecutable(QStringLiteral("nec2c")).isEmpty(); }

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
