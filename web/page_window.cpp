// The calculator's window as HTML and CSS from the core's tables: places, colours, fonts, texts,
// accessible names, and the diagram as SVG from its primitives; the notes and website windows.
#include <fmt/format.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/diagram.h"
#include "app/layout.h"
#include "app/notes_text.h"
#include "app/road.h"
#include "app/website_text.h"
#include "numtext/xml_text.h"
#include "web/page_parts.h"

namespace brimalox::web {

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

// The main window's controls in reading order; the option buttons as one group.
std::string windowRegion() {
    const WindowSpec& window = mainWindow();
    std::string out =
        fmt::format("<div id=\"{0}\" role=\"region\" aria-label=\"{1}\">\n", window.name, escape(window.caption));
    std::string options;
    for (const Control* c : readingOrder()) {
        if (c->kind == ControlKind::OptionButton) {
            options += controlMarkup(*c);
            continue;
        }
        if (!options.empty()) out += optionGroup(std::exchange(options, {}));
        out += controlMarkup(*c);
    }
    return out + "</div>\n";
}

}  // namespace brimalox::web
