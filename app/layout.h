#pragma once
// The two windows as data: every control of the main window with its place, Tab stop, look,
// colours, font and text, the window itself, and the notes window. The Qt window and the browser
// page both build themselves from these tables, so neither holds a place, colour or caption of its
// own. Places are in twips (1440 to the inch, 15 to a pixel at 96 dpi) from the client area's
// top-left corner.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "numtext/fields.h"
#include "numtext/form.h"

namespace brimalox {

enum class ControlKind { TextBox, MultiLineTextBox, PushButton, OptionButton, PictureBox, Line };

// How a control looks beyond its colours: a border or none, and which default it falls back on.
enum class Look {
    Title,    // blue on light cyan, no border
    Label,    // blue on the window background, no border
    Unit,     // black on the window background, no border
    Value,    // coloured text on the default background, default sunken border
    Button,   // the toolkit's push or option button
    Picture,  // a sunken edge around the diagram
    Line,     // a thin line in the default line colour
};

enum class Align { Left, Centre, Right };

struct Rect {
    int left, top, width, height;
};

// A font of a control's own; controls without one use the window's font.
struct FontSpec {
    double points;
    bool bold;
    bool italic;
};

using Rgb = std::uint32_t;  // 0xRRGGBB
inline constexpr int kTwipsPerPixel = 15;

struct Control {
    std::string_view name{};  // control name, "Text2", "Command7"
    ControlKind kind{};
    Rect place{};  // twips; a line runs from (left, top) to (left + width, top)
    int tab{};     // place in the Tab-key order, 0 first; -1 for none
    Look look{};
    std::optional<Rgb> textColour{};  // empty: the toolkit's default
    std::optional<Rgb> background{};  // empty: the toolkit's default
    Align align{};
    std::optional<FontSpec> font{};  // empty: the window's font
    std::string_view text{};         // caption, or the text box's text at start
    std::string_view role{};         // what it is, in the words of failure messages
    std::string_view accessibleName{};
    std::string_view accessibleDescription{};
    std::optional<Field> field{};    // set for a text box
    std::optional<Button> button{};  // set for a push button
    std::optional<Option> option{};  // set for an option button
    // For a field a handler reads as a number: what to type, told after a text that is no number.
    std::string_view typingHint{};
    // Told instead after a unit or band name typed behind the number ("146 MHz", "2m").
    std::string_view numberOnlyHint{};

    bool valueField() const { return look == Look::Value; }
};

inline constexpr std::size_t kControlCount = 35;

struct WindowSpec {
    std::string_view name;          // "Form1"
    std::string_view caption;       // "QZ9ZZQ BX"
    int clientWidth, clientHeight;  // twips
    Rgb background;
    FontSpec font;                  // buttons, option buttons and what has no font of its own
    std::string_view initialFocus;  // the control that takes the keys when the window opens
};

// The face every control asks for: the classic dialog face where it is installed, else its metric
// twin on Linux. Systems without either have one of the fallbacks, twins of the same metrics.
inline constexpr std::array<std::string_view, 2> kFontFaces{"MS Sans Serif", "Liberation Sans"};
inline constexpr std::array<std::string_view, 2> kFontFallbacks{"Arial", "Helvetica"};

// The program's name where a front-end names more than its window ("QZ9ZZQ BX"): a page title.
inline constexpr std::string_view kProgramName = "BRIMALOX antenna calculator";
// How a screen reader names the two option buttons together.
inline constexpr std::string_view kOptionGroupName = "antenna form";

const WindowSpec& mainWindow();
// All 35 controls: the 24 text boxes in field order (Text1 first), then Command1 .. Command7,
// Option1, Option2, Picture1 and Line2.
const std::array<Control, kControlCount>& controls();
std::span<const Control> textBoxes();
const Control& control(Field field);
const Control& control(Button button);
const Control& control(Option option);
const Control& pictureBox();
// nullptr when no control has that name.
const Control* controlByName(std::string_view name);

// The sunken edge around the diagram, in pixels on each side.
inline constexpr int kPictureEdgePixels = 2;

// The notes window and its one box.
const WindowSpec& notesWindow();
const Control& notesBox();

constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace brimalox
