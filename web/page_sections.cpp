// What the page adds below the window, never inside it: the design's tools, the builder's road, the
// build sheet, the model check with its settings from the core's table, the trim, the search, the glossary.
#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <string>

#include "app/road.h"
#include "nec/nec.h"
#include "nec/report/check_outputs.h"
#include "nec/setting_fields.h"
#include "web/page_parts.h"

namespace brimalox::web {

// A setting's input as its row in nec/setting_fields.h makes it: the command line's option names it
// ("--rig-z0" is check-rig-z0), and check.js reads it into the request by its data-setting.
std::string settingInput(const nec::SettingField& f) {
    const std::string id = "check-" + std::string(f.option.substr(2));
    const bool number = f.kind == nec::SettingKind::Number || f.kind == nec::SettingKind::List;
    return fmt::format(
        R"(<label for="{0}">{1}</label><input id="{0}"{2}{3}{4} spellcheck="false" autocapitalize="off" )"
        R"(data-setting="{5}"{6}{7}>)",
        id, escape(f.pageLabel), f.defaultText.empty() ? "" : " value=\"" + escape(f.defaultText) + "\"",
        f.pageHint.empty() ? "" : " placeholder=\"" + escape(f.pageHint) + "\"", number ? " inputmode=\"decimal\"" : "",
        f.request, f.feedText ? " data-feed" : "", f.list ? " data-list" : "");
}

// The check's settings from the table, grouped as the page shows them: the feed system and the sweep
// each in a fieldset, the rest a row each; the ground a list, with its own constants as two numbers.
std::string checkSettings(const std::string& grounds) {
    const auto group = [&grounds](nec::SettingGroup g) {
        std::string out;
        for (const nec::SettingField& f : nec::kSettingFields) {
            if (f.group != g) continue;
            if (f.key == "ground") {
                out +=
                    R"(<div class="check-row"><label for="check-ground">ground</label><select id="check-ground" data-setting="ground">)" +
                    grounds + "</select></div>\n";
            } else if (f.key == "groundConstants") {
                out +=
                    R"(<div class="check-row" id="check-custom" hidden><label for="check-epsr">relative permittivity</label><input id="check-epsr" inputmode="decimal" spellcheck="false" autocapitalize="off">)"
                    "\n"
                    R"(<label for="check-sigma">conductivity (S/m)</label><input id="check-sigma" inputmode="decimal" spellcheck="false" autocapitalize="off"></div>)"
                    "\n";
            } else if (f.key == "at") {
                out +=
                    R"(<label for="check-at">)" + escape(f.pageLabel) +
                    R"(</label><select id="check-at" data-setting="at" data-feed><option value="" selected>the rig, once a feed is given</option>)"
                    R"(<option value="rig">the rig</option><option value="junction">the junction</option><option value="gap">the gap</option></select>)";
            } else if (g == nec::SettingGroup::Feed || g == nec::SettingGroup::Sweep) {
                out += settingInput(f) + "\n";
            } else {
                out += R"(<div class="check-row">)" + settingInput(f) + "</div>\n";
            }
        }
        return out;
    };
    std::string feed = group(nec::SettingGroup::Feed);
    std::string sweep = group(nec::SettingGroup::Sweep);
    sweep.pop_back();
    return group(nec::SettingGroup::Line) +
           R"(<fieldset class="check-row" id="check-feed"><legend>feed system from the gaps to the rig (all empty: the SWR at gap 1 against the impedance above)</legend>)"
           "\n" +
           feed + "</fieldset>\n" +
           R"(<fieldset class="check-row"><legend>sweep in MHz (empty: 0.8 to 1.4 times the design frequency in 1 % steps)</legend>)"
           "\n" +
           sweep + "</fieldset>\n" + group(nec::SettingGroup::Ground) + group(nec::SettingGroup::Coat) +
           group(nec::SettingGroup::Pattern);
}

// The files a check gives, for check.js to offer as downloads and show as charts in this order.
std::string checkOutputs() {
    nlohmann::json list = nlohmann::json::array();
    for (const nec::CheckOutput& o : nec::kCheckOutputs)
        list.push_back({{"result", o.result},
                        {"name", o.name},
                        {"suffix", o.suffix},
                        {"mime", o.mime},
                        {"label", o.pageLabel},
                        {"chart", o.chart}});
    return list.dump();
}

// Below the window, never inside it: the model check of the design the window shows. Its settings
// take the command line's defaults; the ground list holds the command line's ground names.
std::string checkSection(const std::string& about) {
    std::string grounds =
        "<option value=\"free\" selected>free space</option>"
        "<option value=\"perfect\">perfect ground</option>";
    for (const nec::GroundClass& c : nec::groundClasses())
        grounds += fmt::format("<option value=\"{0}\">{0}: permittivity {1}, conductivity {2} S/m ({3})</option>",
                               escape(c.name), c.permittivity, c.conductivity, escape(c.description));
    grounds += "<option value=\"custom\">your own constants</option>";
    return fmt::format(R"(<section id="check" aria-labelledby="check-heading">
<h2 id="check-heading">Check this design in a NEC-2 model</h2>
<p>Runs the design the window shows now (the frequency, the millimetre conductor, the selected form, and the
height, side and gap in millimetres) through nec2c, the NEC-2 engine, inside this page: nothing is sent
anywhere. The SWR is that of gap 1 against the feed line, with every gap driven equally and in phase.</p>
<form id="check-settings" novalidate>
{1}<div class="check-row" id="check-drop"><label for="check-measured">measured antenna, a one-port Touchstone file (.s1p), chosen or dropped here</label><input id="check-measured" type="file" accept=".s1p,.S1P,text/plain">
<button type="button" id="check-measured-clear" hidden>forget the file</button><span id="check-measured-status" role="status"></span></div>
<fieldset class="check-row" id="analyser"><legend>or measured now by an analyser on USB (NanoVNA, -H, -H4, -F; V2, V2Plus4, LiteVNA), calibrated at the plane above, over the sweep above</legend>
<button type="button" id="analyser-connect">CONNECT AN ANALYSER</button><button type="button" id="analyser-once" disabled>SWEEP ONCE</button><button type="button" id="analyser-continuous" disabled>SWEEP CONTINUOUSLY</button><button type="button" id="analyser-stop" disabled>STOP</button><a id="analyser-save" hidden>SAVE AS .S1P</a>
<span id="analyser-status" role="status" aria-live="polite"></span>
<p id="analyser-answer" role="status" aria-label="TRIM"></p></fieldset>
<div class="check-row"><button type="submit" id="check-run" aria-describedby="check-estimate">RUN THE MODEL</button><span id="check-estimate" class="estimate"></span><button type="button" id="check-cancel" aria-label="CANCEL the model check" disabled>CANCEL</button>
<progress id="check-progress" value="0" max="1" aria-label="frequencies done"></progress><span id="check-status" role="status" aria-live="polite"></span></div>
</form>
<ul id="check-summary" class="summary" aria-label="the model's answer"></ul>
<p class="report-hint">The full report, as the command line prints it; a line longer than the box scrolls it sideways.</p>
<pre id="check-report" tabindex="0" aria-label="the model's report"></pre>
<div id="check-charts"></div>
<div id="check-downloads" data-outputs="{2}"></div>
<table id="check-sweep" hidden><caption>impedance and SWR where the SWR is taken, against frequency</caption><thead><tr><th scope="col">MHz</th><th scope="col">resistance (ohms)</th><th scope="col">reactance (ohms)</th><th scope="col">SWR</th></tr></thead><tbody></tbody></table>
<h3 id="trim-heading">Trim the built antenna</h3>
<p>What the built antenna measured, laid on the model's SWR (with the settings above), gives the scale by which
its lengths are off: how much to cut from each piece, and the trimmed design run through the model before anyone
cuts.</p>
<form id="trim-settings" novalidate aria-labelledby="trim-heading">
<fieldset class="check-row"><legend>measured</legend>
<label><input type="radio" name="trim-source" id="trim-source-edges" value="edges" checked> where the SWR crosses 2:1</label>
<label><input type="radio" name="trim-source" id="trim-source-dip" value="dip"> where the SWR dips</label>
<label><input type="radio" name="trim-source" id="trim-source-file" value="file"> the measured file above</label></fieldset>
<div class="check-row"><label for="trim-2to1-low">SWR 2:1 at (MHz)</label><input id="trim-2to1-low" inputmode="decimal" spellcheck="false" autocapitalize="off">
<label for="trim-2to1-high">and at (MHz)</label><input id="trim-2to1-high" inputmode="decimal" spellcheck="false" autocapitalize="off"></div>
<div class="check-row"><label for="trim-dip">the SWR dips at (MHz)</label><input id="trim-dip" inputmode="decimal" spellcheck="false" autocapitalize="off"></div>
<div class="check-row"><label for="trim-built-side">BUILT SIDE (mm)</label><input id="trim-built-side" inputmode="decimal" spellcheck="false" autocapitalize="off" placeholder="as designed">
<label for="trim-built-height">BUILT HEIGHT (mm)</label><input id="trim-built-height" inputmode="decimal" spellcheck="false" autocapitalize="off" placeholder="as designed"></div>
<div class="check-row"><button type="submit" id="trim-run" aria-describedby="trim-estimate">TRIM</button><span id="trim-estimate" class="estimate"></span><button type="button" id="trim-cancel" aria-label="CANCEL the trim" disabled>CANCEL</button>
<span id="trim-status" role="status" aria-live="polite"></span></div>
</form>
<ul id="trim-summary" class="summary" aria-label="the trim's answer"></ul>
<p class="report-hint">The full report, as the command line prints it; a line longer than the box scrolls it sideways.</p>
<pre id="trim-report" tabindex="0" aria-label="the trim's report"></pre>
<div class="check-row"><button type="button" id="trim-sheet" hidden>PRINT THE TRIMMED SHEET</button></div>
<h3 id="cover-heading">Find the design that covers your bands</h3>
<p>Searches design frequencies (what to type before ACCEPT) and conductors (what to type before CHANGE) for the
design whose modelled SWR stays lowest over every point of every band, with the feed line, ground and height
above. Each candidate is one model run over the bands' points.</p>
<form id="cover-settings" novalidate aria-labelledby="cover-heading">
<fieldset class="check-row"><legend>bands</legend>
<label><input type="checkbox" id="cover-band-2m" value="144:148"> 2 m, 144 to 148 MHz</label>
<label><input type="checkbox" id="cover-band-1m25" value="222:225"> 1.25 m, 222 to 225 MHz</label>
<label><input type="checkbox" id="cover-band-70cm" value="420:450"> 70 cm, 420 to 450 MHz</label>
<span class="check-row"><label for="cover-bands">and FROM:TO in MHz, separated by blanks</label><input id="cover-bands" spellcheck="false" autocapitalize="off"></span></fieldset>
<div class="check-row"><label for="cover-sides">form</label><select id="cover-sides"><option value="3" selected>THREE SIDED</option><option value="4">FOUR SIDED</option></select>
<label for="cover-max-swr">at most SWR</label><input id="cover-max-swr" value="2" inputmode="decimal" spellcheck="false" autocapitalize="off"></div>
<div class="check-row"><label for="cover-conductors">conductors: recommended (the minimum ACCEPT proposes), gauges (every thicker gauge), tube diameters in mm, separated by commas</label><input id="cover-conductors" value="recommended" spellcheck="false" autocapitalize="off"></div>
<div class="check-row"><button type="submit" id="cover-run" aria-describedby="cover-estimate">SEARCH</button><span id="cover-estimate" class="estimate"></span><button type="button" id="cover-cancel" aria-label="CANCEL the search" disabled>CANCEL</button>
<progress id="cover-progress" aria-label="the search's model runs" hidden></progress><span id="cover-status" role="status" aria-live="polite"></span></div>
</form>
<ul id="cover-summary" class="summary" aria-label="the search's answer"></ul>
<p class="report-hint">The full report, as the command line prints it; a line longer than the box scrolls it sideways.</p>
<pre id="cover-report" tabindex="0" aria-label="the search's report"></pre>
<div id="cover-chart"></div>
<div id="cover-downloads"></div>
<div class="check-row"><button type="button" id="cover-use" hidden>USE THIS DESIGN</button></div>
<details id="check-about"><summary>About the NEC-2 engine and the LZMA decoder in this page</summary><pre>{0}</pre></details>
</section>
)",
                       escape(about), checkSettings(grounds), escape(checkOutputs()));
}

