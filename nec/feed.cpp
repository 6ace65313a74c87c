#include "nec/feed.h"

#include <cmath>

#include "nec/geometry.h"
#include "nec/setting_words.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"

namespace brimalox::nec {
namespace {

using Complex = std::complex<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDbPerNeper = 8.68588963806503655302;  // 20 log10(e)

double velocityFactor(const std::string& text, const std::string& name) {
    const double vf = numberSetting(text, name);
    if (!(vf > 0 && vf <= 1))
        throw Refused(name + " " + text +
                      " is outside 0 to 1: a line's velocity factor is above 0 and at most 1, such as 0.82 for twin "
                      "lead or 0.66 for solid coax");
    return vf;
}

double inRange(const std::string& text, const std::string& name, const Range& r) {
    const double value = numberSetting(text, name);
    if (!(value >= r.from && value <= r.to))
        throw Refused(name + " " + text + " is outside " + rangeText(r) + ": " + r.why);
    return value;
}

// "Z0,VF,LENGTH[,DB]" with `fixed` parts always typed and up to `most`; lengthScale turns the typed
// length into metres.
Line lineOf(const std::string& text, const std::string& name, const std::string& form, std::size_t fixed,
            std::size_t most, double lengthScale, const Range& length) {
    const std::vector<std::string> parts = splitText(text, ',');
    if (parts.size() < fixed || parts.size() > most) throw Refused(name + " needs " + form + ", not \"" + text + "\"");
    Line line;
    line.z0 = inRange(parts[0], name + "'s Z0", kZ0Range);
    line.vf = velocityFactor(parts[1], name + "'s velocity factor");
    if (parts.size() > 2) line.metres = inRange(parts[2], name + "'s length", length) * lengthScale;
    if (parts.size() > 3) line.dbPer100m = inRange(parts[3], name + "'s loss", kLossRange);
    return line;
}

// The line's chain matrix [A B; C D] at mhz: what it makes of the voltage and current at its far end.
struct Chain {
    Complex a, b, c, d;
};

Chain chainOf(const Line& line, double mhz) {
    const double alpha = line.dbPer100m * std::sqrt(mhz / 100) / kDbPerNeper / 100 * line.metres;
    const double beta = 2 * kPi * mhz / (line.vf * kLightMetresMhz) * line.metres;
    const Complex cosh{std::cosh(alpha) * std::cos(beta), std::sinh(alpha) * std::sin(beta)};
    const Complex sinh{std::sinh(alpha) * std::cos(beta), std::cosh(alpha) * std::sin(beta)};
    return {cosh, line.z0 * sinh, sinh / line.z0, cosh};
}

// Voltage and current at a plane, the current flowing towards the antenna.
struct Wave {
    Complex v, i;
};

Wave through(const Line& line, double mhz, Wave far) {
    const Chain m = chainOf(line, mhz);
    return {m.a * far.v + m.b * far.i, m.c * far.v + m.d * far.i};
}

Wave onFromJunction(const Feed& feed, double mhz, Wave w) {
    if (feed.section) w = through(*feed.section, mhz, w);
    const double turns = std::sqrt(feed.balun);
    w = {w.v / turns, w.i * turns};
    return feed.coax ? through(*feed.coax, mhz, w) : w;
}

// To a billionth of an ohm: sin and cos differ in their last bit between the page's C library and
// the command line's, and both print the same digits.
double steady(double value) { return std::round(value * 1e9) / 1e9; }
Complex steady(Complex z) { return {steady(z.real()), steady(z.imag())}; }
Complex ohmsOf(Wave w) { return steady(quotient(w.v, w.i)); }
double power(Wave w) { return (w.v * std::conj(w.i)).real(); }

// x = M^-1 y for a small complex matrix, by Gaussian elimination with partial pivoting.
std::vector<Complex> solve(std::vector<std::vector<Complex>> m, std::vector<Complex> y) {
    const std::size_t n = y.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (magnitude(m[r][col]) > magnitude(m[pivot][col])) pivot = r;
        std::swap(m[col], m[pivot]);
        std::swap(y[col], y[pivot]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const Complex f = quotient(m[r][col], m[col][col]);
            for (std::size_t k = col; k < n; ++k)
                m[r][k] -= f * m[col][k];
            y[r] -= f * y[col];
        }
    }
    std::vector<Complex> x(n);
    for (std::size_t r = n; r-- > 0;) {
        Complex sum = y[r];
        for (std::size_t k = r + 1; k < n; ++k)
            sum -= m[r][k] * x[k];
        x[r] = quotient(sum, m[r][r]);
    }
    return x;
}

}  // namespace

const char* planeName(Plane plane) {
    switch (plane) {
    case Plane::Gap: return "gap";
    case Plane::Junction: return "junction";
    case Plane::Rig: break;
    }
    return "rig";
}

bool FeedSettings::given() const {
    for (const std::string* text : {&line, &loss, &section, &balun, &coax, &rigZ0, &at})
        if (!text->empty()) return true;
    return false;
}

double matchLengthMm(const DesignTexts& d) {
    const Parsed<double> parsed = parseDouble(d.matchMm);
    return parsed.ok() && parsed.value > 0 ? parsed.value : 0;
}

