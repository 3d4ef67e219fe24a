// The archive-facing half of the extraction component: the archive file and its detected type,
// the cancel flag, error reporting, progress and the pending-message pump.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/archive_types.h"
#include "archive/zip_locator.h"

namespace kelvara::archive {

class ArchiveInput;

class TArchiveCommon {
  public:
    using TNotifyEvent = std::function<void(TArchiveCommon& sender)>;
    // fileName, message id, then two texts: "0" and a second file name or an extra text.
    using TErrorEvent =
        std::function<void(TArchiveCommon& sender, const std::string& fileName, int messageId,
                           const std::string& text1, const std::string& text2)>;
    using TProgressEvent =
        std::function<void(TArchiveCommon& sender, int entryPercent, int totalPercent)>;
    using TElapsedTimeEvent = std::function<void(TArchiveCommon& sender, float seconds)>;

    TArchiveCommon();
    virtual ~TArchiveCommon();
    TArchiveCommon(const TArchiveCommon&) = delete;
    TArchiveCommon& operator=(const TArchiveCommon&) = delete;

    const std::string& ArchiveFile() const { return archiveFile_; }
    // Runs the archive-type detection at once; a path that names no file leaves ArchiveFile
    // empty and the type atNA.
    virtual void SetArchiveFile(const std::string& path);
    TArcType ArcType() const { return arcType_; }
    // Re-runs the detection on the current archive file.
    void SetArcType(TArcType) { SetArchiveFile(archiveFile_); }

    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }

    TErrorEvent OnError;
    TProgressEvent OnProgress;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TElapsedTimeEvent OnElapsedTime;
    // Lets the host's pending messages run between blocks (the GUI passes its event pump).
    std::function<void()> ProcessMessages;

  protected:
    // Calls OnError (with "User canceled" instead of the id while the cancel flag is set).
    void Report(int id, const std::string& fileName, const std::string& extra = "");
    // Reports, then raises EArchiveFatal unless the cancel flag is set.
    void Fatal(int id, const std::string& fileName, const std::string& extra = "");
    // A fatal report whose text takes values (26896): they travel as the report's two texts.
    void FatalWithValues(int id, const std::string& fileName, const std::string& text1,
                         const std::string& text2);
    void PumpMessages();
    // Runs the pump, then OnProgress with done * 100 / total rounded and kept within 0..100.
    void ReportProgress(uint64_t entryDone, uint64_t entryTotal, uint64_t runDone,
                        uint64_t runTotal);

    // The archive as the recognition opened it, handed to the next run so that a run right
    // after SetArchiveFile opens and reads the file's end only once; the run closes it.
    std::unique_ptr<ArchiveInput> TakeRecognisedInput();

    std::string archiveFile_;
    TArcType arcType_ = atNA;
    ArchiveLayout layout_;
    std::unique_ptr<ArchiveInput> recognisedInput_;
    bool cancel_ = false;
    bool fatalReported_ = false;  // the EArchiveFatal in flight went through OnError already
    // While keepFirstReport_ is set, the first report made is kept here (id 0: none yet).
    bool keepFirstReport_ = false;
    int firstReportId_ = 0;
    std::string firstReportText_;

  private:
    void Issue(int id, const std::string& fileName, const std::string& text1,
               const std::string& text2);
};

}  // namespace kelvara::archive