// BUILD SHEET below the window, beside the check whose figures a builder takes to the bench with it,
// with the drawn sheet's cut list and whole sheet to save, and the dialog it opens, a child of the
// body so that printing can hide everything else.
std::string sheetSection() {
    return R"(<section id="sheet" aria-label="Build sheet"><button type="button" id="sheet-build">BUILD SHEET</button> )"
           R"(<label for="sheet-paper">PAPER</label> <select id="sheet-paper"><option value="a4">A4</option>)"
           R"(<option value="letter">LETTER</option></select> )"
           R"(<label for="sheet-joint">JOINT ALLOWANCE MM</label> <input id="sheet-joint" value="0" size="5" )"
           R"(inputmode="decimal" aria-describedby="sheet-joint-note">)"
           R"(<p id="sheet-joint-note">Added to each piece's cut length for bends and joints: the wire taken up where )"
           R"(pieces meet or are wrapped.</p><div id="sheet-downloads" hidden><a id="sheet-csv">SAVE THE CUT LIST AS CSV</a>)"
           R"(<a id="sheet-json">SAVE THE SHEET AS JSON</a></div><p id="sheet-message" role="status"></p></section>)"
           "\n";
}
std::string sheetView() {
    return R"(<dialog id="sheet-view" aria-label="Build sheet"><div class="sheet-controls">)"
           R"(<button type="button" id="sheet-print">PRINT</button><button type="button" id="sheet-close">CLOSE</button>)"
           R"(</div><div id="sheet-page"></div></dialog>)"
           "\n";
}

