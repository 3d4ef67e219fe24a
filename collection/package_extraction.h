// Taking files out of a widget package into the scratch folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvara::collection {

// Removes `stale` files (names below `folder`) first, so that a package without them reads as
// missing rather than showing what an earlier package left there, then extracts the entries
// matching `masks` into `folder`. Archive problems are silent: the caller sees what is on disk.
void ExtractFromPackage(const std::string& packagePath, const std::vector<std::string>& masks,
                        const std::string& folder, const std::vector<std::string>& stale,
                        const std::function<void()>& pump);

// What a row selection takes out of a package: every PNG and XML entry, with the icon and
// the manifest of an earlier package removed first.
inline void ExtractDetailFiles(const std::string& packagePath, const std::string& folder,
                               const std::function<void()>& pump) {
    ExtractFromPackage(packagePath, {"*.png", "*.xml"}, folder, {"icon.png", "config.xml"}, pump);
}

}  // namespace kelvara::collection
