// TZipExtractor: extracts the entries of a ZIP archive that match a list of masks into a folder.
//
//   TZipExtractor zip;
//   zip.SetArchiveFile(path);           // recognises the archive at once
//   zip.FileSpec = {"*.png"};
//   zip.SetExtractDir(folder);
//   int extracted = zip.Extract();       // never throws; errors go to OnError when assigned
//   int tested = zip.Test();             // the same entries decoded and checked, nothing written
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/extractor_base.h"
#include "archive/zip_directory.h"

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

    using TMemoryEntry = archive::TMemoryEntry;
    // Decodes the entry whose converted name equals `name` exactly (so "config.xml" is only the
    // root one; the last such entry wins, as extraction would overwrite) into memory without
    // writing any file. An entry whose declared uncompressed size exceeds maxSize is kTooLarge
    // and not decoded; decoding never produces more than the declared size. The archive is
    // refused (kRefused) by the same overlap check as Extract. Reports still reach OnError.
    TMemoryEntry ExtractToMemory(const std::string& name, uint64_t maxSize);

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

    // The selection pass. Every entry whose records can be read adds its byte range (and the
    // central directory its own) to ranges, selected or not.
    std::vector<SelectedEntry> SelectFromDirectory(ArchiveInput& input,
                                                   std::vector<ByteRange>& ranges);
    std::vector<SelectedEntry> SelectFromLocalHeaders(ArchiveInput& input,
                                                      std::vector<ByteRange>& ranges);
    // Before anything is written: refuses an archive whose entries overlap, and a run that
    // does not fit on the target's file system.
    void CheckBeforeWriting(std::vector<ByteRange>& ranges,
                            const std::vector<SelectedEntry>& selected);
    void ExtractSelected(const SelectedEntry& selected, ArchiveInput& input);
    bool TryPassword(const std::string& password, const uint8_t header[12], uint8_t checkByte);

    std::unique_ptr<EntryDecoders> decoders_;
    std::unique_ptr<PkwareCipher> cipher_;
    bool entryEncrypted_ = false;
};

}  // namespace kelvara::archive