// Below the window, before the parts that serve it: the road a builder takes, each step a link to
// its part, marked done (page_guide.js, told by the parts) once done in this page.
std::string guide() {
    constexpr std::string_view kSteps[][3] = {
        {"design", "Form1", "Design in the window: type the frequency, ACCEPT, choose the form, COMPUTE."},
        {"check", "check-heading", "Check the design in the NEC-2 model (a few seconds)."},
        {"sheet", "sheet", "Print the build sheet: the cut list and the figures to build by."},
        {"build", "", "Build the antenna and measure its SWR: where it crosses 2:1, or where it dips."},
        {"trim", "trim-heading", "Trim: what the measurement says to cut, checked in the model before anyone cuts."},
    };
    std::string out =
        "<nav id=\"guide\" class=\"guide\" aria-labelledby=\"guide-heading\">"
        "<h2 id=\"guide-heading\">From a design to a built antenna</h2><ol>";
    for (const auto& [step, target, words] : kSteps) {
        const std::string said = escape(words);
        out += fmt::format("<li data-step=\"{}\">{}<span class=\"step-done\" hidden> Done.</span></li>", step,
                           target.empty() ? said : fmt::format("<a href=\"#{}\">{}</a>", target, said));
    }
    return out +
           "</ol><p>For several bands at once, <a href=\"#cover-heading\">the band search</a> finds the design "
           "that covers them all.</p></nav>\n";
}

