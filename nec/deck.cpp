#include "nec/deck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <fmt/compile.h>
#include <fmt/format.h>

namespace brimalox::nec {
namespace {

// 0.8 to 1.4 times the design frequency in steps of 0.01 times it.
constexpr double kSweepLow = 0.8;
constexpr double kSweepHigh = 1.4;
constexpr double kSweepStep = 0.01;
// Theta steps of the averaging grid, coarse to fine: each divides 90 degrees.
constexpr std::array<double, 9> kThetaSteps{5, 2.5, 2, 1, 0.5, 0.25, 0.2, 0.1, 0.05};
constexpr double kLobeDegreesTimesWavelengths = 12;

std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

// nec2c reads a card into an 81-byte buffer (80 characters and the end), and a longer line
// overflows it: a long comment is split after a comma or semicolon (or at a blank) into cards of
// at most this many characters after "CM ".
constexpr std::size_t kCommentWidth = kMaxCardLength - 3;

std::vector<std::string> wrapped(std::string text) {
    std::vector<std::string> lines;
    while (text.size() > kCommentWidth) {
        std::size_t cut = std::string::npos;
        for (std::size_t i = kCommentWidth; i > kCommentWidth / 2 && cut == std::string::npos; --i)
            if (text[i] == ' ' && (text[i - 1] == ',' || text[i - 1] == ';')) cut = i;
        if (cut == std::string::npos) cut = text.rfind(' ', kCommentWidth);
        if (cut == std::string::npos || cut == 0) break;
        lines.push_back(text.substr(0, cut));
        text = text.substr(cut + 1);
    }
    lines.push_back(text);
    return lines;
}

// A coordinate with at most `digits` significant digits, without the leading zero of a fraction
// (".25", "-.25"): nec2c reads it the same, and the card stays within its 80 characters.
std::string coordinateText(double value, int digits) {
    std::string text = numberText(value, digits);
    if (text.rfind("0.", 0) == 0) text.erase(0, 1);
    if (text.rfind("-0.", 0) == 0) text.erase(1, 1);
    return text;
}

// The coordinates' texts with `digits` significant digits, in metres times `scale`, each made once:
// most points end several wires, and the deck tries several counts of digits.
class CoordinateTexts {
public:
    CoordinateTexts(int digits, double scale) : digits_(digits), scale_(scale) {}
    const std::string& operator()(double metres, int digits = 0) {
        auto [at, fresh] = texts_.try_emplace({metres, digits});
        if (fresh) at->second = coordinateText(metres * scale_, digits ? digits : digits_);
        return at->second;
    }

private:
    int digits_;
    double scale_;
    std::map<std::pair<double, int>, std::string> texts_;
};

// A wire's GW card (its radius always to 7 digits).
std::string wireCard(const Wire& w, CoordinateTexts& texts) {
    std::string line;
    line.reserve(2 * kMaxCardLength);  // one allocation: the deck is written up to 14 times over
    line.append("GW ").append(std::to_string(w.tag)).append(" ").append(std::to_string(w.segments));
    for (double v : {w.from[0], w.from[1], w.from[2], w.to[0], w.to[1], w.to[2]})
        line.append(" ").append(texts(v));
    line.append(" ").append(texts(w.radius, 7));
    return line;
}

// The cards, or none when one is longer than a card may be.
std::optional<std::vector<std::string>> wireCards(const Model& model, int digits, double scale, bool mustFit) {
    CoordinateTexts texts(digits, scale);
    std::vector<std::string> cards;
    for (const Wire& w : model.wires) {
        cards.push_back(wireCard(w, texts));
        if (mustFit && cards.back().size() > kMaxCardLength) return std::nullopt;
    }
    return cards;
}

struct WireCards {
    std::vector<std::string> cards;
    int digits = 0;
    bool millimetres = false;  // a GS card scales them to metres
};

// The most digits (up to 10) with which every wire card fits, in metres or, for small antennas
// whose coordinates start with zeros after the point, in millimetres. One count for the whole deck:
// a point is then written the same in every wire that ends there, so NEC-2 joins them.
// Metres win a tie; when neither fits at 5 digits, metres at 4 are written as they come.
WireCards fittingWireCards(const Model& model) {
    for (int digits = 10; digits > 4; --digits)
        for (const bool millimetres : {false, true})
            if (auto cards = wireCards(model, digits, millimetres ? 1000 : 1, true))
                return {std::move(*cards), digits, millimetres};
    return {*wireCards(model, 4, 1, false), 4, false};
}

// The coat's LD cards: absolute segment ranges (tag 0) between the feed wires, which stay bare.
// NEC-2 numbers the segments in the order of the GW cards; LD type 2 takes R, L and C per metre, and
// a C of 0 means none.
std::vector<std::string> coatCards(const Model& model, double henriesPerMetre) {
    std::vector<std::string> cards;
    const std::string load = " 0 " + exactText(henriesPerMetre) + " 0";
    int first = 1, next = 1;
    auto close = [&] {
        if (next > first) cards.push_back("LD 2 0 " + std::to_string(first) + " " + std::to_string(next - 1) + load);
    };
    for (const Wire& w : model.wires) {
        const bool feed =
            std::any_of(model.sources.begin(), model.sources.end(), [&](const Source& s) { return s.tag == w.tag; });
        if (feed) {
            close();
            first = next + w.segments;
        }
        next += w.segments;
    }
    close();
    return cards;
}

std::string tagList(const Model& model) {
    std::string list;
    for (const Source& source : model.sources) {
        if (!list.empty()) list += ", ";
        list += std::to_string(source.tag);
    }
    return list;
}

}  // namespace

Sweep defaultSweep(double designMhz) {
    // Scaled by whole numbers, so that 146 MHz starts at the double nearest 116.8, not one below it.
    return {designMhz * 8 / 10, designMhz / 100,
            static_cast<int>(std::lround((kSweepHigh - kSweepLow) / kSweepStep)) + 1};
}

Sweep makeSweep(double fromMhz, double toMhz, double stepMhz, const SweepNames& names) {
    const std::pair<const std::string*, double> values[]{
        {&names.from, fromMhz}, {&names.to, toMhz}, {&names.step, stepMhz}};
    for (const auto& [name, value] : values) {
        if (std::isnan(value)) throw std::invalid_argument(*name + " is not a number");
        if (std::isinf(value)) throw std::invalid_argument(*name + " is too large to compute");
        if (value <= 0)
            throw std::invalid_argument(*name + " " + numberText(value) + " MHz is not a positive frequency");
    }
    if (toMhz < fromMhz)
        throw std::invalid_argument(names.to + " " + numberText(toMhz) + " MHz is below " + names.from + " " +
                                    numberText(fromMhz) + " MHz: the sweep must end at or above where it starts");
    const double steps = std::floor((toMhz - fromMhz) / stepMhz + 1e-9);
    if (steps + 1 > kMaxSweepPoints)
        throw std::invalid_argument(names.from + " " + numberText(fromMhz) + " " + names.to + " " + numberText(toMhz) +
                                    " " + names.step + " " + numberText(stepMhz) + " makes " +
                                    numberText(steps + 1, 6) + " points; a sweep takes at most " +
                                    std::to_string(kMaxSweepPoints));
    return {fromMhz, stepMhz, static_cast<int>(steps) + 1};
}

std::vector<double> sweepFrequencies(const Sweep& sweep) {
    std::vector<double> mhz;
    for (int i = 0; i < sweep.count; ++i)
        mhz.push_back(sweep.fromMhz + i * sweep.stepMhz);
    return mhz;
}

double highestPointM(const Model& model, const Ground& ground) {
    double top = 0;
    for (const Point& corner : model.topCorners)
        top = std::max(top, corner[2]);
    return ground.kind == GroundKind::Free ? 0 : top;
}

PatternGrid averagingGrid(const Ground& ground, double highestPointM, double mhz) {
    PatternGrid grid;
    if (ground.kind == GroundKind::Free) {
        grid.thetas = 180 / 5 + 1;
        return grid;
    }
    // Over a ground the lobes are about a wavelength / (2 x height) apart in the sine of the
    // elevation; a grid of more than a twelfth of that (in degrees, 12 / heights in wavelengths)
    // aliases them and nec2c's average drifts from 2 over perfect ground.
    const double wavelengths = highestPointM * mhz / kLightMetresMhz;
    const double wanted = kLobeDegreesTimesWavelengths / std::max(wavelengths, 1e-9);
    grid.thetaStepDeg = kThetaSteps.back();
    for (double step : kThetaSteps)
        if (step <= wanted) {
            grid.thetaStepDeg = step;
            break;
        }
    grid.averageChecked = kThetaSteps.back() <= wanted;
    grid.thetas = static_cast<int>(std::lround(90 / grid.thetaStepDeg)) + 1;
    // A fine theta grid keeps to 25 azimuths: the antenna's azimuth ripple is a few hundredths of a dB.
    if (grid.thetaStepDeg < 2.5) {
        grid.phiStepDeg = 15;
        grid.phis = 360 / 15 + 1;
    }
    return grid;
}

double lobeCutStepDeg(const PatternGrid& grid) {
    const double tenth = grid.thetaStepDeg / 10;
    for (double step : {0.1, 0.05, 0.02})
        if (step <= tenth) return step;
    return 0.01;
}

std::string cutDeck(const std::string& deck, const std::vector<ElevationCut>& cuts) {
    std::string out;
    for (std::size_t at = 0; at < deck.size();) {
        std::size_t end = deck.find('\n', at);
        if (end == std::string::npos) end = deck.size();
        const std::string_view line(deck.data() + at, end - at);
        if (line.rfind("FR ", 0) == 0 || line == "EN") break;
        out.append(line).append("\n");
        at = end + 1;
    }
    for (const ElevationCut& cut : cuts) {
        out += "FR 0 1 0 0 " + exactText(cut.mhz) + " 0\n";
        // Theta from the top of the cut down to the horizon (theta 90), in steps nec2c prints exactly.
        out += "RP 0 " + std::to_string(cut.count) + " 1 1000 " + fixedText(90 - (cut.count - 1) * cut.stepDeg, 2) +
               " " + exactText(cut.phiDeg) + " " + fixedText(cut.stepDeg, 2) + " 0\n";
    }
    return out + "EN\n";
}

std::string oneGapDeck(const std::string& deck, double mhz) {
    std::string out;
    bool first = true;
    for (std::size_t at = 0; at < deck.size();) {
        std::size_t end = deck.find('\n', at);
        if (end == std::string::npos) end = deck.size();
        std::string line = deck.substr(at, end - at);
        at = end + 1;
        if (line.rfind("FR ", 0) == 0 || line == "EN") break;
        if (line.rfind("EX 0 ", 0) == 0 && !first) line = line.substr(0, line.rfind(" 1 0")) + " 1E-20 0";
        if (line.rfind("EX 0 ", 0) == 0) first = false;
        out += line + "\n";
    }
    return out + "FR 0 1 0 0 " + exactText(mhz) + " 0\nXQ\nEN\n";
}

bool averageCheckApplies(const Model& model, const Ground& ground, const std::vector<double>& patternMhz) {
    const double top = highestPointM(model, ground);
    return std::all_of(patternMhz.begin(), patternMhz.end(),
                       [&](double mhz) { return averagingGrid(ground, top, mhz).averageChecked; });
}

std::string writeDeck(const Model& model, const DeckPlan& plan, const std::vector<std::string>& comments) {
    std::string deck;
    auto card = [&deck](std::string line) { deck += line + "\n"; };
    auto comment = [&card](const std::string& text) {
        for (const std::string& line : wrapped(oneLine(text)))
            card("CM " + line);
    };
    for (const std::string& text : comments)
        comment(text);
    card("CM generated by brimalox-cli " BRIMALOX_VERSION);
    const Ground& ground = plan.ground;
    std::string where = "free space";
    if (ground.kind == GroundKind::Perfect) where = "over perfect ground";
    if (ground.kind == GroundKind::Real)
        where = "over " + ground.name + " ground (relative permittivity " + numberText(ground.permittivity) +
                ", conductivity " + numberText(ground.conductivity) + " S/m, Sommerfeld-Norton)";
    if (ground.kind != GroundKind::Free) where += ", lowest point " + numberText(ground.heightM) + " m above it";
    const WireCards wires = fittingWireCards(model);
    comment(where + (wires.millimetres ? ", millimetres (GS scales them to metres)" : ", metres") +
            "; each gap is bridged by a feed wire (tags " + tagList(model) +
            ") with a 1 V source on its middle segment, all in phase");
    if (plan.coatHenriesPerMetre > 0 && !plan.coatText.empty())
        comment("insulated wire, " + plan.coatText + ": " + exactText(plan.coatHenriesPerMetre) +
                " H/m in series on every wire but the feed wires (LD 2)");
    card("CE");
    for (const std::string& line : wires.cards)
        card(line);
    if (wires.millimetres) card("GS 0 0 .001");
    // GE 1: a ground plane below; no wire touches it.
    card(ground.kind == GroundKind::Free ? "GE 0" : "GE 1");
    // Segments shorter than eight radii: the extended thin-wire kernel, good down to two.
    if (model.extendedKernel) card("EK 0");
    if (ground.kind == GroundKind::Perfect) card("GN 1");
    // GN 2: the Sommerfeld-Norton model of a real ground, valid close to it, with its constants.
    if (ground.kind == GroundKind::Real)
        card("GN 2 0 0 0 " + exactText(ground.permittivity) + " " + exactText(ground.conductivity));
    if (plan.coatHenriesPerMetre > 0)
        for (const std::string& line : coatCards(model, plan.coatHenriesPerMetre))
            card(line);
    card("PT -1 0 0 0");  // no current tables: the output stays short
    for (const Source& s : model.sources)
        card("EX 0 " + std::to_string(s.tag) + " " + std::to_string(s.segment) + " 0 1 0");
    std::vector<Sweep> sweeps{plan.sweep};
    sweeps.insert(sweeps.end(), plan.moreSweeps.begin(), plan.moreSweeps.end());
    for (const Sweep& sweep : sweeps) {
        if (sweep.count == 0) continue;
        card("FR 0 " + std::to_string(sweep.count) + " 0 0 " + exactText(sweep.fromMhz) + " " +
             exactText(sweep.stepMhz));
        card("XQ");
    }
    const double top = highestPointM(model, ground);
    for (double mhz : plan.patternMhz) {
        card("FR 0 1 0 0 " + exactText(mhz) + " 0");
        // XNDA 1001: the power gains, and their average over the grid.
        const PatternGrid grid = averagingGrid(ground, top, mhz);
        card("RP 0 " + std::to_string(grid.thetas) + " " + std::to_string(grid.phis) + " 1001 0 0 " +
             numberText(grid.thetaStepDeg) + " " + numberText(grid.phiStepDeg));
        card("RP 0 " + std::to_string(90 / kFinePatternStepDeg + 1) + " " + std::to_string(360 / kCutPhiStepDeg + 1) +
             " 1000 0 0 " + std::to_string(kFinePatternStepDeg) + " " + std::to_string(kCutPhiStepDeg));
    }
    card("EN");
    return deck;
}

}  // namespace brimalox::nec
