#include "app/diagram.h"

#include <cmath>
#include <vector>

namespace brimalox {
namespace {

using Kind = DiagramPrimitive::Kind;

// Corners of the top triangle; the bottom one is the same, kDrop pixels lower.
constexpr DiagramPoint kBack{76, 5};
constexpr DiagramPoint kRight{115, 25};
constexpr DiagramPoint kFront{57, 38};
constexpr double kDrop = 156;
constexpr double kFeedGap = 8;  // the break in the middle of each vertical wire

DiagramPoint operator+(DiagramPoint p, DiagramPoint q) { return {p.x + q.x, p.y + q.y}; }
DiagramPoint below(DiagramPoint top) { return {top.x, top.y + kDrop}; }

class Drawing {
public:
    void line(DiagramPoint a, DiagramPoint b) { items_.push_back({Kind::Line, a, b, {}}); }
    void word(DiagramPoint centre, std::string_view text) { items_.push_back({Kind::Word, centre, centre, text}); }

    // A vertical wire from a top corner to its bottom corner, broken at its middle for the feed point.
    void edge(DiagramPoint top) {
        const double middle = top.y + std::floor(kDrop / 2);
        line(top, {top.x, middle - kFeedGap / 2});
        line({top.x, middle + kFeedGap / 2}, below(top));
    }

    void triangle(DiagramPoint a, DiagramPoint b, DiagramPoint c) {
        line(a, b);
        line(b, c);
        line(c, a);
    }

    // An open arrow head with its tip at `tip`, pointing away from `from`.
    void arrowHead(DiagramPoint tip, DiagramPoint from) {
        constexpr double kLength = 5;
        constexpr double kSpread = 0.45;  // radians either side of the shaft
        const double angle = std::atan2(from.y - tip.y, from.x - tip.x);
        for (double side : {-kSpread, kSpread})
            line(tip, tip + DiagramPoint{std::cos(angle + side) * kLength, std::sin(angle + side) * kLength});
    }

    void dimension(DiagramPoint a, DiagramPoint b) {
        line(a, b);
        arrowHead(a, b);
        arrowHead(b, a);
    }

    std::vector<DiagramPrimitive> take() { return std::move(items_); }

private:
    std::vector<DiagramPrimitive> items_;
};

void height(Drawing& d) {
    constexpr double x = 22;
    const DiagramPoint top = kFront;
    const DiagramPoint bottom = below(kFront);
    d.line({x - 4, top.y}, {top.x - 4, top.y});
    d.line({x - 4, bottom.y}, {bottom.x - 4, bottom.y});
    d.dimension({x, top.y}, {x, bottom.y});
    d.word({x, (top.y + bottom.y) / 2}, "HEIGHT");
}

// Parallel to the front bottom wire, a little below it.
void side(Drawing& d) {
    const DiagramPoint left = below(kFront);
    const DiagramPoint right = below(kRight);
    const DiagramPoint offset{0, 14};
    d.line(left + DiagramPoint{0, 3}, left + offset + DiagramPoint{0, 4});
    d.line(right + DiagramPoint{0, 3}, right + offset + DiagramPoint{0, 4});
    d.dimension(left + offset, right + offset);
    const DiagramPoint middle{(left.x + right.x) / 2 + offset.x, (left.y + right.y) / 2 + offset.y};
    d.word(middle + DiagramPoint{0, 12}, "SIDE");
}

// Two short lines from the word to the feed gap of the right-hand wire.
void gap(Drawing& d) {
    const DiagramPoint feed{kRight.x, kRight.y + std::floor(kDrop / 2)};
    const DiagramPoint word{147, feed.y};
    d.word(word, "GAP");
    d.line({word.x - 12, feed.y - 7}, {feed.x + 3, feed.y - 2});
    d.line({word.x - 12, feed.y + 7}, {feed.x + 3, feed.y + 2});
}

std::vector<DiagramPrimitive> build() {
    Drawing d;
    d.triangle(kBack, kRight, kFront);
    d.triangle(below(kBack), below(kRight), below(kFront));
    for (DiagramPoint corner : {kBack, kRight, kFront})
        d.edge(corner);
    height(d);
    side(d);
    gap(d);
    return d.take();
}

}  // namespace

std::span<const DiagramPrimitive> diagramPrimitives() {
    static const std::vector<DiagramPrimitive> primitives = build();
    return primitives;
}

}  // namespace brimalox
