#pragma once
// The hand list is built as "name,name,...,"; one comma comes off at the end of the tally.

#include <string>

namespace velloran {

// Removes exactly one comma: the first character if it is one, else the last if it is one.
void gsStripComma(std::string& text);

}  // namespace velloran
