#include "collection/widget_name.h"

#include "collection/manifest.h"
#include "collection/package_extraction.h"

namespace kelvara::collection {

std::string ReadWidgetName(const std::string& packagePath, const std::function<void()>& pump) {
    const std::optional<std::string> manifest =
        ReadRootEntry(packagePath, "config.xml", kMaxManifestEntryBytes, pump);
    // A package without a manifest at its root has no widget name.
    if (!manifest)
        return std::string();
    return StripLineFeeds(Manifest::Parse(*manifest).Description());
}

}  // namespace kelvara::collection
