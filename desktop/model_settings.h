#pragma once
// The model's feed line and ground, as the check and the band search both take them, with the words
// a refusal names them by.

#include <QWidget>

#include "nec/request.h"

class QComboBox;
class QLineEdit;

namespace brimalox {

// The settings as this program's windows label them.
nec::SettingNames windowSettingNames();

// A setting's box: named for the tests, the screen reader and the refusals alike.
QLineEdit* settingBox(QWidget* parent, const char* name, const QString& label, const QString& hint,
                      const QString& text = {});

class ModelSettings : public QWidget {
public:
    explicit ModelSettings(QWidget* parent);
    // Feed line, ground (or its constants) and height, as typed.
    void fill(nec::Settings& settings) const;
    QComboBox* groundBox() const { return ground_; }

private:
    QLineEdit *z0_ = nullptr, *constants_ = nullptr, *height_ = nullptr;
    QComboBox* ground_ = nullptr;
};

}  // namespace brimalox
