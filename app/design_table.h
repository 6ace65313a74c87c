#pragma once
// A design as one row of a table: the columns every table of designs and every JSON of one has (the
// command line's design list, the build sheet's and the band search's files), and one design's cells.

#include <string>
#include <string_view>
#include <vector>

#include "app/road.h"

namespace brimalox {

// One column of a table: its JSON/CSV key, and for the text table a group heading and a unit.
struct Column {
    std::string_view key;
    std::string_view group;  // printed above the first column of a group
    std::string_view unit;
};

// The design table's columns and one design's cells, in the same order.
const std::vector<Column>& designColumns();
std::vector<std::string> designCells(const DesignResult& result, int sides);
// Fills cells in place, reusing their storage: the hot path of a sweep.
void designCells(const DesignResult& result, int sides, std::vector<std::string>& cells);

}  // namespace brimalox
