#pragma once
// What a check gives besides what it shows: the report in its three formats, the charts, the
// reflection coefficient and the deck. The command line's file options, the window's SAVE menu and
// the page's charts and downloads are all made from this list.

#include <array>
#include <string>
#include <string_view>

#include "nec/nec.h"

namespace brimalox::nec {

struct CheckOutput {
    std::string_view name;         // its file's name after the design's: "146MHz-3sided-smith.svg"
    std::string_view suffix;       // "svg"
    std::string_view mime;         // "image/svg+xml"
    std::string_view result;       // its key in the page's result: "smithSvg"
    std::string_view option;       // the simulate option that writes it ("--plot-smith"); empty: none
    std::string_view help;         // the option's
    std::string_view windowLabel;  // "SMITH CHART": the SAVE menu's entry and the save dialog's title
    std::string_view pageLabel;    // "Smith chart": the download's
    std::string_view chart;        // a chart's description, where the page shows it: its alternative text
    // The file's text; empty when this check has none. Throws NecError when the model gave nothing to
    // draw (no pattern).
    std::string (*text)(const Result&);
};

// In the SAVE menu's order.
extern const std::array<CheckOutput, 9> kCheckOutputs;

}  // namespace brimalox::nec
