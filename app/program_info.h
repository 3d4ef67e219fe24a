// What the program says about itself without opening a window: its version, its command-line
// help and the identifier under which the desktop knows it.
#pragma once

#include <iosfwd>
#include <optional>

namespace kelvara::app {

// The reverse-DNS identifier: the name of the desktop entry (without ".desktop"), of the
// AppStream metadata and of the application icon.
extern const char* const kApplicationId;

// Answers --help (or -h) and --version when one of them is among the arguments before a "--":
// prints the help or "kelvara VERSION" to `out` and returns the exit code (0, or 1 when the
// output could not be written). Returns nothing otherwise: the program then opens its windows
// and Qt takes the arguments. Needs no display and starts nothing of Qt.
std::optional<int> AnswerInformationOption(int argc, char** argv, std::ostream& out);

}  // namespace kelvara::app
