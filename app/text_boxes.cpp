#include "app/text_boxes.h"

#include <QFont>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>

namespace brimalox {

QFont boxFont(double pointSize, bool italic) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

QFont windowFont() {
    QFont font = boxFont(8.25, false);
    font.setBold(false);
    return font;
}

namespace {

QColor backgroundOf(BoxLook look) {
    switch (look) {
    case BoxLook::Title: return QColor(kTitleBackground);
    case BoxLook::Label:
    case BoxLook::Unit: return QColor(kWindowBackground);
    case BoxLook::Value: break;
    }
    return {};
}

void applyColours(QWidget* box, const BoxStyle& style) {
    QPalette palette = box->palette();
    if (const QColor base = backgroundOf(style.look); base.isValid()) palette.setColor(QPalette::Base, base);
    if (style.textColour.isValid()) palette.setColor(QPalette::Text, style.textColour);
    box->setPalette(palette);
}

QWidget* makeMultiLine(const BoxStyle& style, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setFrameShape(QFrame::NoFrame);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setTabChangesFocus(true);  // Tab walks the window's order, as in every other box
    QTextDocument* document = box->document();
    document->setDocumentMargin(1);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(style.alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    return box;
}

QWidget* makeSingleLine(const BoxStyle& style, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setFrame(style.look == BoxLook::Value);
    box->setAlignment(style.alignment | Qt::AlignVCenter);
    return box;
}

}  // namespace

QWidget* makeTextBox(const BoxStyle& style, QWidget* parent) {
    QWidget* box = style.multiLine ? makeMultiLine(style, parent) : makeSingleLine(style, parent);
    box->setFont(boxFont(style.pointSize, style.italic));
    applyColours(box, style);
    return box;
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
    }
}

}  // namespace brimalox
