#pragma once
// What the model windows' tests ask of the machine: whether nec2c is installed (as the model's own
// tests ask it), how many nec2c processes this test has running, and CANCEL while one runs.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "desktop/model_window.h"
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

// Clicks the window's CANCEL once its run has started nec2c: the run ends within endMs, and less
// than a second after the click, with no nec2c left.
inline void cancelOnceNec2cRuns(const ModelWindow& window, int endMs) {
    ASSERT_TRUE(QTest::qWaitFor([] { return nec2cChildren() > 0; }, 10000)) << "nec2c never started";
    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.running(); }, endMs));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(nec2cChildren(), 0);
}

}  // namespace brimalox::testing
