// The diagram's primitives, before any toolkit draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/diagram.h"

namespace brimalox {
namespace {

using Kind = DiagramPrimitive::Kind;

bool inside(DiagramPoint p) { return p.x >= 0 && p.x < kDiagramWidth && p.y >= 0 && p.y < kDiagramHeight; }

TEST(DiagramPrimitives, StayInsideTheBitmap) {
    for (const DiagramPrimitive& p : diagramPrimitives()) {
        EXPECT_TRUE(inside(p.a)) << p.a.x << "," << p.a.y;
        EXPECT_TRUE(inside(p.b)) << p.b.x << "," << p.b.y;
    }
}

TEST(DiagramPrimitives, NameTheThreeDimensionsOnce) {
    std::multiset<std::string> words;
    for (const DiagramPrimitive& p : diagramPrimitives())
        if (p.kind == Kind::Word) words.insert(std::string(p.word));
    EXPECT_EQ(words, (std::multiset<std::string>{"GAP", "HEIGHT", "SIDE"}));
}

// No vertical wire crosses the middle of its edge: that is where the feed gap is.
TEST(DiagramPrimitives, VerticalWiresBreakAtTheirMiddle) {
    const double corners[][2] = {{76, 5}, {115, 25}, {57, 38}};
    for (const auto& [x, top] : corners) {
        const double middle = top + 78;
        int pieces = 0;
        for (const DiagramPrimitive& p : diagramPrimitives()) {
            if (p.kind != Kind::Line || p.a.x != x || p.b.x != x) continue;
            const auto [lo, hi] = std::minmax(p.a.y, p.b.y);
            if (lo < top || hi > top + 156) continue;  // an extension line below the wire
            ++pieces;
            EXPECT_FALSE(lo <= middle && middle <= hi) << "wire at x " << x << " runs through its gap";
        }
        EXPECT_EQ(pieces, 2) << "wire at x " << x;
    }
}

}  // namespace
}  // namespace brimalox
