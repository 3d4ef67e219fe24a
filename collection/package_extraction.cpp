#include "collection/package_extraction.h"

#include <memory>

#include "archive/zip_extractor.h"

namespace kelvara::collection {
namespace {

// A scan reads one manifest from each of thousands of packages: one extractor per thread is
// kept, so its decoder tables and buffers are allocated once. A read that starts while the
// kept one is busy (a pump inside an extraction ran another read) gets an extractor of its own.
class KeptExtractor {
  public:
    KeptExtractor() {
        if (!busy_) {
            busy_ = true;
            if (!kept_)
                kept_ = std::make_unique<archive::TZipExtractor>();
            extractor_ = kept_.get();
            owned_ = false;
        } else {
            fresh_ = std::make_unique<archive::TZipExtractor>();
            extractor_ = fresh_.get();
            owned_ = true;
        }
    }
    ~KeptExtractor() {
        if (!owned_) {
            extractor_->ProcessMessages = nullptr;
            busy_ = false;
        }
    }
    archive::TZipExtractor& operator*() { return *extractor_; }
    archive::TZipExtractor* operator->() { return extractor_; }

  private:
    static thread_local std::unique_ptr<archive::TZipExtractor> kept_;
    static thread_local bool busy_;
    std::unique_ptr<archive::TZipExtractor> fresh_;
    archive::TZipExtractor* extractor_ = nullptr;
    bool owned_ = false;
};

thread_local std::unique_ptr<archive::TZipExtractor> KeptExtractor::kept_;
thread_local bool KeptExtractor::busy_ = false;

}  // namespace

std::optional<std::string> ReadRootEntry(const std::string& packagePath, const std::string& name,
                                         uint64_t maxSize, const std::function<void()>& pump) {
    KeptExtractor extractor;
    extractor->ProcessMessages = pump;
    extractor->SetArchiveFile(packagePath);
    archive::TMemoryEntry entry = extractor->ExtractToMemory(name, maxSize);
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
