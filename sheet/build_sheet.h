#pragma once
// A build sheet: one design as the window computed it, what to cut, what a model check said of it
// and room for what the builder measures. The same content for the printed page, the SVG of the
// command line and its text, CSV and JSON.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "app/road.h"
#include "sheet/cut_list.h"

namespace brimalox::sheet {

// What a model check of the design found. Plain figures, filled by whoever ran the model.
struct ModelFigures {
    struct Stretch {
        double fromMhz = 0, toMhz = 0;
        bool openBelow = false, openAbove = false;  // still below 2:1 at the sweep's start, its end
    };
    double designMhz = 0;
    double swrAtDesign = 0;
    double lowestSwr = 0, lowestSwrMhz = 0;
    std::vector<Stretch> belowTwo;  // every stretch below 2:1, the one holding the design frequency first
    double maxGainDbi = 0, takeoffDeg = 0;
    double z0Ohms = 300;                 // the line the SWR is against
    std::string ground;                  // in words, e.g. "free space" or "average ground (13, 0.005 S/m)"
    std::optional<double> heightMetres;  // of the antenna's lowest point; none in free space
    // Insulated wire: the coat in words and the scale of the height and the side that puts it where
    // the bare design is (0: bare wire), with the check run's scale.
    std::string coat;
    double lengthRatio = 0, checkRatio = 0;
    // With a feed: where the SWR was taken ("junction" or "rig"; empty: at a gap, on the line) and
    // the SWR there at the design frequency with every line alike and with one line reversed.
    std::string plane;
    std::optional<std::pair<double, double>> reversedSwr;
};

// A line of the feed: impedance in ohms, velocity factor, length in metres.
struct FeedLine {
    double z0 = 300, vf = 0.82, metres = 0;
};

// The feed a model check was asked for, as the builder makes it: a line from each gap, all alike
// and joined side by side, then an optional section of line, a balun and coax to the rig.
struct FeedFigures {
    int lines = 3;
    FeedLine line;
    std::optional<FeedLine> section;
    double balun = 1;  // N of N:1 in impedance
    std::optional<FeedLine> coax;
    double rigZ0 = 50;
};

// What a sheet carries besides the design: each may be absent, and then the sheet is as without it.
struct SheetAdditions {
    std::optional<FeedFigures> feed;  // its pieces listed, each line's polarity drawn
    double jointAllowanceMm = 0;      // added to each piece's cut length
    // A trimmed design's sheet: the design as it was built, so each piece says what to cut from it.
    std::optional<DesignTexts> builtDesign;
};

struct BuildSheet {
    std::string date;  // YYYY-MM-DD
    DesignResult design;
    CutList cuts;
    std::string formCaption;    // "THREE SIDED" or "FOUR SIDED", as on the window
    std::string warning;        // the notes' warning not to go below the recommended minimum
    bool belowMinimum = false;  // the conductor used is thinner than the recommended one
    std::optional<ModelFigures> model;
    std::string remark;  // said below the model check, such as what a trim changed; may be empty
    std::optional<FeedFigures> feed;
    std::vector<CutPiece> feedPieces;  // the lines, the section, the balun, the coax
    double jointAllowanceMm = 0;
};

// A joint allowance as typed: a number of millimetres, 0 or more. Throws std::invalid_argument
// naming the setting and what to type.
double readJointAllowance(const std::string& text, const std::string& name);
// What the joint allowance is for, on one line.
std::string jointAllowanceNote(double mm);
// The feed's polarity rule, in words for the drawing.
inline constexpr std::string_view kPolarityText =
    "A TO THE UPPER HALF AT EVERY GAP; AT THE JUNCTION JOIN EVERY A TOGETHER AND EVERY B TOGETHER";

// Said above the warning when the conductor used is thinner than the recommended minimum.
inline constexpr std::string_view kBelowMinimumText = "THE CONDUCTOR USED IS THINNER THAN THE RECOMMENDED MINIMUM.";

// The sheet of a design, or what is wrong with it in words (a failed design, texts that are no
// numbers).
std::variant<BuildSheet, std::string> makeBuildSheet(const DesignResult& design, int sides, std::string date,
                                                     std::optional<ModelFigures> model = std::nullopt,
                                                     const SheetAdditions& additions = {});

// The model check's figures as label and value lines, in the order the sheet shows them; empty
// when no model check came with the sheet.
struct ModelLine {
    std::string label, value;
};
std::vector<ModelLine> modelLines(const BuildSheet& sheet);

// The feed's pieces as rows of a cut list: a balun has no length.
std::vector<CutRow> feedRows(const BuildSheet& sheet);

// The warning of the notes not to use a conductor below the recommended minimum, on one line.
std::string minimumWarning();

// A YYYY-MM-DD date that is a real day of the Gregorian calendar.
bool validDate(std::string_view date);

// A height in metres, to the centimetre, without trailing zeros.
std::string metresText(double metres);

}  // namespace brimalox::sheet
