// Watching folders for changes, together with a wake-up that another thread can send, so that
// one thread can block until either arrives. Two ways to watch: one folder (and optionally
// every folder below it) opened at once, or a set of folders, each one level deep, added and
// removed one by one. The folder tree's change notifier runs one of these on its watcher thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvara::platform {

// The kinds of change a watch reports.
struct FolderChangeKinds {
    bool fileNames = false;          // a file created, deleted or renamed
    bool folderNames = false;        // a folder created, deleted or renamed
    bool attributes = false;         // permissions, ownership, times set explicitly
    bool contentWritten = false;     // a file's content written
    bool writtenFileClosed = false;  // a file opened for writing closed
};

enum class FolderWatchWait {
    kWokenUp,         // only the wake-up arrived
    kChangesPending,  // events wait to be read (a wake-up may have come as well)
    kTimedOut,        // neither came within the time asked for
    kFailed,          // the wait or the watch failed; waiting again is pointless
};

enum class FolderWatchAdd {
    kAdded,         // the folder is watched (it may have been already)
    kCannotWatch,   // not a folder that can be watched (a plain file, a missing path)
    kLimitReached,  // no watch is left: the system's limit (ENOSPC) or the watch's own
};

// The wake-up may be sent from any thread; everything else must be called by one thread at a
// time (the caller's lock), though not always the same one.
class FolderWatch {
  public:
    // Creates the wake-up; no folder is watched yet.
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False when the wake-up could not be created: such a watch cannot be waited on.
    bool CanWakeUp() const { return wakeFd_ >= 0; }

    // Starts watching the folder, replacing any previous watch. False when the path is not a
    // folder that can be watched (a plain file, a missing path).
    bool Open(const std::string& folder, bool subtree, FolderChangeKinds kinds);

    // Starts an empty watch for a set of folders, replacing any previous watch. False when the
    // system gives no watch at all.
    bool Start(FolderChangeKinds kinds);
    // Adds one folder (its entries, not the folders below it); a symbolic link to a folder is
    // followed. Without a started watch, kCannotWatch.
    FolderWatchAdd Add(const std::string& folder);
    // Stops watching the folder; nothing it caused is reported afterwards.
    void Remove(const std::string& folder);
    // Stops watching every folder; the watch stays started, for a set of folders.
    void RemoveAll();
    // Changes the kinds reported for every folder watched now and later.
    void SetKinds(FolderChangeKinds kinds);
    bool Watches(const std::string& folder) const { return wdByFolder_.count(folder) != 0; }
    // The folders watched now, sorted.
    std::vector<std::string> Folders() const;
    size_t Count() const { return wdByFolder_.size(); }
    // The most folders Add takes; beyond it Add answers kLimitReached as when the system has
    // no watches left. 0: only the system's limit.
    void SetLimit(size_t folders) { limit_ = folders; }

    // Blocks until events are pending, a wake-up arrives or timeoutMs milliseconds have passed
    // (never, when negative); a wake-up is used up by it.
    FolderWatchWait WaitForChangesOrWakeUp(int timeoutMs = -1);
    // Makes the current or the next wait return. Safe from any thread.
    void WakeUp() const;

    // Reads every pending event; true when at least one of them is of a kind asked for.
    bool ReadChanges();
    // The same, and adds to changed each watched folder in which such a change happened, and
    // each watched folder that went away (deleted, moved or unmounted: its watch is dropped).
    // When the system dropped events, every watched folder counts as changed.
    bool ReadChanges(std::vector<std::string>& changed);

    // True once the folder given to Open has gone (deleted, moved or unmounted).
    bool Lost() const { return lost_; }

  private:
    void Close();
    int AddWatch(const std::string& folder, uint32_t extraMask);
    void Forget(const std::string& folder, bool removeWatch);
    void AddSubtree(const std::string& folder);
    bool Passes(uint32_t mask) const;
    bool HandleEvent(int wd, uint32_t mask, const char* name, std::vector<int>& reported,
                     std::vector<std::string>& changed);

    const int wakeFd_;
    int fd_ = -1;
    int topWatch_ = -1;
    bool subtree_ = false;
    bool lost_ = false;
    size_t limit_ = 0;
    FolderChangeKinds kinds_;
    uint32_t mask_ = 0;
    // A folder reached by two paths (links) has one watch descriptor for both.
    std::unordered_map<int, std::vector<std::string>> foldersByWd_;
    std::map<std::string, int> wdByFolder_;
};

}  // namespace kelvara::platform
