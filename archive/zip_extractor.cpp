#include "archive/zip_extractor.h"

#include <algorithm>

#include "archive/archive_messages.h"
#include "archive/entry_decoder.h"
#include "archive/output_paths.h"
#include "archive/pkware_cipher.h"
#include "archive/zip_directory.h"

namespace kelvara::archive {
namespace {

constexpr uint16_t kEncryptedFlag = 1;
constexpr uint16_t kDataDescriptorFlag = 8;
constexpr uint64_t kEncryptionHeaderSize = 12;
constexpr size_t kReadSize = 32768;
constexpr uint32_t kDirectoryAttribute = 16;

// The most an entry can put on disk: never more than its declared size, and for the methods
// whose densest code is known, never more than its compressed bytes can encode. Stored data are
// copied at most byte for byte. A Deflate match needs at least 2 bits (one-bit length and
// distance codes) for 258 bytes; a Deflate64 one at least 18 bits (with 16 extra length bits)
// for 65,538 bytes. A few bytes are added for the zero bits read past the end of the input.
uint64_t OutputBound(uint16_t method, uint64_t compressed, uint64_t declared) {
    constexpr uint64_t kSlack = 16;
    switch (method) {
        case 0:
            return std::min(declared, compressed);
        case 8:
            return std::min(declared, (compressed + kSlack) * (258 * 8 / 2));
        case 9:
            return std::min(declared, (compressed + kSlack) * (65538 * 8 / 18 + 1));
        default:
            return declared;
    }
}

}  // namespace

// A selected entry between the two passes: where its local header is and what the directory
// said about it (for a local-header scan, the local header itself).
struct TZipExtractor::SelectedEntry {
    int64_t localOffset = 0;
    bool fromDirectory = true;
    CentralHeader central;
    std::string name;  // as the directory (or the local header of a scan) gives it
    // A test run tests every selected entry in order, also one whose data cannot be read.
    bool unreadable = false;
};

TZipExtractor::TZipExtractor()
    : decoders_(std::make_unique<EntryDecoders>()), cipher_(std::make_unique<PkwareCipher>()) {}

TZipExtractor::~TZipExtractor() = default;

bool TZipExtractor::IsLocalScan() const {
    return layout_.status == kLocalHeaderFound;
}

std::vector<TZipEntryInfo> TZipExtractor::List() {
    std::vector<TZipEntryInfo> entries;
    ArchiveInput input;
    if (!IsZipType(arcType_) || !input.Open(archiveFile_))
        return entries;
    auto add = [&](const std::string& stored, uint16_t flags, uint16_t method, uint64_t compressed,
                   uint64_t size, uint32_t crc) {
        entries.push_back({ConvertEntryName(stored, flags, TranslateOemChar), method, flags,
                           compressed, size, crc});
        return true;
    };
    if (IsLocalScan()) {
        VisitLocalHeaders(input, layout_.startOffset, [&](const LocalRecord& r) {
            const LocalHeader& h = r.header;
            return add(r.storedName, h.flags, h.method, h.compressedSize, h.uncompressedSize,
                       h.crc);
        });
    } else {
        VisitCentralDirectory(input, layout_.startOffset, [&](const CentralRecord& r) {
            const CentralHeader& h = r.header;
            return add(r.storedName, h.flags, h.method, h.compressedSize, h.uncompressedSize,
                       h.crc);
        });
    }
    return entries;
}

TMemoryEntry TZipExtractor::ExtractToMemory(const std::string& name, uint64_t maxSize) {
    MemoryRequest request;
    request.name = name;
    request.maxSize = maxSize;
    Run(&request);
    return std::move(request.result);
}

void TZipExtractor::WalkArchive(ArchiveInput& input) {
    std::vector<SelectedEntry> selected;
    std::vector<ByteRange> ranges;
    if (IsLocalScan()) {
        if (OnCorruptZipHeader) {
            bool cancel = true;
            OnCorruptZipHeader(*this, layout_.status, cancel);
            if (cancel)
                return;
        }
        selected = SelectFromLocalHeaders(input, ranges);
    } else {
        selected = SelectFromDirectory(input, ranges);
    }
    if (cancel_)
        return;
    CheckBeforeWriting(ranges, selected);
    if (memory_) {
        // Only the last entry of the name counts: extraction would leave that one on disk.
        if (!selected.empty())
            ExtractSelected(selected.back(), input);
        return;
    }
    for (const SelectedEntry& entry : selected) {
        if (cancel_)
            break;
        ExtractSelected(entry, input);
    }
}

void TZipExtractor::CheckBeforeWriting(std::vector<ByteRange>& ranges,
                                       const std::vector<SelectedEntry>& selected) {
    // Entries that share bytes decode the same data again and again (or rewrite one file):
    // nothing of such an archive is taken.
    if (AnyOverlap(ranges)) {
        Fatal(kMsgOverlappingEntries, archiveFile_);  // raises unless already cancelled
        return;
    }
    if (memory_ || testing_)
        return;  // nothing goes to disk
    std::vector<uint64_t> sizes;
    const bool jar = IsJarType(arcType_);
    for (const SelectedEntry& entry : selected) {
        const CentralHeader& c = entry.central;
        const bool folder = jar ? (!entry.name.empty() && entry.name.back() == '/')
                                : (c.externalAttributes & kDirectoryAttribute) != 0;
        if (!folder)
            sizes.push_back(OutputBound(c.method, c.compressedSize, c.uncompressedSize));
    }
    CheckFreeSpace(sizes);
}

std::vector<TZipExtractor::SelectedEntry> TZipExtractor::SelectFromDirectory(
    ArchiveInput& input, std::vector<ByteRange>& ranges) {
    std::vector<SelectedEntry> selected;
    uint64_t ordinal = 0;
    int64_t directoryEnd = layout_.startOffset;
    VisitCentralDirectory(input, layout_.startOffset, [&](const CentralRecord& r) {
        if (cancel_)
            return false;
        ++ordinal;
        directoryEnd = r.end;
        const CentralHeader& h = r.header;
        const std::string name = ConvertEntryName(r.storedName, h.flags, TranslateOemChar);
        if (name.empty()) {
            // No mask can select it and nothing could be written for it: a broken record.
            Report(kMsgBadFileHeader, archiveFile_, "entry " + std::to_string(ordinal));
            return true;
        }
        const int64_t localOffset =
            static_cast<int64_t>(h.localHeaderOffset) + layout_.offsetAdjustment;
        ByteRange range;
        // Data that would run past the end of the file: the sizes are impossible.
        const bool readable = ReadEntryRange(input, localOffset, h.compressedSize, range) &&
                              range.end <= input.Size();
        if (readable)
            ranges.push_back(range);
        if (!IsSelected(name))
            return true;
        if (!readable) {
            if (testing_) {
                selected.push_back({localOffset, true, h, name, true});
            } else {
                Report(kMsgBadFileHeader, name);
            }
            return true;
        }
        selected.push_back({localOffset, true, h, name});
        NoteSelected(h.dosDateTime, h.uncompressedSize);
        return true;
    });
    if (directoryEnd > layout_.startOffset) {
        ranges.push_back(
            {static_cast<uint64_t>(layout_.startOffset), static_cast<uint64_t>(directoryEnd)});
    }
    return selected;
}

std::vector<TZipExtractor::SelectedEntry> TZipExtractor::SelectFromLocalHeaders(
    ArchiveInput& input, std::vector<ByteRange>& ranges) {
    std::vector<SelectedEntry> selected;
    uint64_t ordinal = 0;
    VisitLocalHeaders(input, layout_.startOffset, [&](const LocalRecord& r) {
        if (cancel_)
            return false;
        ++ordinal;
        const LocalHeader& h = r.header;
        const std::string name = ConvertEntryName(r.storedName, h.flags, TranslateOemChar);
        if (name.empty()) {
            Report(kMsgBadFileHeader, archiveFile_, "entry " + std::to_string(ordinal));
            return true;
        }
        ranges.push_back({static_cast<uint64_t>(r.offset),
                          static_cast<uint64_t>(r.dataOffset) + h.compressedSize});
        if (!IsSelected(name))
            return true;
        SelectedEntry entry;
        entry.localOffset = r.offset;
        entry.fromDirectory = false;
        entry.central.flags = h.flags;
        entry.central.method = h.method;
        entry.central.dosDateTime = h.dosDateTime;
        entry.central.crc = h.crc;
        entry.central.compressedSize = h.compressedSize;
        entry.central.uncompressedSize = h.uncompressedSize;
        entry.name = name;
        selected.push_back(entry);
        NoteSelected(h.dosDateTime, h.uncompressedSize);
        return true;
    });
    return selected;
}

void TZipExtractor::ExtractSelected(const SelectedEntry& selected, ArchiveInput& input) {
    LocalRecord local;
    if (selected.unreadable || !ReadLocalRecord(input, selected.localOffset, local)) {
        ReportUnreadableEntry(selected.name);
        return;
    }
    const CentralHeader& c = selected.central;
    EntryToExtract entry;
    entry.name = ConvertEntryName(local.storedName, local.header.flags, TranslateOemChar);
    if (entry.name.empty()) {
        // The directory names it, its own header does not: nowhere to put it.
        ReportUnreadableEntry(selected.name);
        return;
    }
    entry.nameShortened = local.header.nameLength > kMaxNameBytes;
    entry.flags = c.flags;
    entry.method = c.method;
    entry.versionMadeBy = c.versionMadeBy;
    entry.compressedSize = c.compressedSize;
    entry.uncompressedSize = c.uncompressedSize;
    entry.dosDateTime = local.header.dosDateTime;
    entry.crc = local.header.crc;
    // Entries written with a data descriptor carry their CRC in the directory only: their local
    // field is 0 or, from some streaming writers, a placeholder.
    if (selected.fromDirectory &&
        ((entry.crc == 0 && c.compressedSize != 0) || (c.flags & kDataDescriptorFlag))) {
        entry.crc = c.crc;
    }
    entry.externalAttributes = selected.fromDirectory ? c.externalAttributes : 0;
    entry.dataOffset = local.dataOffset;
    entryEncrypted_ = false;
    ExtractEntry(entry, input);
}

bool TZipExtractor::TryPassword(const std::string& password, const uint8_t header[12],
                                uint8_t checkByte) {
    return !password.empty() && cipher_->CheckPassword(password, header, checkByte);
}

bool TZipExtractor::CheckPassword(EntryToExtract& entry, ArchiveInput& input,
                                  const std::string& path) {
    if (passwordFailed_)
        return false;
    uint8_t header[kEncryptionHeaderSize];
    const bool complete = input.ReadFullAt(entry.dataOffset, header, sizeof header) &&
                          entry.compressedSize >= kEncryptionHeaderSize;
    const uint8_t checkByte = (entry.flags & kDataDescriptorFlag)
                                  ? static_cast<uint8_t>(entry.dosDateTime >> 8)
                                  : static_cast<uint8_t>(entry.crc >> 24);
    bool found = complete && TryPassword(lastPassword_, header, checkByte);
    for (size_t i = 0; complete && !found && i < Passwords.size(); ++i) {
        if (TryPassword(Passwords[i], header, checkByte)) {
            found = true;
            lastPassword_ = Passwords[i];
        }
    }
    if (!found && OnGetPassword) {
        bool tryAgain = true;
        for (int attempt = 0; attempt < PasswordAttempts && !cancel_; ++attempt) {
            std::string password;
            OnGetPassword(*this, path, tryAgain, password);
            if (!tryAgain) {
                Report(kMsgInvalidPassword, path);
                break;
            }
            if (complete && TryPassword(password, header, checkByte)) {
                Passwords.insert(Passwords.begin(), password);
                lastPassword_ = password;
                found = true;
                break;
            }
            Report(kMsgInvalidPassword, path);
        }
    } else if (!found) {
        Report(kMsgRequiredEventNotAssigned, path, "OnGetPassword");
    }
    if (!found) {
        passwordFailed_ = true;
        return false;
    }
    entry.dataOffset += static_cast<int64_t>(kEncryptionHeaderSize);
    entry.compressedSize -= kEncryptionHeaderSize;
    entryEncrypted_ = true;
    return true;
}

int TZipExtractor::DecodeEntry(const EntryToExtract& entry, ArchiveInput& input,
                               const std::string& path) {
    int64_t position = entry.dataOffset;
    uint64_t left = entry.compressedSize;
    PkwareCipher* cipher = entryEncrypted_ ? cipher_.get() : nullptr;
    EntryData data;
    data.method = entry.method;
    data.flags = entry.flags;
    data.compressedSize = entry.compressedSize;
    data.uncompressedSize = entry.uncompressedSize;
    data.read = [&](uint8_t* buffer, size_t n) -> size_t {
        n = static_cast<size_t>(std::min<uint64_t>({n, left, kReadSize}));
        const size_t got = input.ReadAt(position, buffer, n);
        position += static_cast<int64_t>(got);
        left -= got;
        if (cipher)
            cipher->Decrypt(buffer, got);
        return got;
    };
    data.write = [this](const uint8_t* bytes, size_t n, bool pump) { WriteBlock(bytes, n, pump); };
    data.pump = [this] { PumpMessages(); };
    data.cancelled = [this] { return cancel_; };
    // Bad data is the decoder's status, reported here once for the entry.
    const DecodeStatus status = decoders_->Decode(data);
    if (status > 0)
        Report(status, path);
    return status;
}

}  // namespace kelvara::archive
