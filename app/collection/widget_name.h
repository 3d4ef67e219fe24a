// The widget-name reader used by every scan.
#pragma once

#include <string>

namespace kelvara::collection {

// The widget name of the package at `packagePath` (the manifest's description with its line
// feeds removed). Throws std::exception with the message text when the manifest cannot be read.
std::string ReadWidgetName(const std::string& packagePath);

}  // namespace kelvara::collection
