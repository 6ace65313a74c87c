#pragma once
// A deck's sweep shared among engines side by side: its frequencies in contiguous parts, each its own
// deck, and the parts' outputs joined into the one run's. nec2c computes each frequency on its own
// (the ground's Sommerfeld-Norton tables too), so what the joined output parses to is the one run's.

#include <string>
#include <vector>

namespace brimalox::nec {

// The deck's sweep (its first FR card of linear steps followed by XQ) in at most `parts` decks of
// contiguous frequencies, at least two frequencies each, the last with the rest of the deck (the
// patterns); the deck alone when it has no such sweep or one part is asked for. The last part takes
// fewer frequencies, as many fewer as its patterns take time, so that it ends with the others. Each
// part starts at the frequency nec2c reaches there by adding the step as nec2c adds it, written so
// that nec2c reads back the same double.
std::vector<std::string> sweepParts(const std::string& deck, int parts);

// The parts' outputs (of sweepParts' decks, in order) as one run's: the first part's head and
// frequency blocks, each next part's blocks, the last part's patterns and end. Throws NecError when
// an output has no frequency block to join.
std::string joinedOutput(const std::vector<std::string>& outputs);

}  // namespace brimalox::nec
