#include "archive/extractor_base.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <optional>

#include "archive/archive_messages.h"
#include "archive/crc32.h"
#include "archive/wildcard_mask.h"
#include "platform/dos_time.h"
#include "platform/file_system.h"
#include "platform/monotonic_clock.h"

namespace kelvara::archive {
namespace {

constexpr uint32_t kDirectoryAttribute = 16;
constexpr uint32_t kArchiveAttribute = 32;
constexpr uint32_t kReadOnlyAttribute = 1;
constexpr unsigned kHostUnix = 3;
constexpr unsigned kDefaultFileMode = 0666;
// Free space is counted in blocks of this size per file, plus a margin for folders and
// file-system bookkeeping.
constexpr uint64_t kSpaceBlock = 4096;
constexpr uint64_t kSpaceMargin = 64 * 1024;

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

uint64_t SaturatingMultiply(uint64_t a, uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Marks the object busy for the duration of one Extract.
class RunGuard {
  public:
    explicit RunGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunGuard() { flag_ = false; }

  private:
    bool& flag_;
};

}  // namespace

void TExtractorBase::SetExtractDir(const std::string& dir) {
    extractDir_ = NormaliseExtractDir(dir, archiveFile_);
}

void TExtractorBase::SetZipCmntBufSize(int size) {
    zipCmntBufSize_ = std::clamp(size, 2000, 32767);
}

void TExtractorBase::ResetRun() {
    cancel_ = false;
    count_ = 0;
    maxDate_ = 0;
    runTotal_ = runDone_ = 0;
    diskFull_ = false;
    passwordFailed_ = false;
    lastPassword_.clear();
    fatalReported_ = false;
    keepFirstReport_ = false;
    memorySink_ = nullptr;
    creationMask_.reset();
    outputFolders_.Clear();
}

int TExtractorBase::Extract() {
    return Run(nullptr);
}

int TExtractorBase::Test() {
    return Run(nullptr, true);
}

int TExtractorBase::Run(MemoryRequest* memory, bool test) {
    if (running_)
        return 0;
    RunGuard guard(running_);
    memory_ = memory;
    testing_ = test;
    ResetRun();
    if (CpuType == cpt80486)
        CpuType = cptAuto;
    const std::string savedArchive = archiveFile_;
    std::unique_ptr<ArchiveInput> recognised = TakeRecognisedInput();
    ArchiveInput fresh;
    ArchiveInput& input = recognised ? *recognised : fresh;
    if (archiveFile_.empty()) {
        Report(kMsgFileNotFound, "");
    } else if (!recognised && !fresh.Open(archiveFile_)) {
        Report(kMsgErrorOpeningFile, archiveFile_);
    } else {
        if (OnActivate)
            OnActivate(*this);
        const uint32_t started = platform::TickCount();
        try {
            if (IsZipType(arcType_))
                WalkArchive(input);
        } catch (const EArchiveFatal& e) {
            // A fatal error outside an entry's data ends the walk; what was done stays done.
            if (memory_) {
                memory_->result = TMemoryEntry{};
                memory_->result.status = TMemoryEntry::Status::kRefused;
                memory_->result.messageId = e.Id();
                memory_->result.message = e.what();
            }
        } catch (...) {
        }
        outputFolders_.Clear();  // no folder stays open between runs
        if (OnElapsedTime) {
            OnElapsedTime(*this, static_cast<float>(platform::TickCount() - started) / 1000.0f);
        }
        if (OnDeactivate)
            OnDeactivate(*this);
        archiveFile_ = savedArchive;
    }
    memory_ = nullptr;
    testing_ = false;
    return count_;
}

bool TExtractorBase::IsSelected(const std::string& name) {
    if (name.empty())
        return false;
    if (memory_)
        return name == memory_->name;
    const std::string entryFolder = EntryFolder(name);
    for (std::string& mask : FileSpec) {
        if (mask.empty())
            continue;
        if (EqualsIgnoringAsciiCase(mask, name))
            return true;
        const std::string maskFolder = EntryFolder(mask);
        std::string subject;
        if (!RecurseDirs) {
            if (!EqualsIgnoringAsciiCase(entryFolder, maskFolder))
                continue;
            subject = name;
        } else {
            subject = maskFolder.empty() ? EntryFileName(name) : name;
        }
        if (MatchesMask(mask, subject))
            return true;
        if (subject.find('.') == std::string::npos)
            subject += '.';
        if (mask.find('.') == std::string::npos)
            mask += '.';
        if (MatchesMask(mask, subject))
            return true;
    }
    return false;
}

void TExtractorBase::NoteSelected(uint32_t dosDateTime, uint64_t uncompressed) {
    maxDate_ = std::max(maxDate_, static_cast<int32_t>(dosDateTime));
    runTotal_ += uncompressed;
}

void TExtractorBase::EnsureExtractDir() {
    if (extractDir_.empty()) {
        extractDir_ = NormaliseExtractDir("", archiveFile_);
        if (extractDir_.empty())
            extractDir_ = platform::CurrentFolder();
    }
}

void TExtractorBase::CheckFreeSpace(const std::vector<uint64_t>& fileSizes) {
    if (fileSizes.empty() || (!ConfirmOverwrites && OverwriteMode != omOverwrite))
        return;  // nothing is going to be written
    EnsureExtractDir();
    uint64_t needed = kSpaceMargin;
    for (uint64_t size : fileSizes) {
        const uint64_t blocks = size / kSpaceBlock + (size % kSpaceBlock != 0);
        needed = SaturatingAdd(needed, SaturatingMultiply(blocks, kSpaceBlock));
    }
    const std::optional<uint64_t> available = platform::FreeSpace(extractDir_);
    if (!available || needed <= *available)
        return;
    FatalWithValues(kMsgNotEnoughSpace, extractDir_, std::to_string(needed),
                    std::to_string(*available));
}

void TExtractorBase::GiveVerdict(const std::string& path, bool passed) {
    if (OnEnd) {
        OnEnd(*this, path, passed);
    } else if (!passed) {
        Report(kMsgFileFailsCrcCheck, path);
    }
}

bool TExtractorBase::BeginCheck(OutputTarget& target) {
    if (OnBegin) {
        if (OnRenameFile) {
            std::string newPath;
            OnRenameFile(*this, target.Path(), newPath);
            if (!newPath.empty()) {
                target = HostTarget(newPath);
                CreateFolderWithParents(target.base);
            }
        }
        bool proceed = true;
        OnBegin(*this, target.Path(), proceed, count_ + 1);
        if (!proceed)
            return false;
    }
    if (cancel_)
        return false;
    if (!ConfirmOverwrites) {
        if (OverwriteMode != omOverwrite)
            return false;
        ++count_;
        return true;
    }
    if (!ConfirmOverwrite(target))
        return false;
    ++count_;
    return true;
}

bool TExtractorBase::ConfirmOverwrite(OutputTarget& target) {
    OverwriteMode = omOverwrite;
    if (platform::PathExists(target.Path())) {
        if (!OnFileExists) {
            Report(kMsgRequiredEventNotAssigned, target.Path(), "OnFileExists");
            OverwriteMode = omSkip;
            return false;
        }
        while (!cancel_) {
            std::string newPath;
            TOverwriteMode mode = OverwriteMode;
            OnFileExists(*this, target.Path(), mode, newPath);
            OverwriteMode = mode;
            if (newPath.empty())
                newPath = target.Path();
            if (mode == omSkip || EqualsIgnoringAsciiCase(newPath, target.Path()))
                break;
            target = HostTarget(newPath);
            CreateFolderWithParents(target.base);
            if (!platform::PathExists(newPath))
                break;
        }
        if (!cancel_ && OverwriteMode == omOverwrite && platform::PathExists(target.Path())) {
            if (platform::IsDirectory(target.Path())) {
                Report(kMsgErrorWritingFile, target.Path());
                return false;
            }
            if (platform::IsReadOnly(target.Path()))
                platform::SetReadOnly(target.Path(), false);
        }
    }
    return !cancel_ && OverwriteMode == omOverwrite && !target.Path().empty();
}

void TExtractorBase::ExtractEntry(EntryToExtract& entry, ArchiveInput& input) {
    if (cancel_)
        return;
    if (memory_) {
        ExtractEntryToMemory(entry, input);
        return;
    }
    if (testing_) {
        TestEntry(entry, input);
        return;
    }
    EnsureExtractDir();
    OutputTarget target = FormOutputTarget(entry.name, extractDir_, UseStoredDirs);
    if (target.Empty())
        return;
    if (target.unsafe) {
        Report(kMsgUnsafeEntryPath, entry.name);
        return;
    }
    // A name cut to the 255 bytes kept is still used, but never in silence.
    if (entry.nameShortened || target.nameRefused) {
        Report(kMsgNameNotAccepted, entry.name, target.nameRefused ? "" : "name shortened");
        if (target.nameRefused)
            return;
    }
    const bool jar = IsJarType(arcType_);
    const bool isDirectory =
        target.fileName.empty() || (!jar && (entry.externalAttributes & kDirectoryAttribute));
    const uint32_t attributes =
        jar ? (isDirectory ? kDirectoryAttribute : kArchiveAttribute) : entry.externalAttributes;

    if (isDirectory) {
        const FolderResult folders =
            CreateStoredDirs ? CreateTargetFolders(target) : FolderResult::kOk;
        if (folders == FolderResult::kUnsafe || folders == FolderResult::kNameRefused) {
            Report(folders == FolderResult::kUnsafe ? kMsgUnsafeEntryPath : kMsgNameNotAccepted,
                   entry.name);
            return;
        }
        GiveVerdict(target.Path(), !cancel_);
        return;
    }
    if (!BeginCheck(target))
        return;
    // An entry that cannot be decrypted leaves any existing file of its name untouched.
    if ((entry.flags & 1) && (passwordFailed_ || !CheckPassword(entry, input, target.Path()))) {
        --count_;
        return;
    }
    WriteEntryFile(entry, input, target, attributes);
}

bool TExtractorBase::CreateEntryFile(const EntryToExtract& entry, const OutputTarget& target,
                                     unsigned mode) {
    const std::string path = target.Path();
    if (target.hostChosen) {
        const bool folderMade = CreateFolderWithParents(target.base);
        // Root is never refused by the kernel, so a read-only file is checked for here (a path
        // with nothing there is not read-only: one look-up answers both).
        if (folderMade && platform::IsReadOnly(path)) {
            Report(kMsgErrorOpeningFile, path);
            --count_;
            return false;
        }
        outputFile_ = CreateOutputFile(path, mode);
    } else {
        FolderResult folders = outputFolders_.Open(target);
        for (int attempt = 0; folders == FolderResult::kOk; ++attempt) {
            const platform::FolderHandle& folder = outputFolders_.Current();
            outputFile_ = folder.CreateFile(target.fileName, mode);
            if (!outputFile_.IsOpen() && outputFile_.Error() == EEXIST) {
                // Something of the name is there: a read-only file stays (checked here, as root
                // is never refused by the kernel); anything else but a folder is replaced.
                if (folder.IsChildReadOnly(target.fileName)) {
                    Report(kMsgErrorOpeningFile, path);
                    --count_;
                    return false;
                }
                folder.RemoveFile(target.fileName);
                outputFile_ = folder.CreateFile(target.fileName, mode);
            }
            // A folder kept open from an earlier entry may have been removed since: the folders
            // are opened (and made) once more.
            if (outputFile_.IsOpen() || outputFile_.Error() != ENOENT || attempt > 0)
                break;
            outputFolders_.Clear();
            folders = outputFolders_.Open(target);
        }
        if (folders == FolderResult::kUnsafe || folders == FolderResult::kNameRefused) {
            Report(folders == FolderResult::kUnsafe ? kMsgUnsafeEntryPath : kMsgNameNotAccepted,
                   entry.name);
            --count_;
            return false;
        }
        if (folders != FolderResult::kOk) {
            Report(kMsgErrorOpeningFile, path);
            --count_;
            return false;
        }
    }
    if (!outputFile_.IsOpen()) {
        if (IsNameRefusal(outputFile_.Error())) {
            Report(kMsgNameNotAccepted, entry.name);
        } else {
            Report(kMsgErrorOpeningFile, path);
        }
        --count_;
        return false;
    }
    return true;
}

void TExtractorBase::RemovePartialFile(const OutputTarget& target) {
    if (target.hostChosen) {
        platform::RemoveFile(target.Path());
    } else {
        outputFolders_.Current().RemoveFile(target.fileName);
    }
}

void TExtractorBase::WriteEntryFile(EntryToExtract& entry, ArchiveInput& input,
                                    const OutputTarget& target, uint32_t attributes) {
    const std::string path = target.Path();
    unsigned mode = kDefaultFileMode;
    const bool restored =
        RestoreFileAttr && attributes != kArchiveAttribute && RestoredMode(entry, attributes, mode);
    if (!CreateEntryFile(entry, target, mode))
        return;
    outputPath_ = path;
    bool decoded = false;
    const uint32_t finished = DecodeIntoSink(entry, input, path, decoded);

    if (writeFailed_) {
        // A cut-off file is worse than none: it goes, and the failed write was reported.
        outputFile_.Close();
        RemovePartialFile(target);
        if (diskFull_)
            throw EArchiveFatal(kMsgDiskFull);  // nothing more fits: the run ends
        return;
    }
    // Date and permissions go through the open file: no look-up of the path again.
    outputFile_.SetModified(FileDate(entry.dosDateTime));
    if (restored && (mode & CreationMask()))
        outputFile_.SetPermissions(mode);
    if (!outputFile_.Close())
        Report(kMsgErrorClosingFile, path);
    GiveVerdict(path, decoded && !cancel_ && CrcMatches(entry.crc, finished));
}

uint32_t TExtractorBase::DecodeIntoSink(const EntryToExtract& entry, ArchiveInput& input,
                                        const std::string& path, bool& decoded) {
    crc_ = kCrcInit;
    entryTotal_ = entry.uncompressedSize;
    entryDone_ = 0;
    writeFailed_ = false;
    decoded = false;
    try {
        decoded = DecodeEntry(entry, input, path) == 0;
    } catch (const EArchiveFatal& e) {
        // Raised by the output routine, which has normally reported already.
        if (!fatalReported_)
            Report(e.Id(), path);
    } catch (const std::exception&) {
        Report(kMsgErrorWritingFile, path);
    }
    fatalReported_ = false;
    return FinishCrc(crc_);
}

void TExtractorBase::ExtractEntryToMemory(EntryToExtract& entry, ArchiveInput& input) {
    TMemoryEntry& result = memory_->result;
    result = TMemoryEntry{};  // the last entry of the name wins
    const bool jar = IsJarType(arcType_);
    if (!jar && (entry.externalAttributes & kDirectoryAttribute))
        return;  // a folder holds no data
    if (entry.uncompressedSize > memory_->maxSize) {
        result.status = TMemoryEntry::Status::kTooLarge;
        return;
    }
    keepFirstReport_ = true;
    firstReportId_ = 0;
    firstReportText_.clear();
    if ((entry.flags & 1) && (passwordFailed_ || !CheckPassword(entry, input, entry.name))) {
        keepFirstReport_ = false;
        result.messageId = firstReportId_;
        result.message = firstReportText_;
        return;
    }
    uint32_t finished = 0;
    bool decoded = false;
    {
        // The sink must not outlive this entry, however the decoding ends.
        struct SinkScope {
            std::vector<uint8_t>*& sink;
            ~SinkScope() { sink = nullptr; }
        } scope{memorySink_};
        memorySink_ = &result.data;
        finished = DecodeIntoSink(entry, input, entry.name, decoded);
    }
    const bool passed = decoded && !cancel_ && CrcMatches(entry.crc, finished);
    GiveVerdict(entry.name, passed);
    keepFirstReport_ = false;
    result.status = TMemoryEntry::Status::kOk;
    result.messageId = firstReportId_;
    result.message = firstReportText_;
    // With OnEnd assigned a failed check is not reported, but the caller still hears of it.
    if (result.messageId == 0 && !passed) {
        result.messageId = kMsgFileFailsCrcCheck;
        result.message = MessageText(kMsgFileFailsCrcCheck);
    }
}

bool TExtractorBase::BeginTest(const std::string& name) {
    if (OnBegin) {
        bool proceed = true;
        OnBegin(*this, name, proceed, count_ + 1);
        if (!proceed)
            return false;
    }
    if (cancel_)
        return false;
    ++count_;
    return true;
}

void TExtractorBase::ReportUnreadableEntry(const std::string& name) {
    if (!testing_) {
        Report(kMsgBadFileHeader, name);
        return;
    }
    if (!BeginTest(name))
        return;
    Report(kMsgBadFileHeader, name);
    if (OnEnd)
        OnEnd(*this, name, false);
}

void TExtractorBase::TestEntry(EntryToExtract& entry, ArchiveInput& input) {
    const bool folder = (!entry.name.empty() && entry.name.back() == '/') ||
                        (!IsJarType(arcType_) && (entry.externalAttributes & kDirectoryAttribute));
    if (folder || !BeginTest(entry.name))
        return;
    if (entry.flags & 1) {
        // With nobody to ask, searching the passwords again costs nothing and gives every shut
        // entry its own report; after a handler gave up, later entries are not asked again.
        if (!OnGetPassword)
            passwordFailed_ = false;
        bool open = false;
        if (passwordFailed_) {
            Report(kMsgInvalidPassword, entry.name);
        } else {
            open = CheckPassword(entry, input, entry.name);
        }
        if (!open) {
            if (OnEnd)
                OnEnd(*this, entry.name, false);
            return;
        }
    }
    bool decoded = false;
    const uint32_t finished = DecodeIntoSink(entry, input, entry.name, decoded);
    GiveVerdict(entry.name, decoded && !cancel_ && CrcMatches(entry.crc, finished));
}

void TExtractorBase::WriteBlock(const uint8_t* data, size_t n, bool pump) {
    n = static_cast<size_t>(std::min<uint64_t>(n, entryTotal_ - entryDone_));
    if (n == 0 || writeFailed_)
        return;
    crc_ = UpdateCrc(crc_, data, n);
    size_t written = n;
    if (memorySink_) {
        memorySink_->insert(memorySink_->end(), data, data + n);
    } else if (!testing_) {  // a test run only checks the CRC
        written = outputFile_.WriteAll(data, n);
    }
    entryDone_ += written;
    runDone_ += written;
    if (written < n) {
        writeFailed_ = true;
        if (platform::IsOutOfSpace(outputFile_.Error())) {
            count_ = 0;
            diskFull_ = true;
            Fatal(kMsgDiskFull, outputPath_);
        } else {
            count_ = std::max(0, count_ - 1);
            Fatal(kMsgErrorWritingFile, archiveFile_, outputPath_);
        }
        return;
    }
    ReportProgress(entryDone_, entryTotal_, runDone_, runTotal_);
    if (pump)
        PumpMessages();
}

time_t TExtractorBase::FileDate(uint32_t entryDate) const {
    uint32_t date = entryDate;
    if (DateAttribute == daSysDate)
        date = platform::UnixToDosDateTime(std::time(nullptr));
    if (DateAttribute == daMaxFileDate)
        date = static_cast<uint32_t>(maxDate_);
    return platform::DosDateTimeToUnix(date);
}

unsigned TExtractorBase::CreationMask() {
    if (!creationMask_)
        creationMask_ = platform::FileCreationMask();
    return *creationMask_;
}

bool TExtractorBase::RestoredMode(const EntryToExtract& entry, uint32_t attributes,
                                  unsigned& mode) {
    if ((entry.versionMadeBy >> 8) == kHostUnix) {
        const unsigned stored = (attributes >> 16) & 0777;
        if (stored == 0)
            return false;
        mode = stored;
        return true;
    }
    if ((attributes & kReadOnlyAttribute) == 0)
        return false;
    // The bits a new file gets, without any write bit.
    mode = kDefaultFileMode & ~CreationMask() & ~0222u;
    return true;
}

}  // namespace kelvara::archive
