#pragma once
// A shown main window, and the ways a user reaches its controls: by name, by typing, by clicking.

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/tests/expectations.h"
#include "desktop/form1.h"
#include "desktop/notes_window.h"
#include "numtext/fields.h"

namespace brimalox::testing {

// A place [left, top, width, height] in twips of the expected windows, in pixels.
inline QRect pixelRect(const nlohmann::json& place) {
    const auto twips = place.get<std::vector<int>>();
    return {twips.at(0) / kTwipsPerPixel, twips.at(1) / kTwipsPerPixel, twips.at(2) / kTwipsPerPixel,
            twips.at(3) / kTwipsPerPixel};
}

// A colour "#RRGGBB" of the expected windows.
inline QRgb rgbOf(const nlohmann::json& colour) { return std::stoul(colour.get<std::string>().substr(1), nullptr, 16); }

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<Form1>();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    void TearDown() override {
        // Failure boxes delete themselves when closed; let that happen before the next test.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T = QWidget>
    T* control(const char* name) const {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Replaces a single-line box's text the way a user does: select all, then type.
    void type(Field field, const std::string& text) {
        auto* box = control<QLineEdit>(std::string(fieldInfo(field).name).c_str());
        if (!box) return;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, QString::fromStdString(text));
    }

    void click(const char* buttonName) {
        if (auto* button = control<QPushButton>(buttonName)) QTest::mouseClick(button, Qt::LeftButton);
    }

    void select(const char* optionName) {
        if (auto* option = control<QRadioButton>(optionName))
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }

    std::string text(Field field) const { return form->text(field); }

    std::map<std::string, std::string> allTexts() const {
        std::map<std::string, std::string> texts;
        for (const FieldInfo& info : fieldTable())
            texts[std::string(info.name)] = form->text(info.field);
        return texts;
    }

    QMessageBox* failureBox() const { return form->findChild<QMessageBox*>(QStringLiteral("failure")); }

    void dismissFailure() {
        QMessageBox* box = failureBox();
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<Form1> form;
};

}  // namespace brimalox::testing
