// TZipExtractor: extracts the entries of a ZIP archive that match a list of masks into a folder.
//
//   TZipExtractor zip;
//   zip.SetArchiveFile(path);           // recognises the archive at once
//   zip.FileSpec = {"*.png"};
//   zip.SetExtractDir(folder);
//   int extracted = zip.Extract();       // never throws; errors go to OnError when assigned
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/extractor_base.h"

namespace kelvara::archive {

class EntryDecoders;
class PkwareCipher;

// One entry as the archive's directory describes it.
struct TZipEntryInfo {
    std::string name;  // converted like the names used for extraction
    uint16_t method = 0;
    uint16_t flags = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint32_t crc = 0;
};

class TZipExtractor : public TExtractorBase {
  public:
    // Called before a scan of local headers (no usable central directory) with the directory
    // status; leaving cancel true extracts nothing.
    using TCorruptZipHeaderEvent =
        std::function<void(TArchiveCommon& sender, unsigned status, bool& cancel)>;

    TZipExtractor();
    ~TZipExtractor() override;

    // The entries of the current archive in directory order (local headers when the central
    // directory cannot be used); empty for anything that is not a ZIP archive.
    std::vector<TZipEntryInfo> List();

    TCorruptZipHeaderEvent OnCorruptZipHeader;

  protected:
    void WalkArchive(ArchiveInput& input) override;
    bool CheckPassword(EntryToExtract& entry, ArchiveInput& input,
                       const std::string& path) override;
    int DecodeEntry(const EntryToExtract& entry, ArchiveInput& input,
                    const std::string& path) override;

  private:
    struct SelectedEntry;

    bool IsLocalScan() const;

    std::vector<SelectedEntry> SelectFromDirectory(ArchiveInput& input);
    std::vector<SelectedEntry> SelectFromLocalHeaders(ArchiveInput& input);
    void ExtractSelected(const SelectedEntry& selected, ArchiveInput& input);
    bool TryPassword(const std::string& password, const uint8_t header[12], uint8_t checkByte);

    std::unique_ptr<EntryDecoders> decoders_;
    std::unique_ptr<PkwareCipher> cipher_;
    bool entryEncrypted_ = false;
};

}  // namespace kelvara::archive
