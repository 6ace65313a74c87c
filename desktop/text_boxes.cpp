#include "desktop/text_boxes.h"

#include <QFont>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <limits>

namespace brimalox {

QString qstr(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor qcolour(Rgb rgb) { return QColor(static_cast<QRgb>(rgb)); }

Qt::Alignment qalign(Align align) {
    switch (align) {
    case Align::Left: return Qt::AlignLeft;
    case Align::Centre: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

QFont qfont(const FontSpec& style) {
    QFont font;
    QStringList faces;
    for (std::string_view face : kFontFaces)
        faces << qstr(face);
    font.setFamilies(faces);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(style.points);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

QFont windowFont() { return qfont(mainWindow().font); }

namespace {

void applyColours(QWidget* widget, const Control& box) {
    QPalette palette = widget->palette();
    if (box.background) palette.setColor(QPalette::Base, qcolour(*box.background));
    if (box.textColour) palette.setColor(QPalette::Text, qcolour(*box.textColour));
    widget->setPalette(palette);
}

QWidget* makeMultiLine(const Control& box, QWidget* parent) {
    auto* widget = new QPlainTextEdit(parent);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    if (box.look == Look::Value) return widget;  // the default border, margins and wrapping

    widget->setFrameShape(QFrame::NoFrame);
    widget->setTabChangesFocus(true);  // Tab walks the window's order, as in every other box
    QTextDocument* document = widget->document();
    document->setDocumentMargin(1);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(qalign(box.align));
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    return widget;
}

QWidget* makeSingleLine(const Control& box, QWidget* parent) {
    auto* widget = new QLineEdit(parent);
    widget->setMaxLength(std::numeric_limits<int>::max());  // a text box has no limit of its own
    widget->setFrame(box.look == Look::Value);
    widget->setAlignment(qalign(box.align) | Qt::AlignVCenter);
    return widget;
}

}  // namespace

QWidget* makeTextBox(const Control& box, QWidget* parent) {
    QWidget* widget =
        box.kind == ControlKind::MultiLineTextBox ? makeMultiLine(box, parent) : makeSingleLine(box, parent);
    widget->setObjectName(qstr(box.name));
    widget->setFont(box.font ? qfont(*box.font) : windowFont());
    applyColours(widget, box);
    widget->setAccessibleName(qstr(box.accessibleName));
    if (!box.accessibleDescription.empty()) widget->setAccessibleDescription(qstr(box.accessibleDescription));
    return widget;
}

QString boxText(const QWidget* box) {
    if (const auto* line = qobject_cast<const QLineEdit*>(box)) return line->text();
    if (const auto* multi = qobject_cast<const QPlainTextEdit*>(box)) {
        QString text = multi->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return text;
    }
    return {};
}

void setBoxText(QWidget* box, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setText(text);
        line->setCursorPosition(0);  // show the start of a text that is wider than the box
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(box)) {
        multi->setPlainText(text);
        // The alignment drawn comes from the document's default; the one told to a screen reader
        // comes from each paragraph's own format, and lines typed later take it over.
        const Qt::Alignment alignment = multi->document()->defaultTextOption().alignment();
        if ((alignment & Qt::AlignHorizontal_Mask) != Qt::AlignLeft) {
            QTextCursor cursor(multi->document());
            cursor.select(QTextCursor::Document);
            QTextBlockFormat format;
            format.setAlignment(alignment);
            cursor.mergeBlockFormat(format);
        }
    }
}

QMessageBox* openMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                         const char* name) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

void showKeptBox(QMessageBox*& box, QWidget* parent, const QString& title, const QString& text, const char* name) {
    if (!box) {
        box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
        box->setObjectName(QString::fromLatin1(name));
        box->setWindowModality(Qt::NonModal);
    }
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace brimalox
