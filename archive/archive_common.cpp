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

void TArchiveCommon::SetArchiveFile(const std::string& path) {
    layout_ = ArchiveLayout{};
    if (!platform::IsRegularFile(path)) {
        arcType_ = atNA;
        archiveFile_.clear();
        return;
    }
    archiveFile_ = path;
    ArchiveInput input;
    if (!input.Open(path)) {
        arcType_ = atNA;
        return;
    }
    layout_ = RecogniseArchive(input, path);
    arcType_ = layout_.type;
}

void TArchiveCommon::Report(int id, const std::string& fileName, const std::string& extra) {
    if (!OnError)
        return;
    OnError(*this, fileName, cancel_ ? kMsgUserCanceled : id, "0", extra);
}

void TArchiveCommon::Fatal(int id, const std::string& fileName, const std::string& extra) {
    Report(id, fileName, extra);
    if (cancel_)
        return;
    fatalReported_ = true;
    throw EArchiveFatal(id);
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
