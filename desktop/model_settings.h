#pragma once
// The model's feed line, ground and feed system, as the check, the trim and the band search take
// them, with the words a refusal names them by.

#include <QWidget>
#include <utility>
#include <vector>

#include "nec/request.h"
#include "nec/setting_fields.h"

class QComboBox;
class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;

namespace brimalox {

// The settings as this program's windows label them.
nec::SettingNames windowSettingNames();

// A setting's box: named for the tests, the screen reader and the refusals alike.
QLineEdit* settingBox(QWidget* parent, const char* name, const QString& label, const QString& hint,
                      const QString& text = {});
// A setting's box as its row in nec/setting_fields.h makes it, named by its key.
QLineEdit* settingBox(QWidget* parent, const nec::SettingField& field);

// Setting boxes side by side in one row of a form: the first, then each of the others after its
// caption ("TO", "STEP").
QHBoxLayout* settingsInRow(QWidget* parent, QLineEdit* first, const std::vector<std::pair<QString, QLineEdit*>>& more);

class ModelSettings : public QWidget {
public:
    explicit ModelSettings(QWidget* parent);
    // Feed line, ground (or its constants), height and the wire's coat, as typed; and the feed system when FEED SYSTEM
    // is ticked (ticked with nothing typed: the default feed, the SWR at the rig).
    void fill(nec::Settings& settings) const;
    QComboBox* groundBox() const { return ground_; }
    QGroupBox* feedBox() const { return feed_; }

private:
    QGroupBox* buildFeed();
    // The group's settings as rows of the form, in the table's order.
    void addGroup(QWidget* parent, QFormLayout* form, nec::SettingGroup group);
    QComboBox* choiceBox(QWidget* parent, const nec::SettingField& field);

    struct Box {
        const nec::SettingField* field;
        QLineEdit* box;
    };
    std::vector<Box> boxes_;
    QLineEdit* constants_ = nullptr;
    QComboBox *ground_ = nullptr, *at_ = nullptr;
    QGroupBox* feed_ = nullptr;
};

}  // namespace brimalox
