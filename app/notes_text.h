#pragma once
// The design notes shown in the notes window: fixed text, 15 lines each ended by CR LF.

#include <string>

namespace brimalox {

// The whole notes text, CR LF line ends and trailing blanks included.
const std::string& notesText();

}  // namespace brimalox
