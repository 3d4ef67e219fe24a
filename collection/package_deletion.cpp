#include "collection/package_deletion.h"

#include "collection/texts.h"
#include "platform/file_system.h"

namespace kelvara::collection {

std::vector<std::string> DeletePackages(const std::string& folder,
                                        const std::vector<std::string>& captions,
                                        const ProgressFunction& progress) {
    std::vector<std::string> failed;
    for (const std::string& caption : captions) {
        if (progress)
            progress(kStatusDeleting + caption + "...");
        const std::string path = folder + caption;
        if (!platform::IsRegularFile(path) || platform::IsReadOnly(path) ||
            !platform::RemoveFile(path))
            failed.push_back(caption);
    }
    return failed;
}

}  // namespace kelvara::collection
