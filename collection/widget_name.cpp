#include "collection/widget_name.h"

#include "collection/manifest.h"
#include "collection/package_extraction.h"
#include "platform/file_system.h"
#include "platform/scratch_folder.h"

namespace kelvara::collection {

std::string ReadWidgetName(const std::string& packagePath, const std::function<void()>& pump) {
    const std::string scratch = platform::ScratchFolder();
    ExtractFromPackage(packagePath, {"config.xml"}, scratch, {"config.xml"}, pump);
    const std::string manifest = scratch + "/config.xml";
    // A package without a manifest at its root has no widget name.
    if (!platform::IsRegularFile(manifest))
        return std::string();
    return StripLineFeeds(Manifest::Load(manifest).Description());
}

}  // namespace kelvara::collection
