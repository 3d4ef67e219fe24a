#include "archive/archive_common.h"

#include "archive/archive_input.h"
#include "archive/archive_messages.h"
#include "platform/file_system.h"

namespace kelvara::archive {
namespace {

int Percent(uint64_t done, uint64_t total) {
    if (total == 0)
        return 0;
    if (done >= total)
        return 100;
    return static_cast<int>((done * 100 + total / 2) / total);
}

}  // namespace

TArchiveCommon::TArchiveCommon() = default;
TArchiveCommon::~TArchiveCommon() = default;

std::unique_ptr<ArchiveInput> TArchiveCommon::TakeRecognisedInput() {
    return std::move(recognisedInput_);
}

void TArchiveCommon::SetArchiveFile(const std::string& path) {
    layout_ = ArchiveLayout{};
    recognisedInput_.reset();
    // Opening waits for nothing (a named pipe opens at once) and takes regular files only; a
    // path that is no regular file names no archive at all.
    archiveFile_ = path;
    auto input = std::make_unique<ArchiveInput>();
    if (!input->Open(path)) {
        arcType_ = atNA;
        if (!platform::IsRegularFile(path))
            archiveFile_.clear();
        return;
    }
    layout_ = RecogniseArchive(*input, path);
    arcType_ = layout_.type;
    if (IsZipType(arcType_))
        recognisedInput_ = std::move(input);
}

void TArchiveCommon::Issue(int id, const std::string& fileName, const std::string& text1,
                           const std::string& text2) {
    const int shown = cancel_ ? kMsgUserCanceled : id;
    if (keepFirstReport_ && firstReportId_ == 0) {
        firstReportId_ = shown;
        firstReportText_ = FormatMessage(shown, text1, text2);
    }
    if (OnError)
        OnError(*this, fileName, shown, text1, text2);
}

void TArchiveCommon::Report(int id, const std::string& fileName, const std::string& extra) {
    Issue(id, fileName, "0", extra);
}

void TArchiveCommon::Fatal(int id, const std::string& fileName, const std::string& extra) {
    Issue(id, fileName, "0", extra);
    if (cancel_)
        return;
    fatalReported_ = true;
    throw EArchiveFatal(id);
}

void TArchiveCommon::FatalWithValues(int id, const std::string& fileName, const std::string& text1,
                                     const std::string& text2) {
    Issue(id, fileName, text1, text2);
    if (cancel_)
        return;
    fatalReported_ = true;
    throw EArchiveFatal(id, FormatMessage(id, text1, text2));
}

void TArchiveCommon::PumpMessages() {
    if (ProcessMessages)
        ProcessMessages();
}

void TArchiveCommon::ReportProgress(uint64_t entryDone, uint64_t entryTotal, uint64_t runDone,
                                    uint64_t runTotal) {
    if (!OnProgress)
        return;
    PumpMessages();
    OnProgress(*this, Percent(entryDone, entryTotal), Percent(runDone, runTotal));
}

}  // namespace kelvara::archive
