// Writes brimalox.html, the calculator as one self-contained web page: the main window and the
// notes window built from the core's tables (places, colours, fonts, texts, accessible names), the
// diagram as SVG from its primitives, the notes and website texts, then the WebAssembly module and
// the page's own script and style inlined, so the file needs nothing else.
//
// With a site folder it also writes the served edition there: the same page as index.html, with a
// link to its web app manifest (manifest.webmanifest, written here from the window's table) and the
// service worker sw.js that keeps it for offline use, its cache named by the version and the page.
//
// brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML [SITE_DIR]
//   SOURCE_DIR: web/ (the page's styles and the service worker); BUILD_DIR: where the module and the
//   engine were built, and the page's scripts minified (minified/).

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/diagram.h"
#include "app/layout.h"
#include "app/notes_text.h"
#include "app/road.h"
#include "app/website_text.h"
#include "nec/nec.h"
#include "nec/report/check_outputs.h"
#include "nec/setting_fields.h"
#include "numtext/xml_text.h"

namespace brimalox {
namespace {

std::string escape(std::string_view text) {
    // The browser keeps a text area's line ends as LF; the page reads them as CR LF.
    std::string withoutCr(text);
    std::erase(withoutCr, '\r');
    return xmlEscaped(withoutCr);
}

std::string colour(Rgb rgb) { return fmt::format("#{:06x}", rgb); }

// Twips to CSS pixels: a CSS pixel is the 96-dpi pixel the table's twips are counted in.
std::string px(int twips) { return fmt::format("{}px", pixels(twips)); }

std::string faces() {
    std::string list;
    for (std::string_view face : kFontFaces)
        list += fmt::format("\"{}\",", face);
    for (std::string_view face : kFontFallbacks)
        list += fmt::format("\"{}\",", face);
    return list + "sans-serif";
}

std::string font(const FontSpec& style) {
    return fmt::format("{}{}{}pt var(--faces)", style.italic ? "italic " : "", style.bold ? "bold " : "", style.points);
}

std::string_view alignment(Align align) {
    switch (align) {
    case Align::Left: return "left";
    case Align::Centre: return "center";
    case Align::Right: return "right";
    }
    return "left";
}

std::string_view alignClass(Align align) {
    switch (align) {
    case Align::Left: return "";
    case Align::Centre: return " centre";
    case Align::Right: return " right";
    }
    return "";
}

std::string_view lookClass(Look look) {
    switch (look) {
    case Look::Title: return "title";
    case Look::Label: return "label";
    case Look::Unit: return "unit";
    case Look::Value: return "value";
    case Look::Button: return "button";
    case Look::Picture: return "picture";
    case Look::Line: return "line";
    }
    return "";
}

// The CSS selector of the element that holds a control's rectangle: an option button is its label,
// which holds the native radio button (whose id is the control's name) and the caption.
std::string boxSelector(const Control& c) {
    if (c.kind == ControlKind::OptionButton) return fmt::format("label[for={}]", c.name);
    return fmt::format("#{}", c.name);
}

std::string controlStyle(const Control& c) {
    const std::string height = c.kind == ControlKind::Line ? "1px" : px(c.place.height);
    std::string style = fmt::format("{}{{left:{};top:{};width:{};height:{}", boxSelector(c), px(c.place.left),
                                    px(c.place.top), px(c.place.width), height);
    if (c.textColour) style += ";color:" + colour(*c.textColour);
    if (c.background && c.kind != ControlKind::Line) style += ";background:" + colour(*c.background);
    if (c.kind == ControlKind::TextBox || c.kind == ControlKind::MultiLineTextBox)
        style += fmt::format(";text-align:{}", alignment(c.align));
    if (c.font) style += ";font:" + font(*c.font);
    return style + "}\n";
}

// A style sheet without its comments and layout: each comment goes, each run of white space becomes
// one blank, and none is kept beside { } ; , or after a colon. A blank before a colon stays (it makes
// "#check :focus" a descendant); the sheets hold no string or url() where a blank could matter.
std::string compactCss(std::string_view css) {
    std::string out;
    for (std::size_t i = 0; i < css.size(); ++i) {
        if (css.compare(i, 2, "/*") == 0) {
            const std::size_t end = css.find("*/", i + 2);
            if (end == std::string_view::npos) throw std::runtime_error("a style sheet's comment is not closed");
            i = end + 1;
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        const char c = css[i];
        const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        if (std::string_view("{};,").find(c) != std::string_view::npos && !out.empty() && out.back() == ' ')
            out.pop_back();
        if (!out.empty() && out.back() == ' ' && out.size() >= 2 &&
            std::string_view("{};,:").find(out[out.size() - 2]) != std::string_view::npos)
            out.pop_back();
        out += c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string styleSheet(std::string_view pageStyle) {
    const WindowSpec& window = mainWindow();
    const WindowSpec& notes = notesWindow();
    const Control& box = notesBox();
    std::string css = fmt::format(":root{{--faces:{};--form-width:{};--form-height:{}}}\n", faces(),
                                  pixels(window.clientWidth), pixels(window.clientHeight));
    css += fmt::format("#{0}{{width:{1};height:{2};background:{3};font:{4}}}\n", window.name, px(window.clientWidth),
                       px(window.clientHeight), colour(window.background), font(window.font));
    css += fmt::format("dialog.window{{font:{}}}\n", font(window.font));
    css += fmt::format("#{0} .client{{width:{1};height:{2};background:{3};font:{4}}}\n", notes.name,
                       px(notes.clientWidth), px(notes.clientHeight), colour(notes.background), font(notes.font));
    css += fmt::format("#{}-{}{{left:{};top:{};width:{};height:{}}}\n", notes.name, box.name, px(box.place.left),
                       px(box.place.top), px(box.place.width), px(box.place.height));
    css += fmt::format("#{} svg{{width:{}px;height:{}px}}\n", pictureBox().name, kDiagramWidth, kDiagramHeight);
    css += fmt::format(".picture{{border-width:{}px}}\n", kPictureEdgePixels);
    css += fmt::format(".diagram-word{{font:{}px var(--faces)}}\n", kDiagramWordPixels);
    for (const Control& c : controls())
        css += controlStyle(c);
    return std::string(pageStyle) + css;
}

// Tab stops count from 1 in HTML (0 and below mean something else); the order is the table's.
std::string tabIndex(const Control& c) { return fmt::format(" tabindex=\"{}\"", c.tab + 1); }

std::string describedBy(const Control& c) {
    return c.accessibleDescription.empty() ? "" : fmt::format(" aria-describedby=\"{}-purpose\"", c.name);
}

// The primitives in bitmap pixels: a line's ends sit on pixel centres, as an unsmoothed one-pixel
// pen draws them; a word stands on a white patch one pixel wider than itself each side and as high
// as its line, which the browser measures, so the patch is an HTML box inside the SVG.
std::string diagram() {
    std::string svg = fmt::format(
        "<svg viewBox=\"0 0 {0} {1}\" width=\"{0}\" height=\"{1}\" aria-hidden=\"true\" focusable=\"false\">",
        kDiagramWidth, kDiagramHeight);
    // The words black on white without the grey of smoothing, like the wires, at any zoom: a pixel
    // darker than two thirds of white turns black, the others white.
    svg += "<defs><filter id=\"crisp\" color-interpolation-filters=\"sRGB\"><feComponentTransfer>";
    for (char channel : {'R', 'G', 'B'})
        svg += fmt::format("<feFunc{} type=\"discrete\" tableValues=\"0 0 1\"/>", channel);
    svg += "</feComponentTransfer></filter></defs>";
    for (const DiagramPrimitive& p : diagramPrimitives()) {
        if (p.kind == DiagramPrimitive::Kind::Line) {
            svg += fmt::format("<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\"/>", p.a.x + 0.5, p.a.y + 0.5, p.b.x + 0.5,
                               p.b.y + 0.5);
        } else {
            constexpr double kRoom = 60;  // wider and higher than any word, which is centred in it
            svg += fmt::format(
                "<foreignObject x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\"><div class=\"diagram-cell\" "
                "xmlns=\"http://www.w3.org/1999/xhtml\"><span class=\"diagram-word\">{}</span></div></foreignObject>",
                p.a.x - kRoom / 2, p.a.y - kRoom / 2, kRoom, kRoom, escape(p.word));
        }
    }
    return svg + "</svg>";
}

std::string controlMarkup(const Control& c) {
    const bool textBox = c.kind == ControlKind::TextBox || c.kind == ControlKind::MultiLineTextBox;
    // An option button's look belongs to its label, which holds the radio button and the caption.
    const std::string classes = c.kind == ControlKind::OptionButton ? ""
                                                                    : fmt::format(" class=\"{}{}\"", lookClass(c.look),
                                                                                  textBox ? alignClass(c.align) : "");
    const std::string common = fmt::format("id=\"{}\"{}{}", c.name, classes, c.tab >= 0 ? tabIndex(c) : "");
    const std::string name = fmt::format(" aria-label=\"{}\"", escape(c.accessibleName));
    constexpr std::string_view kPlain = " spellcheck=\"false\" autocomplete=\"off\" autocapitalize=\"off\"";
    switch (c.kind) {
    case ControlKind::TextBox: {
        // A value field asks a phone for its number pad, with the decimal point, and carries the key
        // that names it in the design record, so the page's scripts keep no list of their own.
        const ValueField* value = c.field ? valueField(*c.field) : nullptr;
        return fmt::format("<input type=\"text\" {}{}{}{}{}{} value=\"{}\">\n", common, name, kPlain,
                           c.valueField() ? " inputmode=\"decimal\"" : "",
                           value ? fmt::format(" data-key=\"{}\"", value->key) : "",
                           c.name == mainWindow().initialFocus ? " autofocus" : "", escape(c.text));
    }
    case ControlKind::MultiLineTextBox:
        return fmt::format("<textarea {}{}{}>{}</textarea>\n", common, name, kPlain, escape(c.text));
    case ControlKind::PushButton:
        // Enabled once the core has loaded, so that no click is lost.
        return fmt::format("<button type=\"button\" {}{}{} disabled>{}</button>\n", common, name, describedBy(c),
                           escape(c.text));
    case ControlKind::OptionButton:
        return fmt::format(
            "<label for=\"{0}\" class=\"option\"><input type=\"radio\" name=\"sides\" {1}{2}>"
            "<span>{3}</span></label>\n",
            c.name, common, name, escape(c.text));
    case ControlKind::PictureBox:
        return fmt::format("<div {} role=\"img\"{}{}>{}</div>\n", common, name, describedBy(c), diagram());
    case ControlKind::Line: return fmt::format("<hr {}>\n", common);
    }
    return {};
}

// Reading order is the window's, top to bottom and left to right; Tab follows the table.
std::vector<const Control*> readingOrder() {
    std::vector<const Control*> order;
    for (const Control& c : controls())
        order.push_back(&c);
    // The option buttons stand side by side in one row, so they stay next to each other here.
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->place.top != b->place.top ? a->place.top < b->place.top : a->place.left < b->place.left;
    });
    return order;
}

std::string paragraphs(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\n\n", start);
        if (end == std::string_view::npos) end = text.size();
        out += "<p>" + escape(text.substr(start, end - start)) + "</p>";
        start = end + 2;
    }
    return out;
}

std::string windows() {
    const WindowSpec& notes = notesWindow();
    const Control& box = notesBox();
    std::string out;
    // The notes window: modeless, at most one, brought to the front by NOTES.
    out += fmt::format(
        "<dialog id=\"{0}\" class=\"window\" aria-labelledby=\"{0}-caption\">"
        "<div class=\"caption\"><span id=\"{0}-caption\">{1}</span>"
        "<button type=\"button\" class=\"close\" aria-label=\"Close {1}\">&#x2715;</button></div>"
        "<div class=\"client\"><textarea id=\"{0}-{2}\" class=\"notes\" aria-label=\"{3}\"{4}>{5}</textarea></div>"
        "</dialog>\n",
        notes.name, escape(notes.caption), box.name, escape(box.accessibleName),
        " spellcheck=\"false\" autocomplete=\"off\"", escape(notesText()));
    // What WEBSITE shows: an ordinary information window with an OK button.
    out += fmt::format(
        "<dialog id=\"website\" class=\"window message\" aria-labelledby=\"website-caption\" "
        "aria-describedby=\"website-text\"><div class=\"caption\"><span id=\"website-caption\">{}</span></div>"
        "<div class=\"body\"><div id=\"website-text\" class=\"text\">{}</div>"
        "<button type=\"button\" class=\"ok\">OK</button></div></dialog>\n",
        escape(websiteCaption()), paragraphs(websiteText()));
    // A failed click's message: its words come from the core with the click's outcome.
    out += fmt::format(
        "<dialog id=\"failure\" class=\"window message\" role=\"alertdialog\" aria-modal=\"true\" "
        "aria-labelledby=\"failure-caption\" aria-describedby=\"failure-text\"><div class=\"caption\">"
        "<span id=\"failure-caption\">{}</span></div><div class=\"body\"><div id=\"failure-text\" class=\"text\"></div>"
        "<button type=\"button\" class=\"ok\">OK</button></div></dialog>\n",
        escape(mainWindow().caption));
    return out;
}

std::string purposes() {
    std::string out = "<div hidden>";
    for (const Control& c : controls())
        if (!c.accessibleDescription.empty())
            out += fmt::format("<span id=\"{}-purpose\">{}</span>", c.name, escape(c.accessibleDescription));
    return out + "</div>\n";
}

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
<div class="check-row"><button type="button" id="cover-use" hidden>USE THIS DESIGN</button></div>
<details id="check-about"><summary>About the NEC-2 engine and the LZMA decoder in this page</summary><pre>{0}</pre></details>
</section>
)",
                       escape(about), checkSettings(grounds), escape(checkOutputs()));
}

