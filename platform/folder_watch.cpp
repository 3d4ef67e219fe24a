#include "platform/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file_system.h"

namespace kelvara::platform {
namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// Enough for deep widget folders; stops a subtree watch on a huge tree from exhausting the
// user's inotify watches.
constexpr size_t kMaxSubtreeFolders = 4096;

uint32_t MaskFor(const FolderChangeKinds& kinds, bool subtree) {
    uint32_t mask = IN_ONLYDIR | IN_DELETE_SELF | IN_MOVE_SELF;
    if (kinds.fileNames || kinds.folderNames)
        mask |= kNameEvents;
    if (kinds.attributes)
        mask |= IN_ATTRIB;
    if (kinds.contentWritten)
        mask |= IN_MODIFY;
    if (kinds.writtenFileClosed)
        mask |= IN_CLOSE_WRITE;
    // New folders must be seen to be watched in turn.
    if (subtree)
        mask |= IN_CREATE | IN_MOVED_TO;
    return mask;
}

}  // namespace

FolderWatch::FolderWatch() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
    Close();
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void FolderWatch::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    topWatch_ = -1;
    folders_.clear();
}

bool FolderWatch::Open(const std::string& folder, bool subtree, FolderChangeKinds kinds) {
    Close();
    lost_ = false;
    subtree_ = subtree;
    kinds_ = kinds;
    mask_ = MaskFor(kinds, subtree);
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

void FolderWatch::AddFolder(const std::string& folder) {
    if (folders_.size() >= kMaxSubtreeFolders)
        return;
    // Symbolic links are not followed below the top, so a link cycle cannot recurse.
    const int wd = inotify_add_watch(fd_, folder.c_str(), mask_ | IN_DONT_FOLLOW);
    if (wd >= 0)
        folders_[wd] = folder;
}

void FolderWatch::AddSubtree(const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty() && folders_.size() < kMaxSubtreeFolders) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        VisitFolderEntries(folder, [&](const std::string& name, ListedType type) {
            // Only entries listed as folders: links are not followed, and the rare entry of
            // unknown type goes unwatched.
            if (type == ListedType::kFolder) {
                std::string child = JoinPath(folder, name);
                AddFolder(child);
                pending.push_back(std::move(child));
            }
            return true;
        });
    }
}

bool FolderWatch::Passes(uint32_t mask) const {
    if (mask & kNameEvents) {
        const bool isFolder = (mask & IN_ISDIR) != 0;
        if (isFolder ? kinds_.folderNames : kinds_.fileNames)
            return true;
    }
    if ((mask & IN_ATTRIB) && kinds_.attributes)
        return true;
    if ((mask & IN_MODIFY) && kinds_.contentWritten)
        return true;
    if ((mask & IN_CLOSE_WRITE) && kinds_.writtenFileClosed)
        return true;
    return false;
}

bool FolderWatch::HandleEvent(int wd, uint32_t mask, const char* name) {
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
            const std::string child = JoinPath(it->second, name);
            AddFolder(child);
            AddSubtree(child);
        }
    }
    return Passes(mask);
}

bool FolderWatch::ReadChanges() {
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

FolderWatchWait FolderWatch::WaitForChangesOrWakeUp() {
    // A closed watch (-1) is skipped by poll: then only the wake-up ends the wait.
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
        if (errno != EINTR)
            return FolderWatchWait::kFailed;
    }
    if (fds[1].revents & POLLIN) {
        uint64_t count;
        [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
        return FolderWatchWait::kFailed;
    if (fds[0].revents & POLLIN)
        return FolderWatchWait::kChangesPending;
    return FolderWatchWait::kWokenUp;
}

void FolderWatch::WakeUp() const {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

}  // namespace kelvara::platform
