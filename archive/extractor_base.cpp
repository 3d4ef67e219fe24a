#include "archive/extractor_base.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

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

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string CurrentFolder() {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return "./";
    std::string dir = buffer;
    return dir.back() == '/' ? dir : dir + "/";
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
}

int TExtractorBase::Extract() {
    if (running_)
        return 0;
    RunGuard guard(running_);
    ResetRun();
    if (CpuType == cpt80486)
        CpuType = cptAuto;
    const std::string savedArchive = archiveFile_;
    if (archiveFile_.empty()) {
        Report(kMsgFileNotFound, "");
        return 0;
    }
    ArchiveInput input;
    if (!input.Open(archiveFile_)) {
        Report(kMsgErrorOpeningFile, archiveFile_);
        return 0;
    }
    if (OnActivate)
        OnActivate(*this);
    const uint32_t started = platform::TickCount();
    try {
        if (IsZipType(arcType_))
            WalkArchive(input);
    } catch (...) {
        // A fatal error outside an entry's data ends the walk; what was done stays done.
    }
    if (OnElapsedTime) {
        OnElapsedTime(*this, static_cast<float>(platform::TickCount() - started) / 1000.0f);
    }
    if (OnDeactivate)
        OnDeactivate(*this);
    archiveFile_ = savedArchive;
    return count_;
}

bool TExtractorBase::IsSelected(const std::string& name) {
    if (name.empty())
        return false;
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
    if (extractDir_.empty()) {
        extractDir_ = NormaliseExtractDir("", archiveFile_);
        if (extractDir_.empty())
            extractDir_ = CurrentFolder();
    }
    OutputTarget target = FormOutputTarget(entry.name, extractDir_, UseStoredDirs);
    if (target.Empty())
        return;
    if (target.unsafe) {
        Report(kMsgUnsafeEntryPath, entry.name);
        return;
    }
    const bool jar = IsJarType(arcType_);
    const bool isDirectory =
        target.fileName.empty() || (!jar && (entry.externalAttributes & kDirectoryAttribute));
    const uint32_t attributes =
        jar ? (isDirectory ? kDirectoryAttribute : kArchiveAttribute) : entry.externalAttributes;

    if (isDirectory) {
        if (CreateStoredDirs && CreateTargetFolders(target) == FolderResult::kUnsafe) {
            Report(kMsgUnsafeEntryPath, entry.name);
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

void TExtractorBase::WriteEntryFile(EntryToExtract& entry, ArchiveInput& input,
                                    const OutputTarget& target, uint32_t attributes) {
    const std::string path = target.Path();
    const FolderResult folders =
        target.hostChosen
            ? (CreateFolderWithParents(target.base) ? FolderResult::kOk : FolderResult::kFailed)
            : CreateTargetFolders(target);
    if (folders == FolderResult::kUnsafe) {
        Report(kMsgUnsafeEntryPath, entry.name);
        --count_;
        return;
    }
    // Root is never refused by the kernel, so a read-only file is checked for here.
    if (platform::PathExists(path) && platform::IsReadOnly(path)) {
        Report(kMsgErrorOpeningFile, path);
        --count_;
        return;
    }
    outputFd_ = CreateOutputFile(path);
    if (outputFd_ < 0) {
        Report(kMsgErrorOpeningFile, path);
        --count_;
        return;
    }
    outputPath_ = path;
    crc_ = kCrcInit;
    entryTotal_ = entry.uncompressedSize;
    entryDone_ = 0;
    writeFailed_ = false;
    int decodeStatus = 0;
    try {
        decodeStatus = DecodeEntry(entry, input, path);
    } catch (const EArchiveFatal& e) {
        // Raised by the output routine, which has normally reported already.
        if (!fatalReported_)
            Report(e.Id(), path);
    } catch (const std::exception&) {
        Report(kMsgErrorWritingFile, path);
    }
    fatalReported_ = false;
    const uint32_t finished = FinishCrc(crc_);

    SetFileDate(path, entry.dosDateTime);
    if (::close(outputFd_) != 0)
        Report(kMsgErrorClosingFile, path);
    outputFd_ = -1;
    if (RestoreFileAttr && attributes != kArchiveAttribute) {
        RestoreAttributes(path, entry, attributes);
    }
    if (diskFull_)
        throw EArchiveFatal(kMsgDiskFull);  // nothing more fits: the run ends
    GiveVerdict(path, decodeStatus == 0 && !cancel_ && CrcMatches(entry.crc, finished));
}

void TExtractorBase::WriteBlock(const uint8_t* data, size_t n, bool pump) {
    n = static_cast<size_t>(std::min<uint64_t>(n, entryTotal_ - entryDone_));
    if (n == 0 || writeFailed_)
        return;
    crc_ = UpdateCrc(crc_, data, n);
    size_t written = 0;
    while (written < n) {
        const ssize_t r = ::write(outputFd_, data + written, n - written);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        written += static_cast<size_t>(r);
    }
    entryDone_ += written;
    runDone_ += written;
    if (written < n) {
        writeFailed_ = true;
        if (errno == ENOSPC || errno == EDQUOT) {
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

void TExtractorBase::SetFileDate(const std::string& path, uint32_t entryDate) {
    uint32_t date = entryDate;
    if (DateAttribute == daSysDate)
        date = platform::UnixToDosDateTime(std::time(nullptr));
    if (DateAttribute == daMaxFileDate)
        date = static_cast<uint32_t>(maxDate_);
    platform::SetFileModified(path, platform::DosDateTimeToUnix(date));
}

void TExtractorBase::RestoreAttributes(const std::string& path, const EntryToExtract& entry,
                                       uint32_t attributes) {
    if ((entry.versionMadeBy >> 8) == kHostUnix) {
        const unsigned mode = (attributes >> 16) & 0777;
        if (mode)
            platform::SetPermissions(path, mode);
    } else if (attributes & kReadOnlyAttribute) {
        platform::SetReadOnly(path, true);
    }
}

}  // namespace kelvara::archive