// BUILD SHEET below the window, beside the check whose figures a builder takes to the bench with it,
// and the dialog it opens, a child of the body so that printing can hide everything else.
std::string sheetSection() {
    return R"(<section id="sheet" aria-label="Build sheet"><button type="button" id="sheet-build">BUILD SHEET</button> )"
           R"(<label for="sheet-paper">PAPER</label> <select id="sheet-paper"><option value="a4">A4</option>)"
           R"(<option value="letter">LETTER</option></select> )"
           R"(<label for="sheet-joint">JOINT ALLOWANCE MM</label> <input id="sheet-joint" value="0" size="5" )"
           R"(inputmode="decimal" aria-describedby="sheet-joint-note">)"
           R"(<p id="sheet-joint-note">Added to each piece's cut length for bends and joints: the wire taken up where )"
           R"(pieces meet or are wrapped.</p><p id="sheet-message" role="status"></p></section>)"
           "\n";
}
std::string sheetView() {
    return R"(<dialog id="sheet-view" aria-label="Build sheet"><div class="sheet-controls">)"
           R"(<button type="button" id="sheet-print">PRINT</button><button type="button" id="sheet-close">CLOSE</button>)"
           R"(</div><div id="sheet-page"></div></dialog>)"
           "\n";
}

std::string inlineScript(const std::string& script, const std::string& from) {
    if (script.find("</script") != std::string::npos || script.find("<!--") != std::string::npos)
        throw std::runtime_error(from + " holds text that would end an inline script");
    return "<script>" + script + "</script>\n";
}

