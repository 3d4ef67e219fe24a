#include "foldertree/folder_inotify_watch.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_system.h"

namespace kelvara::foldertree {
namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// Enough for deep widget folders; stops a subtree watch on a huge tree from exhausting the
// user's inotify watches.
constexpr size_t kMaxSubtreeFolders = 4096;

uint32_t MaskFor(NotifyFilterSet filters, bool subtree) {
    uint32_t mask = IN_ONLYDIR | IN_DELETE_SELF | IN_MOVE_SELF;
    if (filters & (nfFileNameChange | nfDirNameChange))
        mask |= kNameEvents;
    if (filters & (nfAttributeChange | nfSecurityChange))
        mask |= IN_ATTRIB;
    if (filters & nfSizeChange)
        mask |= IN_MODIFY;
    if (filters & nfLastWriteChange)
        mask |= IN_MODIFY | IN_CLOSE_WRITE;
    // New folders must be seen to be watched in turn.
    if (subtree)
        mask |= IN_CREATE | IN_MOVED_TO;
    return mask;
}

}  // namespace

FolderInotifyWatch::~FolderInotifyWatch() {
    Close();
}

void FolderInotifyWatch::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    topWatch_ = -1;
    folders_.clear();
}

bool FolderInotifyWatch::Open(const std::string& folder, bool subtree, NotifyFilterSet filters) {
    Close();
    lost_ = false;
    subtree_ = subtree;
    filters_ = filters;
    mask_ = MaskFor(filters, subtree);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return false;
    topWatch_ = inotify_add_watch(fd_, folder.c_str(), mask_);
    if (topWatch_ < 0) {
        Close();
        return false;
    }
    folders_[topWatch_] = folder;
    if (subtree_)
        AddSubtree(folder);
    return true;
}

void FolderInotifyWatch::AddFolder(const std::string& folder) {
    if (folders_.size() >= kMaxSubtreeFolders)
        return;
    // Symbolic links are not followed below the top, so a link cycle cannot recurse.
    const int wd = inotify_add_watch(fd_, folder.c_str(), mask_ | IN_DONT_FOLLOW);
    if (wd >= 0)
        folders_[wd] = folder;
}

void FolderInotifyWatch::AddSubtree(const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty() && folders_.size() < kMaxSubtreeFolders) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_type != DT_DIR)
                continue;  // DT_UNKNOWN is rare; such folders go unwatched
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            std::string child = platform::JoinPath(folder, entry->d_name);
            AddFolder(child);
            pending.push_back(std::move(child));
        }
        closedir(dir);
    }
}

bool FolderInotifyWatch::Passes(uint32_t mask) const {
    if (mask & kNameEvents) {
        const bool isFolder = (mask & IN_ISDIR) != 0;
        if (filters_ & (isFolder ? nfDirNameChange : nfFileNameChange))
            return true;
    }
    if ((mask & IN_ATTRIB) && (filters_ & (nfAttributeChange | nfSecurityChange)))
        return true;
    if ((mask & IN_MODIFY) && (filters_ & (nfSizeChange | nfLastWriteChange)))
        return true;
    if ((mask & IN_CLOSE_WRITE) && (filters_ & nfLastWriteChange))
        return true;
    return false;
}

bool FolderInotifyWatch::HandleEvent(int wd, uint32_t mask, const char* name) {
    if (mask & IN_Q_OVERFLOW)
        return true;  // events were dropped: assume a change
    if (mask & IN_IGNORED) {
        folders_.erase(wd);
        if (wd == topWatch_)
            lost_ = true;
        return wd == topWatch_;
    }
    if (wd == topWatch_ && (mask & (IN_DELETE_SELF | IN_MOVE_SELF))) {
        lost_ = true;
        return true;
    }
    if (subtree_ && (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO)) && *name) {
        auto it = folders_.find(wd);
        if (it != folders_.end()) {
            const std::string child = platform::JoinPath(it->second, name);
            AddFolder(child);
            AddSubtree(child);
        }
    }
    return Passes(mask);
}

bool FolderInotifyWatch::ReadChanges() {
    if (fd_ < 0)
        return false;
    bool changed = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got < 0 && errno != EAGAIN)
                lost_ = true;
            break;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const char* name = event->len ? event->name : "";
            if (HandleEvent(event->wd, event->mask, name))
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

}  // namespace kelvara::foldertree
