// The antenna diagram: its size, its colours, the wires with their feed gaps, and the dimension marks.
#include <gtest/gtest.h>
#include <QImage>

#include "desktop/diagram_painter.h"

namespace brimalox {
namespace {

bool black(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }

// Some black pixel in the rectangle.
bool inked(const QImage& image, QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (black(image, x, y)) return true;
    return false;
}

TEST(Diagram, IsBlackLineArtOnWhiteOfTheBitmapSize) {
    const QImage image = drawDiagram();
    ASSERT_EQ(image.size(), QSize(170, 233));
    int blackPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(colour == 0 || colour == 0xFFFFFF) << x << "," << y;
            blackPixels += colour == 0;
        }
    EXPECT_GT(blackPixels, 500);
    EXPECT_LT(blackPixels, 170 * 233 / 5) << "line art, not filled areas";
    EXPECT_EQ(image, drawDiagram()) << "the same picture every time";
}

struct Corner {
    int x, top;  // top corner; the bottom corner is 156 pixels lower
};

constexpr Corner kCorners[] = {{76, 5}, {115, 25}, {57, 38}};

TEST(Diagram, TrianglesAtTopAndBottomWithBrokenVerticalWires) {
    const QImage image = drawDiagram();
    for (const Corner& c : kCorners) {
        const int bottom = c.top + 156;
        const int middle = (c.top + bottom) / 2;
        EXPECT_TRUE(black(image, c.x, c.top)) << c.x;
        EXPECT_TRUE(black(image, c.x, bottom)) << c.x;
        // The wire runs down from each corner...
        for (int y : {c.top + 10, middle - 10, middle + 10, bottom - 10})
            EXPECT_TRUE(black(image, c.x, y)) << c.x << "," << y;
        // ...and is broken at its middle for the feed gap.
        for (int y = middle - 3; y <= middle + 3; ++y)
            EXPECT_FALSE(black(image, c.x, y)) << c.x << "," << y;
    }
    // The triangle edges: a point half-way along the top edge from the back to the right corner.
    EXPECT_TRUE(inked(image, QRect(94, 13, 3, 5)));
    EXPECT_TRUE(inked(image, QRect(94, 169, 3, 5)));
}

TEST(Diagram, DimensionMarksAndWordsStandWhereTheyBelong) {
    const QImage image = drawDiagram();
    EXPECT_TRUE(inked(image, QRect(0, 100, 50, 30))) << "HEIGHT at the left";
    EXPECT_TRUE(inked(image, QRect(15, 60, 10, 20))) << "height dimension line";
    EXPECT_TRUE(inked(image, QRect(55, 196, 64, 37))) << "SIDE below the front bottom wire";
    EXPECT_TRUE(inked(image, QRect(125, 90, 45, 25))) << "GAP at the right";
    // Right of the wires, only the GAP mark is drawn.
    EXPECT_FALSE(inked(image, QRect(120, 0, 50, 60)));
    EXPECT_FALSE(inked(image, QRect(120, 140, 50, 40)));
}

}  // namespace
}  // namespace brimalox

namespace brimalox {
namespace {

// On a screen of twice the density the same drawing has twice the pixels, not a scaled-up copy:
// each one-pixel wire is two device pixels wide and the feed gaps stay open.
TEST(Diagram, AtTwiceThePixelRatioIsDrawnAtTwiceTheResolution) {
    const QImage sharp = drawDiagram(2);
    EXPECT_EQ(sharp.size(), QSize(340, 466));
    EXPECT_EQ(sharp.devicePixelRatio(), 2);
    for (const Corner& c : kCorners) {
        const int bottom = c.top + 156;
        const int middle = (c.top + bottom) / 2;
        int across = 0;
        for (int x = 2 * c.x - 3; x <= 2 * c.x + 3; ++x)
            across += black(sharp, x, 2 * (c.top + 10));
        EXPECT_EQ(across, 2) << "wire at x " << c.x;
        EXPECT_FALSE(black(sharp, 2 * c.x, 2 * middle)) << c.x;
    }
    EXPECT_NE(sharp.scaled(170, 233), drawDiagram()) << "not the 1x picture blown up";
}

}  // namespace
}  // namespace brimalox