// What the page adds below the window: the model check, its worker and the NEC-2 engine. The
// worker's parts are kept as text (the browser runs none of it on the page itself) for the check to
// start a worker from.
struct Check {
    std::string about, style, client, script, trim, cover, worker, engine, engineWasm, unpack, decoderWasm;
};

// The build sheet's script and style.
struct Sheet {
    std::string script, style;
};

std::string textScript(const std::string& id, const std::string& text, const std::string& from) {
    const std::string script = inlineScript(text, from);
    return "<script type=\"text/plain\" id=\"" + id + "\">" + script.substr(8);
}

// Bytes as Ascii85 text (four bytes to five characters, the last group cut to its bytes and one),
// with 'v' for '<', as base85.js reads it: a fifth less than base64, and nothing an HTML parser
// could take for the end of a script.
std::string base85(std::string_view bytes) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += 4) {
        const std::size_t n = std::min<std::size_t>(4, bytes.size() - at);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | (i < n ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        char group[5];
        for (int i = 4; i >= 0; --i, value /= 85)
            group[i] = static_cast<char>(value % 85 == 27 ? 'v' : '!' + value % 85);
        out.append(group, n + 1);
    }
    return out;
}

// The desktop icon as a data address, so that the page fetches nothing for it.
std::string dataAddress(std::string_view mediaType, std::string_view data) {
    std::string out = "data:" + std::string(mediaType) + ",";
    for (unsigned char c : data) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view(" -_.!~*'()/:;=,+@?$").find(static_cast<char>(c)) != std::string_view::npos;
        out += plain ? std::string(1, static_cast<char>(c)) : fmt::format("%{:02X}", c);
    }
    return out;
}

