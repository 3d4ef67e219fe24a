// The extraction driver: entry selection by masks, output paths, the overwrite policy, dates and
// attributes of output files, the output-block routine, the count and the CRC verdict. The
// archive format (the walk and the decoders) comes from the derived class.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_common.h"
#include "archive/archive_input.h"
#include "archive/output_paths.h"
#include "platform/file_handle.h"

namespace kelvara::archive {

// Result of ExtractToMemory.
struct TMemoryEntry {
    enum class Status { kOk, kMissing, kTooLarge, kRefused };
    Status status = Status::kMissing;
    int messageId = 0;    // kRefused: the fatal report that refused the archive (26897, ...);
                          // kOk: 0, or the first report about the entry's data (bad block, CRC);
                          // kMissing: 0, or the password report that kept an encrypted entry shut
    std::string message;  // the report's text ("" when messageId is 0)
    std::vector<uint8_t>
        data;  // what was decoded (also after a data report, as extraction keeps it)
};

class TExtractorBase : public TArchiveCommon {
  public:
    using TBeginEvent = std::function<void(TArchiveCommon& sender, const std::string& path,
                                           bool& proceed, int ordinal)>;
    using TRenameEvent =
        std::function<void(TArchiveCommon& sender, const std::string& path, std::string& newPath)>;
    using TFileExistsEvent = std::function<void(TArchiveCommon& sender, const std::string& path,
                                                TOverwriteMode& mode, std::string& newPath)>;
    using TEndEvent =
        std::function<void(TArchiveCommon& sender, const std::string& path, bool crcPassed)>;
    using TPasswordEvent = std::function<void(TArchiveCommon& sender, const std::string& path,
                                              bool& tryAgain, std::string& password)>;

    // Extracts every entry that a mask of FileSpec selects into ExtractDir and returns how many
    // file entries were extracted. Never throws. A call made while another one of this object
    // is running (from an event handler or the pump) does nothing and returns 0.
    int Extract();
    // Decodes every entry that FileSpec selects and checks its CRC-32 like Extract, but writes
    // nothing (no file, no folder, and no entry is held in memory whole); returns how many file
    // entries were tested. Each tested entry is framed by OnBegin (with its converted name in
    // place of an output path) and OnEnd (its verdict, or false for an entry that could not be
    // decoded at all); the reports about it (bad data, password, bad local header) come in
    // between through OnError, the same ones Extract gives. Folder entries hold no data and are
    // not tested. Overlapping entries refuse the archive as in Extract; free space and entry
    // names are not checked. Without OnGetPassword, every encrypted entry searches Passwords
    // anew, so each one that stays shut is reported.
    int Test();
    // Bytes written to output files (or decoded into memory, or tested) by the latest run.
    uint64_t BytesWritten() const { return runDone_; }

    const std::string& ExtractDir() const { return extractDir_; }
    // Stored with a trailing "/"; an empty value takes the folder of ArchiveFile.
    void SetExtractDir(const std::string& dir);
    int ZipCmntBufSize() const { return zipCmntBufSize_; }
    void SetZipCmntBufSize(int size);

    std::vector<std::string> FileSpec;
    std::vector<std::string> Passwords;
    int PasswordAttempts = 3;
    bool UseStoredDirs = true;
    bool CreateStoredDirs = false;
    bool RecurseDirs = true;
    bool ConfirmOverwrites = false;
    TOverwriteMode OverwriteMode = omOverwrite;
    TDateAttribute DateAttribute = daFileDate;
    bool RestoreFileAttr = true;
    bool TranslateOemChar = true;
    TCpuType CpuType = cptAuto;  // kept for the host; has no effect

    TBeginEvent OnBegin;
    TRenameEvent OnRenameFile;
    TFileExistsEvent OnFileExists;
    TEndEvent OnEnd;
    TPasswordEvent OnGetPassword;

  protected:
    // One selected entry as the walk hands it over, its name already converted.
    struct EntryToExtract {
        std::string name;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint16_t versionMadeBy = 0;
        uint64_t compressedSize = 0;
        uint64_t uncompressedSize = 0;
        uint32_t crc = 0;
        uint32_t dosDateTime = 0;
        uint32_t externalAttributes = 0;
        int64_t dataOffset = 0;
        bool nameShortened = false;  // the stored name was longer than the 255 bytes kept
    };

    // What ExtractToMemory asks of a run.
    struct MemoryRequest {
        std::string name;
        uint64_t maxSize = 0;
        TMemoryEntry result;
    };

