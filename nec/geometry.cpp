#include "nec/geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "nec/error.h"
#include "numtext/figures.h"

namespace brimalox::nec {
namespace {

constexpr double kRadiiPerSegment = 8.0;          // thin-wire kernel: segments at least this many radii
constexpr double kExtendedRadiiPerSegment = 2.0;  // extended kernel (EK): at least this many
// Segments of at most this fraction of the antenna's height (a design's height is a third of its
// wavelength, so about a fortieth of that) wherever the growth from the gaps lets them grow,
// whatever the sweep: the design's figures then do not follow how far a sweep goes, and an antenna
// built a few percent large is modelled as the same model scaled, segment for segment.
constexpr double kSegmentsPerHeight = 13;
// And at most a tenth of the shortest wavelength of the run, NEC-2's guideline: the design's
// segments meet it up to three times the design frequency; beyond, the run's top sets them.
constexpr double kSegmentsPerWavelength = 10;
constexpr int kFeedSegments = 3;
// Segments grow by at most this ratio from one to the next away from the gaps.
constexpr double kGrowth = 1.25;
constexpr int kIntegrationSteps = 4096;

// Names a value that cannot be a length or frequency, saying what is wrong with it.
void requirePositive(double value, const char* what, const char* unit) {
    if (std::isfinite(value) && value > 0) return;
    std::string problem;
    if (std::isnan(value))
        problem = "is not a number";
    else if (std::isinf(value))
        problem = "is too large to compute (it overflows)";
    else if (value == 0)
        problem = std::string("is 0 ") + unit + ", too small to model";
    else
        problem = "is " + numberText(value, 7) + " " + unit + ", not positive";
    throw std::invalid_argument(std::string("the ") + what + " " + problem);
}

// Break points 0 = x0 < x1 < ... < xn = length whose spacing follows size(x): each segment about
// as long as size() where it lies and never longer than the smallest size() in it by more than
// the growth of one step. The points are equally spaced in phi(x) = integral of dx / size(x).
// Rounding the count up shortens segments a little; where that would take one below `least` the
// count is one less (segments a little longer), until none is.
template <typename Size>
std::vector<double> breakPoints(double length, Size size, double least) {
    std::vector<double> phi(kIntegrationSteps + 1, 0.0);
    const double dx = length / kIntegrationSteps;
    for (int i = 1; i <= kIntegrationSteps; ++i)
        phi[i] = phi[i - 1] + dx / size((i - 0.5) * dx);
    for (int count = std::max(1, static_cast<int>(std::ceil(phi.back() * (1 - 1e-12))));; --count) {
        std::vector<double> points{0.0};
        int j = 0;
        for (int k = 1; k < count; ++k) {
            const double target = phi.back() * k / count;
            while (phi[j + 1] < target)
                ++j;
            points.push_back((j + (target - phi[j]) / (phi[j + 1] - phi[j])) * dx);
        }
        points.push_back(length);
        bool tooShort = false;
        for (std::size_t i = 1; i < points.size(); ++i)
            tooShort = tooShort || points[i] - points[i - 1] < least * (1 - 1e-12);
        if (!tooShort || count == 1) return points;
    }
}

// Segment length limit for an antenna of this height run at frequencies up to highestMhz.
double maxSegmentLength(double heightM, double highestMhz) {
    return std::min(heightM / kSegmentsPerHeight, kLightMetresMhz / highestMhz / kSegmentsPerWavelength);
}

Point at(const Point& corner, double z) { return {corner[0], corner[1], z}; }

Point along(const Point& a, const Point& b, double fraction) {
    return {a[0] + (b[0] - a[0]) * fraction, a[1] + (b[1] - a[1]) * fraction, a[2] + (b[2] - a[2]) * fraction};
}

}  // namespace

// The two lengths as texts with enough significant digits (4 at least) to tell them apart.
static std::pair<std::string, std::string> distinctMm(double a, double b) {
    for (int digits = 4;; ++digits) {
        std::string x = numberText(a * 1000, digits), y = numberText(b * 1000, digits);
        if (x != y || digits >= 17) return {x, y};
    }
}

double wireLength(const Wire& wire) {
    return std::hypot(wire.to[0] - wire.from[0], wire.to[1] - wire.from[1], wire.to[2] - wire.from[2]);
}

std::vector<std::string> modelWarnings(const Model& model) {
    std::vector<std::string> warnings;
    if (model.wires.empty()) return warnings;
    const double radius = model.wires.front().radius;
    int segments = 0, shortOnes = 0;
    double shortest = 0;
    bool atGap = false;
    for (const Wire& w : model.wires) {
        const double length = wireLength(w) / w.segments;
        segments += w.segments;
        if (length < kRadiiPerSegment * radius * (1 - 1e-9)) shortOnes += w.segments;
        const bool feed =
            std::any_of(model.sources.begin(), model.sources.end(), [&](const Source& s) { return s.tag == w.tag; });
        if (shortest == 0 || length < shortest * (1 - 1e-9)) {
            shortest = length;
            atGap = feed;
        }
    }
    if (shortOnes == 0) return warnings;
    warnings.push_back(std::to_string(shortOnes) + " of " + std::to_string(segments) +
                       " segments are shorter than eight conductor radii, the thin-wire kernel's guideline (the "
                       "shortest " +
                       numberText(shortest / radius, 3) +
                       (atGap ? " radii, across the gaps" : " radii, on the wires away from the gaps") +
                       "): the deck uses NEC-2's extended thin-wire kernel (EK), which holds down to two radii");
    return warnings;
}

double largestSegmentRatio(const Model& model) {
    struct End {
        Point point;
        double segment;
    };
    std::vector<End> ends;
    for (const Wire& w : model.wires) {
        const double segment = wireLength(w) / w.segments;
        ends.push_back({w.from, segment});
        ends.push_back({w.to, segment});
    }
    double worst = 1;
    const double tolerance = 1e-9;
    for (const End& a : ends)
        for (const End& b : ends)
            if (std::abs(a.point[0] - b.point[0]) < tolerance && std::abs(a.point[1] - b.point[1]) < tolerance &&
                std::abs(a.point[2] - b.point[2]) < tolerance)
                worst = std::max(worst, a.segment / b.segment);
    return worst;
}

Model buildModel(const NecGeometry& g, double highestMhz) {
    ModelOptions options;
    options.highestMhz = highestMhz;
    return buildModel(g, options);
}

Model buildModel(const NecGeometry& g, const ModelOptions& options) {
    if (g.sides != 3 && g.sides != 4)
        throw std::invalid_argument("the antenna has 3 or 4 sides, not " + std::to_string(g.sides));
    requirePositive(g.designMhz, "design frequency", "MHz");
    requirePositive(g.conductorMm, "conductor diameter", "mm");
    requirePositive(g.heightMm, "height", "mm");
    requirePositive(g.sideMm, "side length", "mm");
    requirePositive(g.gapMm, "gap", "mm");
    requirePositive(options.highestMhz, "highest frequency of the run", "MHz");
    if (!(options.refine >= 1 && options.refine <= 16)) throw std::invalid_argument("refinement must be 1 to 16");
    if (g.gapMm >= g.heightMm)
        throw std::invalid_argument("the gap (" + numberText(g.gapMm) + " mm) must be shorter than the height (" +
                                    numberText(g.heightMm) + " mm)");

    const double side = g.sideMm / 1000;
    const double height = g.heightMm / 1000;
    const double gap = g.gapMm / 1000;
    const double radius = g.conductorMm / 2000;
    const double centre = options.liftM < 0 ? 0 : options.liftM + height / 2;
    if (!std::isfinite(centre)) throw std::invalid_argument("the height above ground is too large to compute");

    Model model;
    model.maxSegmentM = maxSegmentLength(height, options.highestMhz);
    if (!(model.maxSegmentM > 0))
        throw std::invalid_argument("the frequency " + numberText(options.highestMhz) + " MHz is too high to model");
    const double least = kExtendedRadiiPerSegment * radius;
    // Even the extended kernel needs every segment at least two radii long; the segment across a
    // gap shorter than the conductor's diameter cannot be, and figures of such a model mean nothing.
    if (gap < least * (1 - 1e-12))
        throw CannotModel("NEC-2 cannot model this feed: the gap (" + distinctMm(gap, 2 * radius).first +
                          " mm) is shorter than the conductor is thick (" + distinctMm(gap, 2 * radius).second +
                          " mm), and a wire model needs the segment across the gap to be at least as long as the "
                          "conductor is thick");
    const auto tooThick = [&](double shortest) {
        const auto [most, thick] = distinctMm(model.maxSegmentM, 2 * radius);
        return CannotModel("NEC-2 cannot model this conductor up to " + numberText(options.highestMhz) +
                           " MHz: its segments must be at most " + most +
                           " mm (a thirteenth of the antenna's height, and a tenth of the shortest wavelength run) and "
                           "at least as long as the conductor is thick (" +
                           thick + " mm)" +
                           (shortest > 0 ? ", and the wires cannot be cut into such segments (one would be " +
                                               distinctMm(shortest, 2 * radius).first + " mm)"
                                         : std::string()));
    };
    if (model.maxSegmentM < least * (1 - 1e-12)) throw tooThick(0);
    const double maxSegment = std::max(model.maxSegmentM / options.refine, least);
    // Three feed segments; refinement multiplies them, to the odd count below (the source sits on
    // the middle segment, at the gap's centre). A gap too short for three segments of two radii
    // gets fewer, down to one.
    int feedSegments = static_cast<int>(std::lround(kFeedSegments * options.refine));
    if (feedSegments % 2 == 0) --feedSegments;
    while (feedSegments > 1 && gap / feedSegments < least)
        feedSegments -= 2;
    while (gap / feedSegments > maxSegment)  // a gap longer than the segment limit: more of them
        feedSegments += 2;
    const double feedSegment = gap / feedSegments;
    // Segment length wanted at a distance along the wires from the nearest gap's edge: growing
    // from the feed segment's length so that neighbours differ by at most kGrowth (break points
    // are at most one unit of phi apart, and size grows by a factor e^(slope * phi)).
    const double slope = std::log(kGrowth);
    auto size = [&](double distance) { return std::min(maxSegment, feedSegment + slope * distance); };
    const double half = (height - gap) / 2;

    // Corners without trigonometry, so that coordinates on an axis are exactly 0.
    std::vector<std::array<double, 2>> plan;
    if (g.sides == 3) {
        const double r = side / std::sqrt(3.0);  // circumradius
        plan = {{0, r}, {-side / 2, -r / 2}, {side / 2, -r / 2}};
    } else {
        plan = {{side / 2, side / 2}, {-side / 2, side / 2}, {-side / 2, -side / 2}, {side / 2, -side / 2}};
    }
    for (const auto& xy : plan) {
        model.bottomCorners.push_back({xy[0], xy[1], centre - height / 2});
        model.topCorners.push_back({xy[0], xy[1], centre + height / 2});
    }

    int tag = 0;
    auto add = [&](const Point& from, const Point& to, int segments) {
        model.wires.push_back({++tag, segments, from, to, radius});
        return tag;
    };
    // One wire per run of equal segments between consecutive break points from a to b.
    auto chain = [&](const Point& a, const Point& b, const std::vector<double>& points) {
        const double length = points.back();
        std::size_t i = 0;
        while (i + 1 < points.size()) {
            const double segment = points[i + 1] - points[i];
            std::size_t j = i + 1;
            while (j + 1 < points.size() && std::abs(points[j + 1] - points[j] - segment) < 1e-9 * segment)
                ++j;
            const Point from = i == 0 ? a : along(a, b, points[i] / length);
            const Point to = j + 1 == points.size() ? b : along(a, b, points[j] / length);
            add(from, to, static_cast<int>(j - i));
            i = j;
        }
    };

    // The sides continue the verticals' growth from each corner toward their middle.
    const std::vector<double> sidePoints = breakPoints(
        side, [&](double x) { return size(half + std::min(x, side - x)); }, least);
    const auto corners = model.bottomCorners.size();
    for (const auto* polygon : {&model.bottomCorners, &model.topCorners})
        for (std::size_t i = 0; i < corners; ++i)
            chain((*polygon)[i], (*polygon)[(i + 1) % corners], sidePoints);

    // Each half of a vertical from the gap's edge outward; the lower half is the mirror image, run
    // upwards from the corner so that every vertical wire points up.
    const std::vector<double> outward = breakPoints(half, size, least);
    std::vector<double> fromCorner;
    for (auto it = outward.rbegin(); it != outward.rend(); ++it)
        fromCorner.push_back(half - *it);
    fromCorner.front() = 0;
    for (std::size_t c = 0; c < corners; ++c) {
        const Point& bottom = model.bottomCorners[c];
        const Point& top = model.topCorners[c];
        const Point gapLow = at(bottom, centre - gap / 2), gapHigh = at(bottom, centre + gap / 2);
        chain(bottom, gapLow, fromCorner);
        const int feedTag = add(gapLow, gapHigh, feedSegments);
        model.sources.push_back({feedTag, (feedSegments + 1) / 2});
        chain(gapHigh, top, outward);
    }
    // Every segment within both limits, wherever it lies: a wire too short for a whole number of
    // segments of two radii that are short enough is refused rather than modelled out of bounds.
    for (const Wire& w : model.wires) {
        const double segment = wireLength(w) / w.segments;
        if (segment < least * (1 - 1e-9) || segment > model.maxSegmentM * (1 + 1e-9)) throw tooThick(segment);
    }
    // Segments shorter than eight radii (the feed's, with thick conductors or narrow gaps) are
    // outside the thin-wire kernel's accuracy: the deck switches to the extended kernel.
    for (const Wire& w : model.wires)
        if (wireLength(w) / w.segments < kRadiiPerSegment * radius * (1 - 1e-9)) model.extendedKernel = true;
    return model;
}

}  // namespace brimalox::nec
