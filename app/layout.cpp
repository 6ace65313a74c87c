#include "app/layout.h"

namespace brimalox {
namespace {

using namespace std::string_view_literals;

constexpr Rgb kPeach = 0xFFE0C0;
constexpr Rgb kCyan = 0xC0FFFF;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kOrange = 0xFF8000;

constexpr FontSpec kBoxFont{9.75, true, false};
constexpr FontSpec kSmallBoxFont{8.25, true, false};
constexpr FontSpec kTitleFont{12, true, true};

// Fourteen blanks before "by", seventeen after: the title is laid out with blanks.
constexpr std::string_view kTitle = "BRIMALOX ANTENNA              by                 QZ9ZZQ"sv;

struct BoxRow {
    Rect place;
    int tab;
    Look look;
    std::optional<Rgb> colour;
    Align align;
    FontSpec font;
    std::string_view text;
    std::string_view accessibleName;
};

// What a number in each field read by a handler looks like, in the field's own terms.
constexpr std::string_view typingHint(Field field) {
    switch (field) {
    case Field::Text2: return "Type the frequency in MHz, such as 146.00.";
    case Field::Text4: return "Type the gauge code in digits, such as 14, or 9009, 90009 or 900009 for 00, 000 or 0000.";
    case Field::Text6: return "Type the diameter in inches, such as .064.";
    case Field::Text8: return "Type the diameter in millimetres, such as 1.626.";
    default: return {};
    }
}

constexpr std::string_view numberOnlyHint(Field field) {
    switch (field) {
    case Field::Text2: return "Type the number of MHz only, such as 146.00, with no unit or band name.";
    case Field::Text4: return "Type the gauge code only, such as 14, with no unit.";
    case Field::Text6: return "Type the number of inches only, such as .064, with no unit.";
    case Field::Text8: return "Type the number of millimetres only, such as 1.626, with no unit.";
    default: return {};
    }
}

constexpr Control box(Field field, const BoxRow& row) {
    const FieldInfo& info = fieldInfo(field);
    std::optional<Rgb> background;
    if (row.look == Look::Title) background = kCyan;
    if (row.look == Look::Label || row.look == Look::Unit) background = kPeach;
    const ControlKind kind = field == Field::Text21 ? ControlKind::MultiLineTextBox : ControlKind::TextBox;
    return {info.name, kind, row.place, row.tab, row.look, row.colour, background, row.align, row.font,
            row.text, info.role, row.accessibleName, {}, field, {}, {}, typingHint(field), numberOnlyHint(field)};
}

constexpr Control pushButton(Button button, std::string_view name, Rect place, int tab, std::string_view caption,
                             std::string_view role, std::string_view accessibleName, std::string_view purpose) {
    return {name, ControlKind::PushButton, place, tab, Look::Button, {}, {}, Align::Centre, {}, caption, role,
            accessibleName, purpose, {}, button, {}};
}

constexpr Control optionButton(Option option, std::string_view name, Rect place, int tab, std::string_view caption) {
    return {name, ControlKind::OptionButton, place, tab, Look::Button, {}, {}, Align::Left, {}, caption,
            "option button", caption, {}, {}, {}, option};
}

constexpr std::array<Control, kControlCount> kControls{{
    box(Field::Text1, {{360, 480, 3135, 375}, 0, Look::Label, kBlue, Align::Left, kBoxFont, "INPUT FREQUENCY IN MHZ", "INPUT FREQUENCY IN MHZ"}),
    box(Field::Text2, {{3840, 480, 1335, 375}, 1, Look::Value, kRed, Align::Centre, kBoxFont, "146.00", "Frequency in MHz"}),
    box(Field::Text3, {{120, 1560, 4335, 375}, 3, Look::Label, kBlue, Align::Left, kBoxFont, "RECOMMENDED MINIMUM WIRE/TUBE", "RECOMMENDED MINIMUM WIRE/TUBE"}),
    box(Field::Text4, {{120, 2040, 855, 375}, 4, Look::Value, kOrange, Align::Centre, kBoxFont, "14", "Wire gauge, AWG"}),
    box(Field::Text5, {{1080, 2160, 615, 255}, 5, Look::Unit, {}, Align::Left, kBoxFont, "AWG", "AWG"}),
    box(Field::Text6, {{1800, 2040, 855, 375}, 6, Look::Value, kOrange, Align::Centre, kBoxFont, ".064", "Conductor diameter in inches"}),
    box(Field::Text7, {{2760, 2160, 615, 285}, 7, Look::Unit, {}, Align::Left, kSmallBoxFont, "INCH", "INCH"}),
    box(Field::Text8, {{3480, 2040, 855, 405}, 8, Look::Value, kOrange, Align::Centre, kBoxFont, "1.626", "Conductor diameter in millimetres"}),
    box(Field::Text9, {{4440, 2160, 495, 285}, 9, Look::Unit, {}, Align::Left, kBoxFont, "MM", "MM"}),
    box(Field::Text10, {{0, 3720, 975, 255}, 14, Look::Label, kBlue, Align::Right, kBoxFont, "HEIGHT", "HEIGHT"}),
    box(Field::Text11, {{1320, 3720, 975, 285}, 15, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Height in inches"}),
    box(Field::Text12, {{2400, 3720, 375, 285}, 16, Look::Unit, {}, Align::Left, kBoxFont, "IN", "IN"}),
    box(Field::Text13, {{3120, 3720, 1215, 285}, 17, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Height in millimetres"}),
    box(Field::Text14, {{4440, 3720, 375, 285}, 18, Look::Unit, {}, Align::Left, kBoxFont, "MM", "MM"}),
    box(Field::Text15, {{120, 4200, 855, 285}, 19, Look::Label, kBlue, Align::Right, kBoxFont, "SIDE", "SIDE"}),
    box(Field::Text16, {{1320, 4200, 975, 285}, 20, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Side in inches"}),
    box(Field::Text17, {{3120, 4200, 1215, 285}, 21, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Side in millimetres"}),
    box(Field::Text18, {{120, 4680, 855, 255}, 22, Look::Label, kBlue, Align::Right, kBoxFont, "GAP", "GAP"}),
    box(Field::Text19, {{1320, 4680, 975, 285}, 23, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Gap in inches"}),
    box(Field::Text20, {{3120, 4680, 1215, 285}, 24, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "Gap in millimetres"}),
    // The caption ends in a line break; the box wraps it over several lines.
    box(Field::Text21, {{0, 5160, 1095, 855}, 25, Look::Label, kBlue, Align::Right, kSmallBoxFont, "300 OHM SERIES MATCH LENGHT\r\n", "300 OHM SERIES MATCH LENGHT"}),
    box(Field::Text22, {{1320, 5520, 975, 285}, 26, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "300 ohm series match length in inches"}),
    box(Field::Text23, {{3120, 5520, 1215, 285}, 27, Look::Value, kRed, Align::Centre, kBoxFont, "00.00", "300 ohm series match length in millimetres"}),
    // 30 twips wider than the client area: the frame cuts off its right edge.
    box(Field::Text24, {{0, 0, 8055, 285}, 31, Look::Title, kBlue, Align::Centre, kTitleFont, kTitle, "BRIMALOX ANTENNA by QZ9ZZQ"}),

    // The three CHANGE buttons share a caption; their names and roles tell them apart.
    pushButton(Button::Command1, "Command1", {120, 2520, 855, 375}, 10, "CHANGE", "CHANGE (below AWG)", "CHANGE AWG",
               "CHANGE below the AWG field: converts the gauge to inches and millimetres"),
    pushButton(Button::Command2, "Command2", {1800, 2520, 855, 375}, 11, "CHANGE", "CHANGE (below INCH)", "CHANGE INCH",
               "CHANGE below the inch field: converts the inches to millimetres and the gauge"),
    pushButton(Button::Command3, "Command3", {3480, 2520, 855, 375}, 12, "CHANGE", "CHANGE (below MM)", "CHANGE MM",
               "CHANGE below the millimetre field: converts the millimetres to inches and the gauge"),
    pushButton(Button::Command4, "Command4", {1680, 3120, 1935, 375}, 13, "COMPUTE", "COMPUTE", "COMPUTE",
               "COMPUTE: computes the height, side, gap and series match length"),
    pushButton(Button::Command5, "Command5", {5040, 5520, 1215, 375}, 28, "WEBSITE", "WEBSITE", "WEBSITE",
               "WEBSITE: shows information about this program"),
    pushButton(Button::Command6, "Command6", {6480, 5520, 1215, 375}, 29, "NOTES", "NOTES", "NOTES",
               "NOTES: opens the design notes"),
    pushButton(Button::Command7, "Command7", {5640, 480, 1575, 375}, 30, "ACCEPT", "ACCEPT", "ACCEPT",
               "ACCEPT: proposes the recommended minimum wire or tube for the frequency"),

    optionButton(Option::Option1, "Option1", {840, 960, 1455, 375}, 32, "THREE SIDED"),
    optionButton(Option::Option2, "Option2", {2760, 960, 1335, 375}, 33, "FOUR SIDED"),

    // The bitmap's 170 x 233 pixels plus 60 twips (the sunken edge) each way.
    {"Picture1", ControlKind::PictureBox, {5160, 1680, 2610, 3555}, 2, Look::Picture, {}, 0xFFFFFF, Align::Left, {},
     {}, "diagram", "Antenna diagram", "The three-sided antenna with its height, side and feed gap marked", {}, {}, {}},
    {"Line2", ControlKind::Line, {120, 1440, 7680, 0}, -1, Look::Line, {}, {}, Align::Left, {}, {}, "separator", {},
     {}, {}, {}, {}},
}};

constexpr std::size_t kFirstButton = kFieldCount;
constexpr std::size_t kFirstOption = kFirstButton + 7;
constexpr std::size_t kPicture = kFirstOption + 2;

// The table's order is what the lookups below rely on.
constexpr bool inOrder() {
    for (std::size_t i = 0; i < kFieldCount; ++i)
        if (kControls[i].field != static_cast<Field>(i + 1)) return false;
    for (std::size_t i = 0; i < 7; ++i)
        if (kControls[kFirstButton + i].button != static_cast<Button>(i + 1)) return false;
    return kControls[kFirstOption].option == Option::Option1 && kControls[kFirstOption + 1].option == Option::Option2 &&
           kControls[kPicture].kind == ControlKind::PictureBox;
}
static_assert(inOrder());

constexpr WindowSpec kMainWindow{"Form1", "QZ9ZZQ BX", 8025, 6030, kPeach, {8.25, false, false}, "Text2"};
constexpr WindowSpec kNotesWindow{"no", "NOTES", 7710, 3375, kPeach, {8.25, false, false}, "Text1"};

// The notes box: the window's font and the default colours, editable, the only Tab stop.
constexpr Control kNotesBox{"Text1", ControlKind::MultiLineTextBox, {120, 120, 7455, 3135}, 0, Look::Value, {}, {},
                            Align::Left, {}, {}, "notes box", "Design notes", {}, {}, {}, {}};

}  // namespace

const WindowSpec& mainWindow() { return kMainWindow; }
const std::array<Control, kControlCount>& controls() { return kControls; }
std::span<const Control> textBoxes() { return std::span(kControls).first(kFieldCount); }
const Control& control(Field field) { return kControls[static_cast<std::size_t>(field) - 1]; }
const Control& control(Button button) { return kControls[kFirstButton + static_cast<std::size_t>(button) - 1]; }
const Control& control(Option option) { return kControls[kFirstOption + static_cast<std::size_t>(option)]; }
const Control& pictureBox() { return kControls[kPicture]; }

const Control* controlByName(std::string_view name) {
    for (const Control& c : kControls)
        if (c.name == name) return &c;
    return nullptr;
}

const WindowSpec& notesWindow() { return kNotesWindow; }
const Control& notesBox() { return kNotesBox; }

}  // namespace brimalox
