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
    case Field::Text4:
        return "Type the gauge code in digits, such as 14, or 9009, 90009 or 900009 for 00, 000 or 0000.";
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

// The rows are a table, laid out by hand to be read as one.
// clang-format off
constexpr Control box(Field field, const BoxRow& row) {
    const FieldInfo& info = fieldInfo(field);
    std::optional<Rgb> background;
    if (row.look == Look::Title) background = kCyan;
    if (row.look == Look::Label || row.look == Look::Unit) background = kPeach;
    const ControlKind kind = field == Field::Text21 ? ControlKind::MultiLineTextBox : ControlKind::TextBox;
    return {.name = info.name, .kind = kind, .place = row.place, .tab = row.tab, .look = row.look,
            .textColour = row.colour, .background = background, .align = row.align, .font = row.font,
            .text = row.text, .role = info.role, .accessibleName = row.accessibleName, .field = field,
            .typingHint = typingHint(field), .numberOnlyHint = numberOnlyHint(field)};
}

struct ButtonRow {
    std::string_view name;
    Rect place;
    int tab;
    std::string_view caption;
    std::string_view role;
    std::string_view accessibleName;
    std::string_view purpose;
};

constexpr Control pushButton(Button button, const ButtonRow& row) {
    return {.name = row.name, .kind = ControlKind::PushButton, .place = row.place, .tab = row.tab,
            .look = Look::Button, .align = Align::Centre, .text = row.caption, .role = row.role,
            .accessibleName = row.accessibleName, .accessibleDescription = row.purpose, .button = button};
}

struct OptionRow {
    std::string_view name;
    Rect place;
    int tab;
    std::string_view caption;
};

constexpr Control optionButton(Option option, const OptionRow& row) {
    return {.name = row.name, .kind = ControlKind::OptionButton, .place = row.place, .tab = row.tab,
            .look = Look::Button, .align = Align::Left, .text = row.caption, .role = "option button",
            .accessibleName = row.caption, .option = option};
}

