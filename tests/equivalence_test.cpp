// The same random scripts of typing, option choices and clicks, once on the real window and once
// through replay: after every action the twelve value fields must read the same, and a click fails
// in the window exactly when it fails in the replay.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cli/replay.h"
#include "desktop/form1.h"
#include "desktop/notes_window.h"
#include "numtext/fields.h"

namespace brimalox::cli {
namespace {

// Texts a user might type: numbers of every field's kind, and the mistakes people make. Tabs and
// bytes that are not UTF-8 are left out: a line edit cannot be given them by typing.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> odd{"",      " ",      "abc",   "1E39",   "1e-40",  "0",   "-5",    " 146 ",
                                              "1,5",   "146.",   ".064",  "1e5",    "+3",     "--1", "1.2.3", "9009",
                                              "90009", "900009", "99999", "3.4E38", "0.0031", "NaN", "inf",   "1 2"};
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> places(0, 4);
    auto decimal = [&](double low, double high) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", places(rng), low + (high - low) * unit(rng));
        return std::string(buffer);
    };
    switch (kind(rng)) {
    case 0: return decimal(0.5, 2000);                                              // a frequency
    case 1: return std::to_string(std::uniform_int_distribution<int>(0, 40)(rng));  // a gauge
    case 2: return decimal(0.001, 0.6);                                             // inches
    case 3: return decimal(0.05, 15);                                               // millimetres
    case 4: return decimal(-10, 10);
    default: return odd[std::uniform_int_distribution<std::size_t>(0, odd.size() - 1)(rng)];
    }
}

std::string randomLine(std::mt19937& rng) {
    // The fields people type into most, then any value field; options; the seven buttons.
    static const std::vector<std::string> inputs{"Text2", "Text2", "Text4", "Text6", "Text8"};
    std::uniform_int_distribution<int> verb(0, 9);
    const int v = verb(rng);
    if (v < 4) {
        std::string name = inputs[std::uniform_int_distribution<std::size_t>(0, inputs.size() - 1)(rng)];
        if (v == 0) {
            const auto& fields = reportedFields();
            name = std::string(
                fieldInfo(fields[std::uniform_int_distribution<std::size_t>(0, fields.size() - 1)(rng)]).name);
        }
        return "set " + name + " " + randomText(rng);
    }
    if (v == 4) return std::uniform_int_distribution<int>(0, 1)(rng) ? "select Option1" : "select Option2";
    // ACCEPT, COMPUTE and the CHANGE buttons most, NOTES and WEBSITE now and then.
    static const std::vector<int> buttons{7, 7, 4, 4, 1, 2, 3, 1, 2, 3, 5, 6};
    return "click Command" +
           std::to_string(buttons[std::uniform_int_distribution<std::size_t>(0, buttons.size() - 1)(rng)]);
}

class Equivalence : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<Form1>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        if (window->notesWindow()) window->notesWindow()->close();
        if (window->websiteWindow()) window->websiteWindow()->close();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T>
    T* control(const std::string& name) {
        T* widget = window->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QMessageBox* failureBox() { return window->findChild<QMessageBox*>(QStringLiteral("failure")); }

    // Does on the window what the line tells the replay; true when a click failed.
    bool perform(const Action& action) {
        if (const auto* set = std::get_if<SetAction>(&action)) {
            auto* box = control<QLineEdit>(std::string(fieldInfo(set->field).name));
            if (!box) return false;
            box->setFocus();
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key_Delete);
            QTest::keyClicks(box, QString::fromStdString(set->text));
            return false;
        }
        if (const auto* select = std::get_if<SelectAction>(&action)) {
            if (auto* option = control<QRadioButton>(std::string(optionName(select->option))))
                QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            return false;
        }
        const Button button = std::get<ClickAction>(action).button;
        if (auto* push = control<QPushButton>(std::string(buttonName(button)))) QTest::mouseClick(push, Qt::LeftButton);
        QMessageBox* box = failureBox();
        if (!box) return false;
        // The user reads the message and presses OK before doing anything else.
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }

    std::unique_ptr<Form1> window;
};

TEST_F(Equivalence, RandomScriptsGiveTheWindowsTexts) {
    std::mt19937 rng(20261208);
    constexpr int kScripts = 40;
    constexpr int kActions = 25;
    for (int s = 0; s < kScripts; ++s) {
        if (s > 0) {
            TearDown();
            SetUp();
        }
        Replay replay;
        std::string script;
        for (int a = 1; a <= kActions; ++a) {
            const std::string line = randomLine(rng);
            script += line + "\n";
            const ParsedLine parsed = parseReplayLine(line, a);
            ASSERT_TRUE(parsed.action.has_value()) << line;
            const std::size_t clicksBefore = replay.clicks().size();
            replay.apply(*parsed.action);
            const bool windowFailed = perform(*parsed.action);

            SCOPED_TRACE("script " + std::to_string(s) + ":\n" + script);
            if (replay.clicks().size() > clicksBefore) {
                EXPECT_EQ(windowFailed, !replay.clicks().back().ok());
            }
            for (const Field field : reportedFields()) {
                ASSERT_EQ(window->text(field), replay.form().text(field)) << fieldInfo(field).name;
            }
        }
    }
}

}  // namespace
}  // namespace brimalox::cli

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
