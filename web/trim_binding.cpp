// The trim's answer for the page's worker: the check's request with what the built antenna
// measured in, as JSON, and out the trim's report as `brimalox-cli trim` prints it, its answer in a
// few sentences, and the trimmed design's texts for its build sheet.

#include <emscripten/emscripten.h>

#include <cctype>
#include <string>

#include <nlohmann/json.hpp>

#include "nec/nec.h"
#include "nec/report/report.h"
#include "sheet/model_figures.h"
#include "web/check_request.h"
#include "web/model_call.h"

namespace {

using namespace brimalox;
using namespace brimalox::nec;
using namespace brimalox::web;
using nlohmann::json;

// The window's texts of the trimmed height and side, for the trimmed design's build sheet.
json trimmedTexts(const Trim& t) {
    const DesignTexts trimmed = nec::trimmedDesign(t.design, t);
    return {{"Text13", trimmed.heightMm},
            {"Text11", trimmed.heightInch},
            {"Text17", trimmed.sideMm},
            {"Text16", trimmed.sideInch}};
}

// The antenna as built: the design's height, side and gap, with the lengths the tape measured.
json builtTexts(const Trim& t) {
    const DesignTexts built = nec::builtDesign(t);
    return {{"heightMm", built.heightMm}, {"sideMm", built.sideMm}, {"gapMm", built.gapMm}};
}

// The check's request with the measurement to trim by: {"source": "edges" | "dip" | "file", "low",
// "high", "dip"}, the file being the check's measured file.
TrimRequest trimRequestOf(const json& in) {
    TrimRequest request;
    request.check = checkRequestOf(in);
    TrimNames& n = request.names;
    const json& how = in.at("trim");
    const std::string source = jsonText(how, "source");
    TrimMeasurement& m = request.measured;
    if (source == "file") {
        if (!request.check.measured) throw Refused(n.measuredFile + ": choose or drop an analyser's file first");
        m.file = request.check.measured;
    } else if (source == "dip") {
        m.dipMhz = positiveSetting(jsonText(how, "dip"), n.measuredDip);
    } else {
        m.lowEdgeMhz = positiveSetting(jsonText(how, "low"), "measured 2:1 low edge");
        m.highEdgeMhz = positiveSetting(jsonText(how, "high"), "measured 2:1 high edge");
    }
    n.builtSide = "BUILT SIDE";
    n.builtHeight = "BUILT HEIGHT";
    request.builtSide = jsonText(how, "builtSide");
    request.builtHeight = jsonText(how, "builtHeight");
    request.check.measured.reset();
    return request;
}

// The answer first, above the trim's report and in its words: how far the antenna is off and what
// to cut from each piece ("Cut 6.771 mm (0.267 inch) from each of the 6 sides ..., to 259.947 mm.").
json trimSummary(const std::string& report) {
    json said = json::array();
    std::size_t at = 0;
    bool cuts = false;
    while (at < report.size()) {
        std::size_t end = report.find('\n', at);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(at, end - at);
        at = end + 1;
        if (line.starts_with("ratio: ")) {
            const std::size_t meaning = line.find("): ");
            if (meaning == std::string::npos) continue;
            std::string words = line.substr(meaning + 3);
            words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
            const std::size_t open = line.find(" (");
            said.push_back(words + " (ratio " + line.substr(7, open - 7) + ", " +
                           line.substr(open + 2, meaning - open - 2) + ").");
        } else if (line.starts_with("cut list")) {
            cuts = true;
        } else if (cuts && line.starts_with("  ")) {
            const std::size_t colon = line.find(": ");
            const std::size_t cut = line.find(", cut "), longer = line.find(", longer by ");
            if (colon == std::string::npos) continue;
            const std::string piece = line.substr(2, colon - 2);
            if (cut != std::string::npos)
                said.push_back("Cut " + line.substr(cut + 6, line.find(", to ") - cut - 6) + " of the " + piece +
                               line.substr(line.find(", to ")) + ".");
            else if (longer != std::string::npos)
                said.push_back("Make the " + piece + " anew, longer by " +
                               line.substr(longer + 12, line.find(", to ") - longer - 12) +
                               line.substr(line.find(", to ")) + ".");
        } else if (cuts) {
            break;
        }
    }
    return said;
}

}  // namespace

extern "C" {

// The trim of a built antenna: the check's request with {"trim": ...} (see trimRequestOf) in, out
// {"ok": true, "report" (text), "json", "answer" (its one line), "trimmed" (the window's height and side texts), "built" (the
// design's height, side and gap in mm, what the trimmed sheet cuts from), "remark" (for the trimmed
// design's build sheet)} or
// {"ok": false, "kind", "message"} as for the check.
EMSCRIPTEN_KEEPALIVE const char* brimalox_trim(const char* requestJson) {
    return answer("trim", [&]() -> json {
        WebEngine engine;
        const Trim t = trim(trimRequestOf(json::parse(requestJson)), engine);
        return {{"ok", true},
                {"report", trimReport(t, ReportFormat::Text)},
                {"json", trimReport(t, ReportFormat::Json)},
                {"summary", trimSummary(trimReport(t, ReportFormat::Text))},
                {"answer", trimAnswer(t)},
                {"trimmed", trimmedTexts(t)},
                {"built", builtTexts(t)},
                {"remark", sheet::trimRemark(t)}};
    });
}

}  // extern "C"
