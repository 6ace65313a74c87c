#pragma once
// The antenna diagram beside the results: the three-sided form as an upright triangular prism.

#include <QImage>

namespace brimalox {

inline constexpr int kDiagramWidth = 170;
inline constexpr int kDiagramHeight = 233;

// Black line art on white, drawn afresh each call; it never depends on the window's state.
QImage drawDiagram();

}  // namespace brimalox