    virtual void WalkArchive(ArchiveInput& input) = 0;
    // Finds the password of an encrypted entry before anything is written; on success the entry's
    // data offset and compressed size no longer include the encryption header.
    virtual bool CheckPassword(EntryToExtract& entry, ArchiveInput& input,
                               const std::string& path) = 0;
    // Decodes the entry's data through WriteBlock and returns 0; non-zero (the id it reported, or
    // a negative value for an entry it could not decode) fails the entry's verdict. May raise
    // EArchiveFatal from WriteBlock.
    virtual int DecodeEntry(const EntryToExtract& entry, ArchiveInput& input,
                            const std::string& path) = 0;

    // The shared body of Extract, ExtractToMemory (with memory set) and Test (with test set):
    // opens the archive, runs the walk and returns the count. Does nothing while another run of
    // this object is going on.
    int Run(MemoryRequest* memory, bool test = false);

    // Tests a converted entry name against FileSpec (may append "." to masks without one); in a
    // memory run, against the requested name exactly.
    bool IsSelected(const std::string& name);
    // Refuses the run (fatal 26896, nothing written) when files of these sizes, each rounded up
    // to whole blocks, and a small margin do not fit on the target's file system.
    void CheckFreeSpace(const std::vector<uint64_t>& fileSizes);
    // Keeps the run's output total (for progress) and the latest date of the selected entries.
    void NoteSelected(uint32_t dosDateTime, uint64_t uncompressed);
    void ExtractEntry(EntryToExtract& entry, ArchiveInput& input);
    // A selected entry whose local header cannot be used: reported with 25114; in a test run it
    // is a tested entry that failed.
    void ReportUnreadableEntry(const std::string& name);
    // The output-block routine: writes to the current output file, adds the block to the CRC
    // and reports progress; the pump runs after the block when pump is set. Bytes past the
    // entry's declared size are dropped.
    void WriteBlock(const uint8_t* data, size_t n, bool pump);

    bool passwordFailed_ = false;      // run-wide: later encrypted entries are skipped
    std::string lastPassword_;         // the password that matched last in this run
    MemoryRequest* memory_ = nullptr;  // set while ExtractToMemory runs
    bool testing_ = false;             // set while Test runs: blocks only feed the CRC

  private:
    void ResetRun();
    void EnsureExtractDir();
    // Decodes the entry through WriteBlock into the current sink; returns the finished CRC.
    // `decoded` tells whether the data decoded without a report.
    uint32_t DecodeIntoSink(const EntryToExtract& entry, ArchiveInput& input,
                            const std::string& path, bool& decoded);
    void ExtractEntryToMemory(EntryToExtract& entry, ArchiveInput& input);
    void TestEntry(EntryToExtract& entry, ArchiveInput& input);
    // OnBegin for a tested entry; false when it is skipped. Counts the entry.
    bool BeginTest(const std::string& name);
    bool BeginCheck(OutputTarget& target);
    bool ConfirmOverwrite(OutputTarget& target);
    void GiveVerdict(const std::string& path, bool passed);
    // The last-write time the output file gets.
    time_t FileDate(uint32_t entryDate) const;
    // The permission bits the output file is to have when they are not the default ones (false
    // leaves mode alone): the file is created with them, and they are set again when the umask
    // took any away.
    bool RestoredMode(const EntryToExtract& entry, uint32_t attributes, unsigned& mode);
    unsigned CreationMask();
    // Creates the output file, replacing a file of that name that is not read-only. Reports
    // (and takes the entry out of the count) when it cannot.
    bool CreateEntryFile(const EntryToExtract& entry, const OutputTarget& target, unsigned mode);
    void RemovePartialFile(const OutputTarget& target);
    void WriteEntryFile(EntryToExtract& entry, ArchiveInput& input, const OutputTarget& target,
                        uint32_t attributes);

    std::string extractDir_;
    int zipCmntBufSize_ = 2000;
    bool running_ = false;

    int count_ = 0;
    int32_t maxDate_ = 0;
    uint64_t runTotal_ = 0;
    uint64_t runDone_ = 0;
    bool diskFull_ = false;

    platform::FileHandle outputFile_;
    OutputFolders outputFolders_;                 // open during a run, closed at its end
    std::optional<unsigned> creationMask_;        // the umask, read once per run when first needed
    std::vector<uint8_t>* memorySink_ = nullptr;  // takes the blocks instead of outputFile_
    std::string outputPath_;
    uint32_t crc_ = 0;
    uint64_t entryTotal_ = 0;
    uint64_t entryDone_ = 0;
    bool writeFailed_ = false;
};

}  // namespace kelvara::archive
