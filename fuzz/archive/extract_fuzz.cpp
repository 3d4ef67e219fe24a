// Any bytes as an archive: listing, extracting every entry (with a password, so encrypted
// entries reach the decoders), extracting one entry into memory and testing every entry must
// never crash, hang, write outside the target folder, or produce more than the selected entries
// declare; testing writes nothing at all and gives every entry it begins a verdict.
#include <filesystem>

#include "archive/zip_extractor.h"
#include "testkit/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvara;
    static const test::TempFolder workFolder;
    const std::string& work = workFolder.Path();
    const std::string archivePath = work + "/input.zip";
    const std::string target = work + "/out";
    test::WriteFile(archivePath, std::string(reinterpret_cast<const char*>(data), size));
    std::filesystem::create_directories(target);

    archive::TZipExtractor extractor;
    extractor.SetArchiveFile(archivePath);
    // "*.*" selects every entry with a name; no entry is written beyond its declared size.
    uint64_t declared = 0;
    for (const archive::TZipEntryInfo& entry : extractor.List()) {
        if (!entry.name.empty())
            declared += entry.uncompressedSize;
    }
    extractor.FileSpec = {"*.*"};
    extractor.Passwords = {"secret"};
    extractor.SetExtractDir(target);
    extractor.Extract();
    if (extractor.BytesWritten() > declared)
        std::abort();

    constexpr uint64_t kCap = 1 << 20;
    const archive::TMemoryEntry manifest = extractor.ExtractToMemory("config.xml", kCap);
    if (manifest.data.size() > kCap ||
        (manifest.status != archive::TMemoryEntry::Status::kOk && !manifest.data.empty())) {
        std::abort();
    }

    test::EmptyFolder(target);
    int begun = 0;
    int ended = 0;
    extractor.OnBegin = [&begun](archive::TArchiveCommon&, const std::string&, bool&, int) {
        ++begun;
    };
    extractor.OnEnd = [&ended](archive::TArchiveCommon&, const std::string&, bool) { ++ended; };
    const int tested = extractor.Test();
    if (extractor.BytesWritten() > declared || begun != tested || ended != tested ||
        !std::filesystem::is_empty(target)) {
        std::abort();
    }

    // Nothing may appear beside the target folder.
    for (const auto& entry : std::filesystem::directory_iterator(work)) {
        const std::string name = entry.path().filename().string();
        if (name != "input.zip" && name != "out")
            std::abort();
    }
    test::EmptyFolder(target);
    return 0;
}
