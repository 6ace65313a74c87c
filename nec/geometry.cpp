#include "nec/geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "nec/deck.h"

namespace brimalox::nec {
namespace {

constexpr double kLightMetresMhz = 299.792458;  // wavelength in metres is this / MHz
constexpr double kRadiiPerSegment = 8.0;
// Neighbouring segments grow by at most this much toward the corners; NEC-2 tolerates 5:1, the
// margin leaves room for the uniform run after the taper.
constexpr double kTaperGrowth = 3.0;
constexpr double kLargestJump = 4.5;

bool positiveFinite(double value) { return std::isfinite(value) && value > 0; }

int segmentsFor(double length, double maxSegment) {
    return std::max(1, static_cast<int>(std::ceil(length / maxSegment * (1 - 1e-12))));
}

// The next, longer segment of a taper from a segment of length previous.
double grow(double previous, double maxSegment, double minSegment) {
    const double grown = std::max(previous * kTaperGrowth, std::min(minSegment, previous * kLargestJump));
    return std::min(maxSegment, grown);
}

// Splits one half of a vertical, of the given length, into segment runs that start short next to
// the feed segment and grow toward the corner: single tapering segments, then a uniform run.
// Returns the run lengths and counts, nearest the gap first.
struct Run {
    double length;
    int segments;
};
std::vector<Run> taperFromGap(double length, double feedSegment, double maxSegment, double minSegment) {
    std::vector<Run> runs;
    double used = 0;
    double last = feedSegment;
    for (;;) {
        const double next = grow(last, maxSegment, minSegment);
        // Stop at full length, or when the rest could not hold this segment twice over.
        if (next >= maxSegment || used + 2 * next > length) break;
        runs.push_back({next, 1});
        used += next;
        last = next;
    }
    const double rest = length - used;
    const int count = segmentsFor(rest, grow(last, maxSegment, minSegment));
    runs.push_back({rest, count});
    return runs;
}

Point at(const Point& corner, double z) { return {corner[0], corner[1], z}; }

}  // namespace

double maxSegmentLength(double highestMhz, double radiusM) {
    const double wavelength = kLightMetresMhz / highestMhz;
    const double preferred = wavelength / 20;
    const double wanted = kRadiiPerSegment * radiusM;
    if (wanted <= preferred) return preferred;
    return std::min(wavelength / 10, wanted);
}

double wireLength(const Wire& wire) {
    return std::hypot(wire.to[0] - wire.from[0], wire.to[1] - wire.from[1], wire.to[2] - wire.from[2]);
}

std::vector<std::string> modelWarnings(const Model& model) {
    if (model.wires.empty()) return {};
    const Wire* shortest = &model.wires.front();
    for (const Wire& wire : model.wires)
        if (wireLength(wire) / wire.segments < wireLength(*shortest) / shortest->segments) shortest = &wire;
    const double segment = wireLength(*shortest) / shortest->segments;
    const double radius = shortest->radius;
    if (segment >= kRadiiPerSegment * radius * (1 - 1e-9)) return {};
    auto mm = [](double metres) { return numberText(metres * 1000, 4); };
    std::string text = "segments as short as " + mm(segment) + " mm (tag " + std::to_string(shortest->tag) +
                       ") are shorter than eight conductor radii (" + mm(kRadiiPerSegment * radius) + " mm): ";
    text += segment < 2 * radius ? "the conductor is too thick for NEC-2's thin-wire model, do not trust the results"
                                 : "NEC-2's thin-wire model is less accurate here";
    return {text};
}

Model buildModel(const NecGeometry& g, double highestMhz) {
    if (g.sides != 3 && g.sides != 4) throw std::invalid_argument("the antenna has 3 or 4 sides");
    for (double value : {g.sideMm, g.heightMm, g.gapMm, g.conductorMm, g.designMhz, highestMhz})
        if (!positiveFinite(value))
            throw std::invalid_argument("every dimension and frequency must be a positive number");
    if (g.gapMm >= g.heightMm) throw std::invalid_argument("the gap must be shorter than the height");

    const double side = g.sideMm / 1000;
    const double height = g.heightMm / 1000;
    const double gap = g.gapMm / 1000;
    const double radius = g.conductorMm / 2000;

    Model model;
    model.maxSegmentM = maxSegmentLength(highestMhz, radius);
    const double maxSegment = model.maxSegmentM;
    const double minSegment = kRadiiPerSegment * radius;

    // Corners without trigonometry, so that coordinates on an axis are exactly 0.
    std::vector<std::array<double, 2>> plan;
    if (g.sides == 3) {
        const double r = side / std::sqrt(3.0);  // circumradius
        plan = {{0, r}, {-side / 2, -r / 2}, {side / 2, -r / 2}};
    } else {
        plan = {{side / 2, side / 2}, {-side / 2, side / 2}, {-side / 2, -side / 2}, {side / 2, -side / 2}};
    }
    for (const auto& xy : plan) {
        model.bottomCorners.push_back({xy[0], xy[1], -height / 2});
        model.topCorners.push_back({xy[0], xy[1], height / 2});
    }

    int tag = 0;
    auto add = [&](const Point& from, const Point& to, int segments, WireRole role) {
        model.wires.push_back({++tag, segments, from, to, radius});
        model.roles.push_back(role);
        return tag;
    };

    const auto corners = model.bottomCorners.size();
    const int sideSegments = segmentsFor(side, maxSegment);
    for (std::size_t i = 0; i < corners; ++i)
        add(model.bottomCorners[i], model.bottomCorners[(i + 1) % corners], sideSegments, WireRole::Bottom);
    for (std::size_t i = 0; i < corners; ++i)
        add(model.topCorners[i], model.topCorners[(i + 1) % corners], sideSegments, WireRole::Top);

    // An odd count puts the source on the middle segment, exactly at the centre of the gap.
    int feedSegments = segmentsFor(gap, maxSegment);
    if (feedSegments % 2 == 0) ++feedSegments;
    const double feedSegment = gap / feedSegments;
    const double half = (height - gap) / 2;
    const std::vector<Run> runs = taperFromGap(half, feedSegment, maxSegment, minSegment);

    // Break points of the upper half, from the gap up; the lower half mirrors them.
    std::vector<double> upper{gap / 2};
    for (const Run& run : runs) upper.push_back(upper.back() + run.length);
    upper.back() = height / 2;  // the top corner itself, free of rounding

    for (std::size_t c = 0; c < corners; ++c) {
        const Point& bottom = model.bottomCorners[c];
        // Lower half from the bottom corner up to the gap: the uniform run first.
        for (std::size_t i = runs.size(); i-- > 0;) {
            add(at(bottom, -upper[i + 1]), at(bottom, -upper[i]), runs[i].segments, WireRole::Vertical);
        }
        const int feedTag = add(at(bottom, -gap / 2), at(bottom, gap / 2), feedSegments, WireRole::Feed);
        model.sources.push_back({feedTag, (feedSegments + 1) / 2});
        for (std::size_t i = 0; i < runs.size(); ++i) {
            add(at(bottom, upper[i]), at(bottom, upper[i + 1]), runs[i].segments, WireRole::Vertical);
        }
    }
    return model;
}

}  // namespace brimalox::nec
