#include "app/notes_text.h"

#include <array>
#include <string_view>

namespace brimalox {
namespace {

struct NotesLine {
    std::string_view text;
    int trailingBlanks;  // kept as a count: runs of blanks are invisible in a literal
};

// Line 7 is padded with blanks to look like a paragraph break in a box that wraps; the odd quotes
// of line 14 and the spelling belong to the notes as written.
constexpr std::array<NotesLine, 15> kNotes{{
    {"THE ANTENNA IS FED AT ALL THE GAPS WITH 300 OHM LADDER LINE (TV flat line).", 1},
    {"DO NOT USE WIRE OR TUBE SMALLER THAN THE RECOMMENDED SIZE AFTER YOU ACCEPT", 1},
    {"THE INPUT FREQUENCY. THIS IS THE SMALLEST SIZE THAT WILL KEEP THE SWR BELOW 2:1", 1},
    {"( 1.6 to 1.8).  THE LARGER THE ELEMENT DIAMETER, THE LOWER THE SWR WILL GO UNTIL", 1},
    {"1:1. WITH MAXIMUM ELEMENT DIAMETER, THE BANDWIDTH CAN EXCEED 60 MHZ!", 1},
    {"THE 146 MHZ DESIGN COVERS FROM 134 to over 200 MHZ under 2:1 EXCEPT FOR A SMALL", 1},
    {"PEAK AT 161.", 136},
    {"The 4 sided version covers approximately from -30mhz to plus 50 mhz. You can design", 1},
    {"for 170 mhz and cover both the 2m and 220 band. The higher end starts to elevate the main", 19},
    {"lobe from the horizon to about 30 degrees. This can be compensated for by keeping the", 1},
    {"antenna down below 15 feet or 5  meters above ground (the 2m 220 version)", 1},
    {"AFTER ACCEPTING THE FREQUENCY, YOU MAY INCREASE THE WIRE SIZE BY INPUTING A", 1},
    {"NEW SIZE IN THE INCH, MM, OR AWG BOXES AND CLICKING THE CHANGE BOX BELOW THE", 1},
    {R"(VALUE. FOR WIRE AWG LARGER THAN "0" MAY BE ENTERED as "9009", "90009" or "900009')", 0},
    {"GAIN IS APPROXIMATELY 7.6 DB", 0},
}};

std::string buildNotes() {
    std::string text;
    for (const NotesLine& line : kNotes) {
        text += line.text;
        text.append(static_cast<std::size_t>(line.trailingBlanks), ' ');
        text += "\r\n";
    }
    return text;
}

}  // namespace

const std::string& notesText() {
    static const std::string text = buildNotes();
    return text;
}

}  // namespace brimalox
