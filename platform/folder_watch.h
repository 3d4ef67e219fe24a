// Watching a folder (and optionally every folder below it) for changes, together with a
// wake-up that another thread can send, so that one thread can block until either arrives.
// The folder tree's change notifier runs one of these on its watcher thread.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

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
    kFailed,          // the wait or the watch failed; waiting again is pointless
};

// Only WakeUp may be called from another thread than the one using the watch.
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

    // Blocks until events are pending or a wake-up arrives; a wake-up is used up by it.
    FolderWatchWait WaitForChangesOrWakeUp();
    // Makes the current or the next wait return. Safe from any thread.
    void WakeUp() const;

    // Reads every pending event; true when at least one of them is of a kind asked for.
    bool ReadChanges();

    // True once the watched folder itself has gone (deleted, moved or unmounted).
    bool Lost() const { return lost_; }

  private:
    void Close();
    void AddFolder(const std::string& folder);
    void AddSubtree(const std::string& folder);
    bool Passes(uint32_t mask) const;
    bool HandleEvent(int wd, uint32_t mask, const char* name);

    const int wakeFd_;
    int fd_ = -1;
    int topWatch_ = -1;
    bool subtree_ = false;
    bool lost_ = false;
    FolderChangeKinds kinds_;
    uint32_t mask_ = 0;
    std::unordered_map<int, std::string> folders_;  // watch descriptor -> folder path
};

}  // namespace kelvara::platform
