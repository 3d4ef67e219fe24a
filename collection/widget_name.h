// The widget-name reader used by every scan.
#pragma once

#include <functional>
#include <string>

namespace kelvara::collection {

// The widget name of the package at `packagePath` (the manifest's description with its line
// feeds removed). `pump` lets pending window events run while the manifest is extracted.
// Throws std::exception with the message text when the manifest cannot be read.
std::string ReadWidgetName(const std::string& packagePath, const std::function<void()>& pump = {});

}  // namespace kelvara::collection