// The option buttons as one group that a screen reader names; the group lays out nothing itself.
std::string optionGroup(const std::string& buttons) {
    return fmt::format("<div class=\"group\" role=\"radiogroup\" aria-label=\"{}\">\n{}</div>\n",
                       escape(kOptionGroupName), buttons);
}

// What the page says when it cannot run the calculator: no JavaScript (noscript), or no
// WebAssembly or a module that failed to load (page.js fills in and shows the notice).
std::string notices() {
    return "<noscript><p class=\"notice\">The calculator needs JavaScript, which is turned off in this browser. "
           "Turn JavaScript on for this page, or open it in another browser, to use the calculator.</p></noscript>\n"
           "<div id=\"notice\" class=\"notice\" role=\"alert\" hidden></div>\n"
           // The served edition's word that a newer version has been published (install.js).
           "<div id=\"update\" class=\"update\" role=\"status\" hidden>A new version is ready: "
           "<button type=\"button\" id=\"update-reload\">reload</button></div>\n";
}

// Below the window, before the parts that serve it: the road a builder takes, each step a link to
// its part, marked done (page.js and the parts) once done in this page.
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

std::string page(const std::string& style, const std::string& module, const std::string& moduleWasm,
                 const std::string& script, const std::string& icon, const Check& check, const Sheet& sheet,
                 const std::string& install) {
    const WindowSpec& window = mainWindow();
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<meta name=\"color-scheme\" content=\"light dark\">\n";
    out += fmt::format("<title>{} - {}</title>\n", escape(window.caption), escape(kProgramName));
    out += fmt::format("<link rel=\"icon\" type=\"image/svg+xml\" href=\"{}\">\n",
                       escape(dataAddress("image/svg+xml", icon)));
    out += "<style>\n" + compactCss(styleSheet(style) + check.style + sheet.style) + "</style>\n";
    // The paper's size, one sheet a paper: the sheet's script turns on the one chosen.
    out += "<style id=\"sheet-page-a4\">@page{size:A4 portrait;margin:0}</style>\n";
    out += "<style id=\"sheet-page-letter\">@page{size:letter portrait;margin:0}</style>\n";
    out += "</head>\n<body>\n<main id=\"screen\">\n";
    out += fmt::format("<h1 class=\"unseen\">{}</h1>\n", escape(kProgramName));
    out += notices();
    out += fmt::format("<div id=\"{0}\" role=\"region\" aria-label=\"{1}\">\n", window.name, escape(window.caption));
    std::string options;
    for (const Control* c : readingOrder()) {
        if (c->kind == ControlKind::OptionButton) {
            options += controlMarkup(*c);
            continue;
        }
        if (!options.empty()) out += optionGroup(std::exchange(options, {}));
        out += controlMarkup(*c);
    }
    out += "</div>\n" + tools() + guide() + sheetSection() + checkSection(check.about) + glossary() + windows() +
           "</main>\n" + sheetView() + purposes();
    // The LZMA decoder's WebAssembly, gzip-compressed (the browser unpacks it), then the module's,
    // LZMA-compressed, as texts that unlzma.js unpacks when the module asks (wasm_source.js).
    out += textScript("lzma-wasm", base85(check.decoderWasm), "the LZMA decoder's WebAssembly");
    out += textScript("core-wasm", base85(moduleWasm), "the module's WebAssembly");
    out += inlineScript(check.unpack, "the modules' unpacking");
    // The check's worker starts the same module, from this script's text.
    out += "<script id=\"core-module\">" + inlineScript(module, "the WebAssembly module").substr(8);
    out += inlineScript(script, "the page script");
    out += textScript("check-worker", check.worker, "the check's worker");
    out += textScript("nec-engine", check.engine, "the NEC-2 engine");
    out += textScript("nec-engine-wasm", base85(check.engineWasm), "the NEC-2 engine's WebAssembly");
    out += inlineScript(check.client, "the worker's client");
    out += inlineScript(check.script, "the check's script");
    out += inlineScript(check.trim, "the trim's script");
    out += inlineScript(check.cover, "the search's script");
    out += inlineScript(sheet.script, "the build sheet script");
    out += inlineScript(install, "the served edition's script");
    return out + "</body>\n</html>\n";
}

