#include "desktop/kept_settings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QWidget>

namespace brimalox {
namespace {

// A control's key in its window's group; none for the unnamed ones (Qt's own parts).
QString keyOf(const QWidget* control) { return control->objectName(); }

// The buttons a user sets: ticks and option buttons, not push buttons.
bool isSetting(const QAbstractButton* button) { return button->isCheckable(); }

}  // namespace

std::unique_ptr<QSettings> keptSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brimalox"),
                                       QStringLiteral("brimalox"));
}

void keepWindow(const QWidget& window) {
    const auto settings = keptSettings();
    settings->beginGroup(window.objectName());
    settings->remove(QString());  // what the window no longer has goes too
    settings->setValue(QStringLiteral("geometry"), window.saveGeometry());
    for (const QLineEdit* box : window.findChildren<QLineEdit*>())
        if (!keyOf(box).isEmpty()) settings->setValue(keyOf(box), box->text());
    for (const QComboBox* list : window.findChildren<QComboBox*>())
        if (!keyOf(list).isEmpty()) settings->setValue(keyOf(list), list->currentIndex());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (!keyOf(button).isEmpty() && isSetting(button)) settings->setValue(keyOf(button), button->isChecked());
    for (const QGroupBox* group : window.findChildren<QGroupBox*>())
        if (!keyOf(group).isEmpty() && group->isCheckable()) settings->setValue(keyOf(group), group->isChecked());
    settings->endGroup();
}

void restoreWindow(QWidget& window) {
    const auto settings = keptSettings();
    settings->beginGroup(window.objectName());
    if (settings->contains(QStringLiteral("geometry")))
        window.restoreGeometry(settings->value(QStringLiteral("geometry")).toByteArray());
    for (QLineEdit* box : window.findChildren<QLineEdit*>())
        if (!keyOf(box).isEmpty() && settings->contains(keyOf(box)))
            box->setText(settings->value(keyOf(box)).toString());
    for (QComboBox* list : window.findChildren<QComboBox*>()) {
        const int index = settings->value(keyOf(list), -1).toInt();
        if (!keyOf(list).isEmpty() && index >= 0 && index < list->count()) list->setCurrentIndex(index);
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (!keyOf(button).isEmpty() && isSetting(button) && settings->contains(keyOf(button)))
            button->setChecked(settings->value(keyOf(button)).toBool());
    for (QGroupBox* group : window.findChildren<QGroupBox*>())
        if (!keyOf(group).isEmpty() && group->isCheckable() && settings->contains(keyOf(group)))
            group->setChecked(settings->value(keyOf(group)).toBool());
    settings->endGroup();
}

void keepPlace(const QWidget& window) {
    keptSettings()->setValue(window.objectName() + QStringLiteral("/geometry"), window.saveGeometry());
}

void restorePlace(QWidget& window) {
    const QVariant kept = keptSettings()->value(window.objectName() + QStringLiteral("/geometry"));
    if (kept.isValid()) window.restoreGeometry(kept.toByteArray());
}

QString keptFolder(const char* key) {
    const QString folder = keptSettings()->value(QString::fromLatin1(key)).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
}

void keepFolderOf(const char* key, const QString& file) {
    keptSettings()->setValue(QString::fromLatin1(key), QFileInfo(file).absolutePath());
}

}  // namespace brimalox
