// One inotify instance watching a folder (and optionally every folder below it) for the
// changes a set of notify filters asks for. Used by the change notifier's watcher thread.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "foldertree/folder_notify_filters.h"

namespace kelvara::foldertree {

class FolderInotifyWatch {
  public:
    FolderInotifyWatch() = default;
    ~FolderInotifyWatch();
    FolderInotifyWatch(const FolderInotifyWatch&) = delete;
    FolderInotifyWatch& operator=(const FolderInotifyWatch&) = delete;

    // Starts watching the folder, replacing any previous watch. False when the path is not a
    // folder that can be watched (a plain file, a missing path).
    bool Open(const std::string& folder, bool subtree, NotifyFilterSet filters);
    void Close();

    // The descriptor to poll for input; -1 when closed.
    int Descriptor() const { return fd_; }

    // Drains every pending event; true when at least one of them passes the filters.
    bool ReadChanges();

    // True once the watched folder itself has gone (deleted, moved or unmounted).
    bool Lost() const { return lost_; }

  private:
    void AddFolder(const std::string& folder);
    void AddSubtree(const std::string& folder);
    bool Passes(uint32_t mask) const;
    bool HandleEvent(int wd, uint32_t mask, const char* name);

    int fd_ = -1;
    int topWatch_ = -1;
    bool subtree_ = false;
    bool lost_ = false;
    NotifyFilterSet filters_ = 0;
    uint32_t mask_ = 0;
    std::unordered_map<int, std::string> folders_;  // watch descriptor -> folder path
};

}  // namespace kelvara::foldertree
