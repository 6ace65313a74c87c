#include "app/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/diagram.h"
#include "app/notes_window.h"
#include "app/text_boxes.h"

namespace brimalox {
namespace {

const QString kCaption = QStringLiteral("QZ9ZZQ BX");

// The layout is drawn in twips; the window shows 15 of them to a logical pixel.
constexpr int px(int twips) { return twips / 15; }

struct Place {
    int left, top, width, height;  // twips, from the client area's top-left corner
    int tab;                       // place in the Tab-key order
    QRect rect() const { return {px(left), px(top), px(width), px(height)}; }
};

constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kOrange = 0xFF8000;

struct BoxRow {
    Field field;
    Place place;
    BoxLook look;
    QRgb colour;  // 0: the default text colour
    Qt::Alignment alignment;
    double points;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
constexpr double kNormal = 9.75;
constexpr double kSmall = 8.25;

// Row by row, top to bottom.
constexpr BoxRow kBoxes[] = {
    {Field::Text24, {0, 0, 8055, 285, 31}, BoxLook::Title, kBlue, kCentre, 12},
    {Field::Text1, {360, 480, 3135, 375, 0}, BoxLook::Label, kBlue, kLeft, kNormal},
    {Field::Text2, {3840, 480, 1335, 375, 1}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text3, {120, 1560, 4335, 375, 3}, BoxLook::Label, kBlue, kLeft, kNormal},
    {Field::Text4, {120, 2040, 855, 375, 4}, BoxLook::Value, kOrange, kCentre, kNormal},
    {Field::Text5, {1080, 2160, 615, 255, 5}, BoxLook::Unit, 0, kLeft, kNormal},
    {Field::Text6, {1800, 2040, 855, 375, 6}, BoxLook::Value, kOrange, kCentre, kNormal},
    {Field::Text7, {2760, 2160, 615, 285, 7}, BoxLook::Unit, 0, kLeft, kSmall},
    {Field::Text8, {3480, 2040, 855, 405, 8}, BoxLook::Value, kOrange, kCentre, kNormal},
    {Field::Text9, {4440, 2160, 495, 285, 9}, BoxLook::Unit, 0, kLeft, kNormal},
    {Field::Text10, {0, 3720, 975, 255, 14}, BoxLook::Label, kBlue, kRight, kNormal},
    {Field::Text11, {1320, 3720, 975, 285, 15}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text12, {2400, 3720, 375, 285, 16}, BoxLook::Unit, 0, kLeft, kNormal},
    {Field::Text13, {3120, 3720, 1215, 285, 17}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text14, {4440, 3720, 375, 285, 18}, BoxLook::Unit, 0, kLeft, kNormal},
    {Field::Text15, {120, 4200, 855, 285, 19}, BoxLook::Label, kBlue, kRight, kNormal},
    {Field::Text16, {1320, 4200, 975, 285, 20}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text17, {3120, 4200, 1215, 285, 21}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text18, {120, 4680, 855, 255, 22}, BoxLook::Label, kBlue, kRight, kNormal},
    {Field::Text19, {1320, 4680, 975, 285, 23}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text20, {3120, 4680, 1215, 285, 24}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text21, {0, 5160, 1095, 855, 25}, BoxLook::Label, kBlue, kRight, kSmall},
    {Field::Text22, {1320, 5520, 975, 285, 26}, BoxLook::Value, kRed, kCentre, kNormal},
    {Field::Text23, {3120, 5520, 1215, 285, 27}, BoxLook::Value, kRed, kCentre, kNormal},
};

struct ButtonRow {
    Button button;
    Place place;
    const char* accessibleName;  // the three CHANGE buttons share a caption, not a name
};

constexpr ButtonRow kButtons[] = {
    {Button::Command7, {5640, 480, 1575, 375, 30}, "ACCEPT"},
    {Button::Command1, {120, 2520, 855, 375, 10}, "CHANGE AWG"},
    {Button::Command2, {1800, 2520, 855, 375, 11}, "CHANGE INCH"},
    {Button::Command3, {3480, 2520, 855, 375, 12}, "CHANGE MM"},
    {Button::Command4, {1680, 3120, 1935, 375, 13}, "COMPUTE"},
    {Button::Command5, {5040, 5520, 1215, 375, 28}, "WEBSITE"},
    {Button::Command6, {6480, 5520, 1215, 375, 29}, "NOTES"},
};

struct OptionRow {
    Option option;
    const char* caption;
    Place place;
};

constexpr OptionRow kOptions[] = {
    {Option::Option1, "THREE SIDED", {840, 960, 1455, 375, 32}},
    {Option::Option2, "FOUR SIDED", {2760, 960, 1335, 375, 33}},
};

constexpr Place kPicture{5160, 1680, 2610, 3555, 2};
constexpr int kPictureEdge = 2;  // sunken edge around the bitmap, in pixels
constexpr int kLineLeft = 120, kLineRight = 7800, kLineTop = 1440;

QString qstr(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::size_t slot(Field field) { return static_cast<std::size_t>(field) - 1; }

// Qt takes a plain top-level QWidget for a client area, which AT-SPI calls a "filler"; a screen
// reader should meet the calculator as a window named by its caption, as it meets a QMainWindow.
QAccessibleInterface* accessibleForm1(const QString&, QObject* object) {
    if (auto* form = dynamic_cast<Form1*>(object)) return new QAccessibleWidget(form, QAccessible::Window);
    return nullptr;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    [[maybe_unused]] static const bool accessibleInstalled = (QAccessible::installFactory(accessibleForm1), true);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kCaption);
    setFixedSize(px(8025), px(6030));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(kWindowBackground));
    setPalette(palette);
    setFont(windowFont());  // what the buttons and option buttons show; each text box has its own

