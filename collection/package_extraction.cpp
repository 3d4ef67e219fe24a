#include "collection/package_extraction.h"

#include "archive/zip_extractor.h"

namespace kelvara::collection {

std::optional<std::string> ReadRootEntry(const std::string& packagePath, const std::string& name,
                                         uint64_t maxSize, const std::function<void()>& pump) {
    archive::TZipExtractor extractor;
    extractor.ProcessMessages = pump;
    extractor.SetArchiveFile(packagePath);
    archive::TMemoryEntry entry = extractor.ExtractToMemory(name, maxSize);
    using Status = archive::TMemoryEntry::Status;
    switch (entry.status) {
        case Status::kOk:
            return std::string(entry.data.begin(), entry.data.end());
        case Status::kMissing:
            return std::nullopt;
        case Status::kTooLarge:
            throw PackageError("The entry \"" + name + "\" of \"" + packagePath +
                               "\" is larger than " + std::to_string(maxSize) + " bytes");
        case Status::kRefused:
            throw PackageError(entry.message);
    }
    return std::nullopt;
}

}  // namespace kelvara::collection