// --- the served edition --------------------------------------------------------------------------

// The icon's sizes as the manifest and the build (web/CMakeLists.txt) name its PNG files.
constexpr std::string_view kIcons[][3] = {{"icon-192.png", "192x192", "any"},
                                          {"icon-512.png", "512x512", "any"},
                                          {"icon-maskable-512.png", "512x512", "maskable"}};

// The same page, which names its manifest (install.js registers the service worker only then) and
// the colour of the window's bar, with the icon a phone puts on its home screen.
std::string siteIndex(const std::string& html) {
    constexpr std::string_view kAfter = "<meta charset=\"utf-8\">\n";
    const std::size_t at = html.find(kAfter);
    if (at == std::string::npos) throw std::runtime_error("the page has no charset line to put the manifest after");
    const std::string head = fmt::format(
        "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n<meta name=\"theme-color\" content=\"{}\">\n"
        "<link rel=\"apple-touch-icon\" href=\"{}\">\n",
        colour(mainWindow().background), kIcons[0][0]);
    std::string out = html;
    out.insert(at + kAfter.size(), head);
    return out;
}

std::string manifest() {
    const std::string window = colour(mainWindow().background);
    nlohmann::ordered_json icons = nlohmann::ordered_json::array();
    for (const auto& [file, sizes, purpose] : kIcons)
        icons.push_back({{"src", file}, {"sizes", sizes}, {"type", "image/png"}, {"purpose", purpose}});
    const nlohmann::ordered_json m = {{"name", kProgramName},
                                      {"short_name", "BRIMALOX"},
                                      {"description", "Designs the BRIMALOX antenna and checks it in a NEC-2 model."},
                                      {"id", "./"},
                                      {"start_url", "./"},
                                      {"scope", "./"},
                                      {"display", "standalone"},
                                      {"theme_color", window},
                                      {"background_color", window},
                                      {"icons", icons}};
    return m.dump(2) + "\n";
}

