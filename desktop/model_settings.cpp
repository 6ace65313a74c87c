#include "desktop/model_settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "desktop/text_boxes.h"

namespace brimalox {
namespace {

constexpr const char* kOwnConstants = "constants";

}  // namespace

nec::SettingNames windowSettingNames() { return nec::settingNames(&nec::SettingField::windowName); }

QLineEdit* settingBox(QWidget* parent, const char* name, const QString& label, const QString& hint,
                      const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(label);
    box->setPlaceholderText(hint);
    return box;
}

QHBoxLayout* settingsInRow(QWidget* parent, QLineEdit* first, const std::vector<std::pair<QString, QLineEdit*>>& more) {
    auto* row = new QHBoxLayout;
    row->addWidget(first);
    for (const auto& [caption, box] : more) {
        row->addWidget(new QLabel(caption, parent));
        row->addWidget(box);
    }
    return row;
}

QLineEdit* settingBox(QWidget* parent, const nec::SettingField& field) {
    return settingBox(parent, std::string(field.key).c_str(), qstr(field.windowName), qstr(field.windowHint),
                      qstr(field.defaultText));
}

ModelSettings::ModelSettings(QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    for (nec::SettingGroup group : {nec::SettingGroup::Line, nec::SettingGroup::Ground, nec::SettingGroup::Coat})
        addGroup(this, form, group);
    const auto constantsWanted = [this] {
        constants_->setEnabled(ground_->currentData().toString() == QLatin1String(kOwnConstants));
    };
    connect(ground_, &QComboBox::currentIndexChanged, this, constantsWanted);
    constantsWanted();
    form->addRow(buildFeed());
}

QComboBox* ModelSettings::choiceBox(QWidget* parent, const nec::SettingField& field) {
    auto* box = new QComboBox(parent);
    box->setObjectName(qstr(field.key));
    box->setAccessibleName(qstr(field.windowName));
    if (field.key == "ground") {
        box->addItem(QStringLiteral("free space"), QString());
        box->addItem(QStringLiteral("perfect"), QStringLiteral("perfect"));
        for (const nec::GroundClass& c : nec::groundClasses())
            box->addItem(QStringLiteral("%1: %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(c.description)),
                         QString::fromLatin1(c.name));
        box->addItem(QStringLiteral("of its own constants"), QString::fromLatin1(kOwnConstants));
        ground_ = box;
    } else {  // the plane of the SWR
        box->addItem(QStringLiteral("the rig"), QStringLiteral("rig"));
        box->addItem(QStringLiteral("the junction"), QStringLiteral("junction"));
        box->addItem(QStringLiteral("the gaps"), QStringLiteral("gap"));
        at_ = box;
    }
    return box;
}

void ModelSettings::addGroup(QWidget* parent, QFormLayout* form, nec::SettingGroup group) {
    for (const nec::SettingField& field : nec::kSettingFields) {
        if (field.group != group) continue;
        if (field.kind == nec::SettingKind::Choice) {
            form->addRow(qstr(field.windowLabel), choiceBox(parent, field));
            continue;
        }
        QLineEdit* box = settingBox(parent, field);
        form->addRow(qstr(field.windowLabel), box);
        boxes_.push_back({&field, box});
        if (field.key == "groundConstants") constants_ = box;
    }
}

// The lines from the gaps to their junction, a section, a balun and coax to the rig: what the SWR is
// measured through. Off, the SWR is the gap's against FEED LINE Z0.
QGroupBox* ModelSettings::buildFeed() {
    feed_ = new QGroupBox(QStringLiteral("FEED SYSTEM"), this);
    feed_->setObjectName(QStringLiteral("feed"));
    feed_->setCheckable(true);
    feed_->setChecked(false);
    feed_->setFlat(true);               // no empty frame while it is off
    auto* fields = new QWidget(feed_);  // shown only while ticked: the windows stay short without a feed
    (new QVBoxLayout(feed_))->addWidget(fields);
    auto* form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    addGroup(fields, form, nec::SettingGroup::Feed);
    fields->setVisible(false);
    connect(feed_, &QGroupBox::toggled, fields, &QWidget::setVisible);
    return feed_;
}

void ModelSettings::fill(nec::Settings& s) const {
    const QString ground = ground_->currentData().toString();
    const bool own = ground == QLatin1String(kOwnConstants);
    if (!own) s.ground = ground.toStdString();
    for (const auto& [field, box] : boxes_) {
        if ((field->group == nec::SettingGroup::Feed && !feed_->isChecked()) ||
            (field->key == "groundConstants" && !own))
            continue;
        *nec::settingText(s, *field) = box->text().toStdString();
    }
    if (feed_->isChecked()) s.feed.at = at_->currentData().toString().toStdString();
}

}  // namespace brimalox
