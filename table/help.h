#pragma once
// The help viewer: shows the help file "VLR.hlp" (plain text, found by its bare name in
// the working folder or beside the program) in a window of its own beside the table.

namespace velloran {
namespace rt {
class Form;
}

// Opens the help at its beginning; says so in a message box when the file is missing.
void showHelpIndex(rt::Form& owner);
// Closes the help window if it is open.
void closeHelp();

}  // namespace velloran