// FNV-1a over the page: a rebuilt page under the same version is still a new cache, so that the
// browser takes it.
std::string fingerprint(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (unsigned char c : text)
        hash = (hash ^ c) * 0x100000001b3;
    return fmt::format("{:016x}", hash);
}

// The service worker with its cache's name and what it keeps: the page and what installs it.
std::string serviceWorker(const std::string& script, const std::string& index) {
    std::string files = "'./', 'manifest.webmanifest'";
    for (const auto& icon : kIcons)
        files += fmt::format(", '{}'", icon[0]);
    std::string out = script;
    for (const auto& [mark, text] :
         {std::pair<std::string_view, std::string>{"@CACHE@",
                                                   fmt::format("brimalox-{}-{}", BRIMALOX_VERSION, fingerprint(index))},
          {"@FILES@", files}}) {
        const std::size_t at = out.find(mark);
        if (at == std::string::npos) throw std::runtime_error(fmt::format("sw.js has no {}", mark));
        out.replace(at, mark.size(), text);
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes a file whole or not at all: the build never sees half a page.
void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path + ".tmp", std::ios::binary);
    file << text;
    file.close();
    if (!file || std::rename((path + ".tmp").c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace
}  // namespace brimalox

// The page's parts by their names in the page's source folder and its build folder.
int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::cerr << "usage: brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML [SITE_DIR]\n";
        return 2;
    }
    const std::string source = std::string(argv[1]) + "/", build = std::string(argv[2]) + "/", out = argv[4];
    try {
        using brimalox::readFile;
        using brimalox::writeFile;
        auto part = [&](const char* name) { return readFile(source + name); };
        auto built = [&](const char* name) { return readFile(build + name); };
        const brimalox::Check check{built("engine/ABOUT-nec2c.txt") + built("unlzma/ABOUT-lzma.txt"),
                                    part("check.css"),
                                    built("minified/check_client.js"),
                                    built("minified/check.js"),
                                    built("minified/trim.js") + built("minified/analyser.js"),
                                    built("minified/cover.js"),
                                    built("minified/check_worker.js"),
                                    built("engine/nec2c_engine.js"),
                                    built("engine/nec2c_engine.wasm.lzma"),
                                    built("minified/base85.js") + built("minified/unlzma.js"),
                                    built("unlzma/unlzma.wasm.gz")};
        const std::string html = brimalox::page(
            part("page.css"), built("brimalox_core.js"), built("brimalox_core.wasm.lzma"), built("minified/page.js"),
            readFile(argv[3]), check, {built("minified/sheet.js"), part("sheet.css")}, built("minified/install.js"));
        writeFile(out, html);
        if (argc == 6) {
            const std::string site = std::string(argv[5]) + "/";
            const std::string index = brimalox::siteIndex(html);
            writeFile(site + "index.html", index);
            writeFile(site + "manifest.webmanifest", brimalox::manifest());
            writeFile(site + "sw.js", brimalox::serviceWorker(part("service_worker.js"), index));
        }
    } catch (const std::exception& e) {
        std::cerr << "brimalox_page_gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