std::optional<Feed> readFeed(const FeedSettings& s, const SettingNames& n, int gaps, double lineMm, double lineZ0) {
    if (!s.given()) return std::nullopt;
    Feed feed;
    feed.lines = gaps;
    feed.line.z0 = lineZ0;
    feed.line.metres = lineMm / 1000;
    if (!s.line.empty()) {
        const Line typed =
            lineOf(s.line, n.feedLine, "Z0,VF[,MM] (ohms, velocity factor, millimetres), such as 300,0.82", 2, 3, 0.001,
                   kLineMmRange);
        feed.line = {typed.z0, typed.vf, splitText(s.line, ',').size() > 2 ? typed.metres : feed.line.metres, 0};
    }
    if (!s.loss.empty()) feed.line.dbPer100m = inRange(s.loss, n.feedLoss, kLossRange);
    if (!s.section.empty()) {
        feed.section =
            lineOf(s.section, n.feedSection, "Z0,VF,MM (ohms, velocity factor, millimetres), such as 75,0.66,340", 3, 3,
                   0.001, kLineMmRange);
        feed.section->dbPer100m = feed.line.dbPer100m;
    }
    if (!s.balun.empty()) feed.balun = inRange(s.balun, n.balun, kBalunRange);
    if (!s.coax.empty())
        feed.coax =
            lineOf(s.coax, n.coax,
                   "Z0,VF,METRES[,DB] (ohms, velocity factor, metres, dB per 100 m at 100 MHz), such as 50,0.66,5,7", 3,
                   4, 1, kCoaxMRange);
    if (!s.rigZ0.empty()) feed.rigZ0 = inRange(s.rigZ0, n.rigZ0, kRigZ0Range);
    if (!s.at.empty()) {
        if (s.at == "gap")
            feed.at = Plane::Gap;
        else if (s.at == "junction")
            feed.at = Plane::Junction;
        else if (s.at != "rig")
            throw Refused(n.at + " needs gap, junction or rig, not \"" + s.at + "\"");
    }
    return feed;
}

double referenceOhms(const Feed& feed, Plane plane) {
    switch (plane) {
    case Plane::Gap: return feed.line.z0;
    case Plane::Junction: return feed.balun * feed.rigZ0;
    case Plane::Rig: break;
    }
    return feed.rigZ0;
}

FeedPlanes carry(const Feed& feed, double mhz, Complex gapOhms) {
    const Wave gap{gapOhms, 1};
    const Wave one = through(feed.line, mhz, gap);
    const Wave junction{one.v, one.i * static_cast<double>(feed.lines)};
    const Wave rig = onFromJunction(feed, mhz, junction);
    const double delivered = power(gap) * feed.lines, sent = power(rig);
    const double lossDb = delivered > 0 && sent > 0 ? std::round(1e9 * 10 * std::log10(sent / delivered)) / 1e9 : 0;
    return {ohmsOf(junction), ohmsOf(rig), lossDb};
}

std::complex<double> ohmsAt(const Analysis& analysis, std::size_t i, Plane plane) {
    if (analysis.planes.empty() || plane == Plane::Gap) return analysis.rows[i].feeds.front().ohms;
    return plane == Plane::Junction ? analysis.planes[i].junction : analysis.planes[i].rig;
}

void applyFeed(Analysis& analysis, const Feed& feed, double designMhz) {
    const double reference = referenceOhms(feed, feed.at);
    analysis.planes.clear();
    for (std::size_t i = 0; i < analysis.rows.size(); ++i) {
        SweepRow& row = analysis.rows[i];
        analysis.planes.push_back(carry(feed, row.mhz, row.feeds.front().ohms));
        if (std::isfinite(row.swr)) row.swr = swr(ohmsAt(analysis, i, feed.at), reference);
    }
    remeasure(analysis, reference, designMhz);
}

std::complex<double> junctionWithReversed(const Line& line, double mhz, const std::vector<Complex>& yRow,
                                          int reversed) {
    // Each line i joins gap i (V_i, I_i = (Y V)_i) to the junction at 1 V, a reversed one with its
    // conductors crossed: s_i (A V_i + B I_i) = 1, and the junction's current is the sum of
    // s_i (C V_i + D I_i).
    const std::size_t n = yRow.size();
    const Chain m = chainOf(line, mhz);
    auto y = [&](std::size_t i, std::size_t k) { return yRow[(k + n - i) % n]; };
    std::vector<std::vector<Complex>> matrix(n, std::vector<Complex>(n));
    std::vector<Complex> sign(n, 1);
    if (reversed >= 0) sign[reversed] = -1;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k)
            matrix[i][k] = m.b * y(i, k) + (i == k ? m.a : Complex{});
    const std::vector<Complex> v = solve(matrix, sign);
    Complex current;
    for (std::size_t i = 0; i < n; ++i) {
        Complex gapCurrent;
        for (std::size_t k = 0; k < n; ++k)
            gapCurrent += y(i, k) * v[k];
        current += sign[i] * (m.c * v[i] + m.d * gapCurrent);
    }
    return steady(quotient(1, current));
}

std::complex<double> rigFromJunction(const Feed& feed, double mhz, Complex junctionOhms) {
    return ohmsOf(onFromJunction(feed, mhz, {junctionOhms, 1}));
}

double matchedLossDb(const Line& line, double mhz) {
    return std::round(1e9 * line.dbPer100m * std::sqrt(mhz / 100) * line.metres / 100) / 1e9;
}

}  // namespace brimalox::nec