    buildTextBoxes();
    buildButtons();
    buildOptions();
    buildDiagramAndLine();
    applyTabOrder();
}

Form1::~Form1() = default;

void Form1::buildTextBoxes() {
    for (const BoxRow& row : kBoxes) {
        const FieldInfo& info = fieldInfo(row.field);
        BoxStyle style{row.look, row.colour ? QColor(row.colour) : QColor(), row.alignment, row.points};
        style.italic = row.look == BoxLook::Title;
        style.multiLine = row.field == Field::Text21;
        QWidget* box = makeTextBox(style, this);
        box->setObjectName(qstr(info.name));
        box->setGeometry(row.place.rect());
        box->setAccessibleName(qstr(info.accessibleName));
        setBoxText(box, qstr(info.defaultText));
        boxes_[slot(row.field)] = box;
    }
}

void Form1::buildButtons() {
    for (const ButtonRow& row : kButtons) {
        auto* button = new QPushButton(qstr(buttonCaption(row.button)), this);
        button->setObjectName(qstr(buttonName(row.button)));
        button->setGeometry(row.place.rect());
        button->setAutoDefault(false);
        button->setAccessibleName(QString::fromLatin1(row.accessibleName));
        button->setAccessibleDescription(qstr(buttonPurpose(row.button)));
        connect(button, &QPushButton::clicked, this, [this, which = row.button] { click(which); });
    }
}

// The two option buttons are one exclusive group, as option buttons are on every desktop: screen
// readers announce them as radio buttons, Tab enters the group at its selected button (the first
// while none is selected) and the arrow keys move within it.
void Form1::buildOptions() {
    for (const OptionRow& row : kOptions) {
        auto* option = new QRadioButton(QString::fromLatin1(row.caption), this);
        option->setObjectName(qstr(optionName(row.option)));
        option->setGeometry(row.place.rect());
        options_[static_cast<std::size_t>(row.option)] = option;
    }
}

void Form1::buildDiagramAndLine() {
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(kPictureEdge);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap::fromImage(drawDiagram()));
    picture->setGeometry(kPicture.rect());
    picture->setFocusPolicy(Qt::StrongFocus);  // a stop in the Tab order, like every control but the line
    picture->setAccessibleName(QStringLiteral("Antenna diagram"));
    picture->setAccessibleDescription(
        QStringLiteral("The three-sided antenna with its height, side and feed gap marked"));

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line2"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(px(kLineLeft), px(kLineTop), px(kLineRight - kLineLeft), 1);
}

void Form1::applyTabOrder() {
    std::vector<std::pair<int, QWidget*>> order;
    for (const BoxRow& row : kBoxes) order.emplace_back(row.place.tab, boxes_[slot(row.field)]);
    for (const ButtonRow& row : kButtons)
        order.emplace_back(row.place.tab, findChild<QPushButton*>(qstr(buttonName(row.button))));
    for (const OptionRow& row : kOptions)
        order.emplace_back(row.place.tab, options_[static_cast<std::size_t>(row.option)]);
    order.emplace_back(kPicture.tab, findChild<QLabel*>(QStringLiteral("Picture1")));
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1].second, order[i].second);
}

std::string Form1::text(Field field) const { return boxText(boxes_[slot(field)]).toStdString(); }

void Form1::setText(Field field, std::string_view text) { setBoxText(boxes_[slot(field)], qstr(text)); }

bool Form1::selected(Option option) const { return options_[static_cast<std::size_t>(option)]->isChecked(); }

void Form1::showNotes() {
    if (!notes_) notes_ = std::make_unique<NotesWindow>();
    notes_->present();
}

void Form1::showWebsite() {
    if (!website_) {
        website_ = new QMessageBox(QMessageBox::Information, QStringLiteral("WEBSITE"),
                                   QStringLiteral("This program has no website address.\n\n"
                                                  "BRIMALOX antenna calculator (%1), version %2")
                                       .arg(kCaption, QStringLiteral(BRIMALOX_VERSION)),
                                   QMessageBox::Ok, this);
        website_->setObjectName(QStringLiteral("website"));
        website_->setWindowModality(Qt::NonModal);
    }
    website_->show();
    website_->raise();
    website_->activateWindow();
}

void Form1::click(Button button) {
    if (const std::optional<ClickFailure> failure = press(button, *this, mod1_)) showFailure(button, *failure);
}

// Window-modal and not waited for: the click has ended, the window works on once OK is pressed.
void Form1::showFailure(Button button, const ClickFailure& failure) {
    auto* box = new QMessageBox(QMessageBox::Warning, kCaption, qstr(failureMessage(button, failure)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("failure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace brimalox