// The report's words in plain language, below the parts that print them.
std::string glossary() {
    constexpr std::string_view kWords[][2] = {
        {"SWR",
         "Standing wave ratio on the feed line: 1:1 is a perfect match; under 2:1 is what most transmitters "
         "accept."},
        {"dBi", "Gain in decibels over an antenna that would send equally in every direction."},
        {"take-off angle", "How far above the horizon the antenna sends most strongly."},
        {"theta, phi",
         "The model's angles: theta from straight up (the horizon is theta 90), phi around the "
         "horizon."},
        {"average power gain",
         "The model's own check: the gain averaged over every direction. Near the value "
         "expected (1 in free space) the model is sound."},
        {"AWG 9009, 90009, 900009",
         "How the window writes the gauges 00, 000 and 0000; AWG 99999 means no gauge "
         "(thinner than 40 or thicker than 0000)."},
        {"2:1 edges",
         "The two frequencies where a meter on the built antenna reads SWR 2:1: what the trim "
         "starts from."},
    };
    std::string out = "<details id=\"glossary\" class=\"glossary\"><summary>The reports' words</summary><dl>";
    for (const auto& [word, meaning] : kWords)
        out += "<dt>" + escape(word) + "</dt><dd>" + escape(meaning) + "</dd>";
    return out + "</dl></details>\n";
}

// Beside the window: the design as a link and the results as text, and the words a screen reader
// hears after each click.
std::string tools() {
    return "<div id=\"tools\" class=\"tools\" role=\"group\" aria-label=\"This design\">"
           "<button type=\"button\" id=\"copy-link\" disabled>copy link</button>"
           "<button type=\"button\" id=\"copy-results\" disabled>copy results</button>"
           "<span id=\"copied\" class=\"copied\"></span></div>\n"
           "<p id=\"address-note\" class=\"address-note\" role=\"status\" hidden></p>\n"
           "<div id=\"announce\" class=\"unseen\" role=\"status\" aria-live=\"polite\"></div>\n";
}

}  // namespace brimalox::web