constexpr std::array<Control, kControlCount> kControls{{
    box(Field::Text1, {.place = {360, 480, 3135, 375}, .tab = 0, .look = Look::Label, .colour = kBlue, .align = Align::Left,
        .font = kBoxFont, .text = "INPUT FREQUENCY IN MHZ", .accessibleName = "INPUT FREQUENCY IN MHZ"}),
    box(Field::Text2, {.place = {3840, 480, 1335, 375}, .tab = 1, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "146.00", .accessibleName = "Frequency in MHz"}),
    box(Field::Text3, {.place = {120, 1560, 4335, 375}, .tab = 3, .look = Look::Label, .colour = kBlue, .align = Align::Left,
        .font = kBoxFont, .text = "RECOMMENDED MINIMUM WIRE/TUBE", .accessibleName = "RECOMMENDED MINIMUM WIRE/TUBE"}),
    box(Field::Text4, {.place = {120, 2040, 855, 375}, .tab = 4, .look = Look::Value, .colour = kOrange, .align = Align::Centre,
        .font = kBoxFont, .text = "14", .accessibleName = "Wire gauge, AWG"}),
    box(Field::Text5, {.place = {1080, 2160, 615, 255}, .tab = 5, .look = Look::Unit, .colour = {}, .align = Align::Left,
        .font = kBoxFont, .text = "AWG", .accessibleName = "AWG"}),
    box(Field::Text6, {.place = {1800, 2040, 855, 375}, .tab = 6, .look = Look::Value, .colour = kOrange, .align = Align::Centre,
        .font = kBoxFont, .text = ".064", .accessibleName = "Conductor diameter in inches"}),
    box(Field::Text7, {.place = {2760, 2160, 615, 285}, .tab = 7, .look = Look::Unit, .colour = {}, .align = Align::Left,
        .font = kSmallBoxFont, .text = "INCH", .accessibleName = "INCH"}),
    box(Field::Text8, {.place = {3480, 2040, 855, 405}, .tab = 8, .look = Look::Value, .colour = kOrange, .align = Align::Centre,
        .font = kBoxFont, .text = "1.626", .accessibleName = "Conductor diameter in millimetres"}),
    box(Field::Text9, {.place = {4440, 2160, 495, 285}, .tab = 9, .look = Look::Unit, .colour = {}, .align = Align::Left,
        .font = kBoxFont, .text = "MM", .accessibleName = "MM"}),
    box(Field::Text10, {.place = {0, 3720, 975, 255}, .tab = 14, .look = Look::Label, .colour = kBlue, .align = Align::Right,
        .font = kBoxFont, .text = "HEIGHT", .accessibleName = "HEIGHT"}),
    box(Field::Text11, {.place = {1320, 3720, 975, 285}, .tab = 15, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Height in inches"}),
    box(Field::Text12, {.place = {2400, 3720, 375, 285}, .tab = 16, .look = Look::Unit, .colour = {}, .align = Align::Left,
        .font = kBoxFont, .text = "IN", .accessibleName = "IN"}),
    box(Field::Text13, {.place = {3120, 3720, 1215, 285}, .tab = 17, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Height in millimetres"}),
    box(Field::Text14, {.place = {4440, 3720, 375, 285}, .tab = 18, .look = Look::Unit, .colour = {}, .align = Align::Left,
        .font = kBoxFont, .text = "MM", .accessibleName = "MM"}),
    box(Field::Text15, {.place = {120, 4200, 855, 285}, .tab = 19, .look = Look::Label, .colour = kBlue, .align = Align::Right,
        .font = kBoxFont, .text = "SIDE", .accessibleName = "SIDE"}),
    box(Field::Text16, {.place = {1320, 4200, 975, 285}, .tab = 20, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Side in inches"}),
    box(Field::Text17, {.place = {3120, 4200, 1215, 285}, .tab = 21, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Side in millimetres"}),
    box(Field::Text18, {.place = {120, 4680, 855, 255}, .tab = 22, .look = Look::Label, .colour = kBlue, .align = Align::Right,
        .font = kBoxFont, .text = "GAP", .accessibleName = "GAP"}),
    box(Field::Text19, {.place = {1320, 4680, 975, 285}, .tab = 23, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Gap in inches"}),
    box(Field::Text20, {.place = {3120, 4680, 1215, 285}, .tab = 24, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "Gap in millimetres"}),
    // The caption ends in a line break; the box wraps it over several lines.
    box(Field::Text21, {.place = {0, 5160, 1095, 855}, .tab = 25, .look = Look::Label, .colour = kBlue, .align = Align::Right,
        .font = kSmallBoxFont, .text = "300 OHM SERIES MATCH LENGHT\r\n", .accessibleName = "300 OHM SERIES MATCH LENGHT"}),
    box(Field::Text22, {.place = {1320, 5520, 975, 285}, .tab = 26, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "300 ohm series match length in inches"}),
    box(Field::Text23, {.place = {3120, 5520, 1215, 285}, .tab = 27, .look = Look::Value, .colour = kRed, .align = Align::Centre,
        .font = kBoxFont, .text = "00.00", .accessibleName = "300 ohm series match length in millimetres"}),
    // 30 twips wider than the client area: the frame cuts off its right edge.
    box(Field::Text24, {.place = {0, 0, 8055, 285}, .tab = 31, .look = Look::Title, .colour = kBlue, .align = Align::Centre,
        .font = kTitleFont, .text = kTitle, .accessibleName = "BRIMALOX ANTENNA by QZ9ZZQ"}),

    // The three CHANGE buttons share a caption; their names and roles tell them apart.
    pushButton(Button::Command1, {.name = "Command1", .place = {120, 2520, 855, 375}, .tab = 10, .caption = "CHANGE",
        .role = "CHANGE (below AWG)", .accessibleName = "CHANGE AWG",
        .purpose = "CHANGE below the AWG field: converts the gauge to inches and millimetres"}),
    pushButton(Button::Command2, {.name = "Command2", .place = {1800, 2520, 855, 375}, .tab = 11, .caption = "CHANGE",
        .role = "CHANGE (below INCH)", .accessibleName = "CHANGE INCH",
        .purpose = "CHANGE below the inch field: converts the inches to millimetres and the gauge"}),
    pushButton(Button::Command3, {.name = "Command3", .place = {3480, 2520, 855, 375}, .tab = 12, .caption = "CHANGE",
        .role = "CHANGE (below MM)", .accessibleName = "CHANGE MM",
        .purpose = "CHANGE below the millimetre field: converts the millimetres to inches and the gauge"}),
    pushButton(Button::Command4, {.name = "Command4", .place = {1680, 3120, 1935, 375}, .tab = 13, .caption = "COMPUTE",
        .role = "COMPUTE", .accessibleName = "COMPUTE",
        .purpose = "COMPUTE: computes the height, side, gap and series match length"}),
    pushButton(Button::Command5, {.name = "Command5", .place = {5040, 5520, 1215, 375}, .tab = 28, .caption = "WEBSITE",
        .role = "WEBSITE", .accessibleName = "WEBSITE",
        .purpose = "WEBSITE: shows information about this program"}),
    pushButton(Button::Command6, {.name = "Command6", .place = {6480, 5520, 1215, 375}, .tab = 29, .caption = "NOTES",
        .role = "NOTES", .accessibleName = "NOTES",
        .purpose = "NOTES: opens the design notes"}),
    pushButton(Button::Command7, {.name = "Command7", .place = {5640, 480, 1575, 375}, .tab = 30, .caption = "ACCEPT",
        .role = "ACCEPT", .accessibleName = "ACCEPT",
        .purpose = "ACCEPT: proposes the recommended minimum wire or tube for the frequency"}),

    optionButton(Option::Option1, {.name = "Option1", .place = {840, 960, 1455, 375}, .tab = 32, .caption = "THREE SIDED"}),
    optionButton(Option::Option2, {.name = "Option2", .place = {2760, 960, 1335, 375}, .tab = 33, .caption = "FOUR SIDED"}),

    // The bitmap's 170 x 233 pixels plus 60 twips (the sunken edge) each way.
    {.name = "Picture1", .kind = ControlKind::PictureBox, .place = {5160, 1680, 2610, 3555}, .tab = 2,
     .look = Look::Picture, .background = 0xFFFFFF, .align = Align::Left, .role = "diagram",
     .accessibleName = "Antenna diagram",
     .accessibleDescription = "The three-sided antenna with its height, side and feed gap marked"},
    {.name = "Line2", .kind = ControlKind::Line, .place = {120, 1440, 7680, 0}, .tab = -1, .look = Look::Line,
     .align = Align::Left, .role = "separator"},
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

constexpr WindowSpec kMainWindow{.name = "Form1", .caption = "QZ9ZZQ BX", .clientWidth = 8025, .clientHeight = 6030,
                                 .background = kPeach, .font = {8.25, false, false}, .initialFocus = "Text2"};
constexpr WindowSpec kNotesWindow{.name = "no", .caption = "NOTES", .clientWidth = 7710, .clientHeight = 3375,
                                  .background = kPeach, .font = {8.25, false, false}, .initialFocus = "Text1"};

// The notes box: the window's font and the default colours, editable, the only Tab stop.
constexpr Control kNotesBox{.name = "Text1", .kind = ControlKind::MultiLineTextBox, .place = {120, 120, 7455, 3135},
                            .tab = 0, .look = Look::Value, .align = Align::Left, .role = "notes box",
                            .accessibleName = "Design notes"};
// clang-format on

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
