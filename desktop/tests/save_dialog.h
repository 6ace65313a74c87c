#pragma once
// A save dialog answered as a user answers it: the path typed into its name box, then OK.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>

namespace brimalox::testing {

// Runs open(), which shows a file dialog, types path into the dialog's name box and accepts it;
// returns the name the dialog offered.
inline QString saveThrough(const QString& path, const std::function<void()>& open) {
    QString offered;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = files ? files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name || !files->isVisible()) return;
        offered = name->text();
        // Typed into the name box, as a user would: selectFile() leaves a box that has the focus alone.
        name->setText(path);
        answer.stop();
        static_cast<QDialog*>(files)->accept();  // the dialog's own accept, as OK does
    });
    answer.start(20);
    open();
    answer.stop();
    return offered;
}

}  // namespace brimalox::testing
