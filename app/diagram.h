#pragma once
// The antenna diagram beside the results as drawing primitives: the three-sided form as an upright
// triangular prism, black line art on white, in bitmap pixels (origin top-left, y down). Every
// front-end draws the same list in order, at whatever resolution its screen has.

#include <span>
#include <string_view>

namespace brimalox {

inline constexpr int kDiagramWidth = 170;
inline constexpr int kDiagramHeight = 233;
// The words are set in the windows' face at this pixel size, unsmoothed like the wires.
inline constexpr double kDiagramWordPixels = 9;

struct DiagramPoint {
    double x, y;
};

// A line one pixel wide from a to b, or a word centred on `a` on a white patch as wide as the word
// plus one pixel each side and as high as the face's line, so it reads across the line it labels.
// Later primitives draw over earlier ones.
struct DiagramPrimitive {
    enum class Kind { Line, Word } kind;
    DiagramPoint a, b;
    std::string_view word;
};

// The whole diagram; it never depends on the window's state.
std::span<const DiagramPrimitive> diagramPrimitives();

}  // namespace brimalox
