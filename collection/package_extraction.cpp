#include "collection/package_extraction.h"

#include <unistd.h>

#include "archive/zip_extractor.h"

namespace kelvara::collection {

void ExtractFromPackage(const std::string& packagePath, const std::vector<std::string>& masks,
                        const std::string& folder, const std::vector<std::string>& stale,
                        const std::function<void()>& pump) {
    for (const std::string& name : stale)
        unlink((folder + "/" + name).c_str());
    archive::TZipExtractor extractor;
    extractor.ProcessMessages = pump;
    extractor.SetArchiveFile(packagePath);
    extractor.FileSpec = masks;
    extractor.SetExtractDir(folder);
    extractor.Extract();
}

}  // namespace kelvara::collection
