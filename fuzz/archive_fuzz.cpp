// Any bytes as an archive: listing and extracting every entry (with a password, so encrypted
// entries reach the decoders) must never crash, hang or write outside the target folder.
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
    extractor.List();
    extractor.FileSpec = {"*.*"};
    extractor.Passwords = {"secret"};
    extractor.SetExtractDir(target);
    extractor.Extract();

    // Nothing may appear beside the target folder.
    for (const auto& entry : std::filesystem::directory_iterator(work)) {
        const std::string name = entry.path().filename().string();
        if (name != "input.zip" && name != "out")
            std::abort();
    }
    test::EmptyFolder(target);
    return 0;
}
