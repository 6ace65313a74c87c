#pragma once
// What the program keeps from one start to the next, in the platform's own place for settings
// (~/.config/brimalox/brimalox.conf): the model windows' settings, sizes and places, the last
// folders, the recent designs. The main window always starts with its own defaults.

#include <QSettings>
#include <QString>
#include <memory>

class QWidget;

namespace brimalox {

std::unique_ptr<QSettings> keptSettings();

// Every named setting control under window (its boxes' texts, its lists' choices, its ticks and
// option buttons, its checkable groups) and the window's size and place, under the window's name.
void keepWindow(const QWidget& window);
// The same put back, where kept; what was never kept stays as the window made it.
void restoreWindow(QWidget& window);

// A window's size and place alone (a dialog of Qt's own, whose controls are not ours to keep).
void keepPlace(const QWidget& window);
void restorePlace(QWidget& window);

// A folder kept under key ("measuredFolder"), the user's home until one is kept.
QString keptFolder(const char* key);
void keepFolderOf(const char* key, const QString& file);

}  // namespace brimalox
