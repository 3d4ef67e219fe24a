#include "platform/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_system.h"

namespace kelvara::platform {
namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kSelfEvents = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
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
    foldersByWd_.clear();
    wdByFolder_.clear();
}

bool FolderWatch::Start(FolderChangeKinds kinds) {
    Close();
    lost_ = false;
    subtree_ = false;
    kinds_ = kinds;
    mask_ = MaskFor(kinds, false);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd_ >= 0;
}

bool FolderWatch::Open(const std::string& folder, bool subtree, FolderChangeKinds kinds) {
    if (!Start(kinds))
        return false;
    subtree_ = subtree;
    mask_ = MaskFor(kinds, subtree);
    topWatch_ = AddWatch(folder, 0);
    if (topWatch_ < 0) {
        Close();
        return false;
    }
    if (subtree_)
        AddSubtree(folder);
    return true;
}

// Adds or renews the watch of one folder path; -1 (errno set) when the system refuses.
int FolderWatch::AddWatch(const std::string& folder, uint32_t extraMask) {
    const int wd = inotify_add_watch(fd_, folder.c_str(), mask_ | extraMask);
    if (wd < 0)
        return -1;
    if (auto known = wdByFolder_.find(folder); known != wdByFolder_.end()) {
        if (known->second == wd)
            return wd;
        Forget(folder, true);  // the path names another folder now
    }
    wdByFolder_[folder] = wd;
    foldersByWd_[wd].push_back(folder);
    return wd;
}

// Drops the bookkeeping of one folder path, and its watch once no other path shares it.
void FolderWatch::Forget(const std::string& folder, bool removeWatch) {
    const auto found = wdByFolder_.find(folder);
    if (found == wdByFolder_.end())
        return;
    const int wd = found->second;
    wdByFolder_.erase(found);
    auto& paths = foldersByWd_[wd];
    std::erase(paths, folder);
    if (!paths.empty())
        return;
    foldersByWd_.erase(wd);
    if (removeWatch)
        inotify_rm_watch(fd_, wd);
    if (wd == topWatch_)
        topWatch_ = -1;
}

FolderWatchAdd FolderWatch::Add(const std::string& folder) {
    if (fd_ < 0)
        return FolderWatchAdd::kCannotWatch;
    if (Watches(folder))
        return FolderWatchAdd::kAdded;
    if (limit_ != 0 && Count() >= limit_)
        return FolderWatchAdd::kLimitReached;
    if (AddWatch(folder, 0) >= 0)
        return FolderWatchAdd::kAdded;
    return errno == ENOSPC ? FolderWatchAdd::kLimitReached : FolderWatchAdd::kCannotWatch;
}

void FolderWatch::Remove(const std::string& folder) {
    Forget(folder, true);
}

void FolderWatch::RemoveAll() {
    for (const auto& [wd, paths] : foldersByWd_)
        inotify_rm_watch(fd_, wd);
    foldersByWd_.clear();
    wdByFolder_.clear();
    topWatch_ = -1;
    lost_ = false;
    subtree_ = false;
    mask_ = MaskFor(kinds_, false);
}

void FolderWatch::SetKinds(FolderChangeKinds kinds) {
    kinds_ = kinds;
    mask_ = MaskFor(kinds, subtree_);
    // Watching a folder again replaces the events asked for.
    for (const std::string& folder : Folders()) {
        const bool below = subtree_ && wdByFolder_.at(folder) != topWatch_;
        if (AddWatch(folder, below ? IN_DONT_FOLLOW : 0) < 0)
            Forget(folder, true);
    }
}

std::vector<std::string> FolderWatch::Folders() const {
    std::vector<std::string> folders;
    folders.reserve(wdByFolder_.size());
    for (const auto& [folder, wd] : wdByFolder_)
        folders.push_back(folder);
    return folders;
}

void FolderWatch::AddSubtree(const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty() && Count() < kMaxSubtreeFolders) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        VisitFolderEntries(folder, [&](const std::string& name, ListedType type) {
            // Only entries listed as folders, and links are not followed below the top, so a
            // link cycle cannot recurse; the rare entry of unknown type goes unwatched.
            if (type == ListedType::kFolder && Count() < kMaxSubtreeFolders) {
                std::string child = JoinPath(folder, name);
                AddWatch(child, IN_DONT_FOLLOW);
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

bool FolderWatch::HandleEvent(int wd, uint32_t mask, const char* name, std::vector<int>& reported,
                              std::vector<std::string>& changed) {
    if (mask & IN_Q_OVERFLOW) {
        // Events were dropped: any folder may have changed.
        for (const auto& [folder, w] : wdByFolder_)
            changed.push_back(folder);
        return true;
    }
    const auto found = foldersByWd_.find(wd);
    if (found == foldersByWd_.end())
        return false;  // a watch already dropped: its last events say nothing new
    if (mask & kSelfEvents) {
        // The folder went away; a moved one would go on reporting under its old path.
        if (wd == topWatch_)
            lost_ = true;
        const std::vector<std::string> gone = found->second;
        for (const std::string& folder : gone) {
            changed.push_back(folder);
            Forget(folder, (mask & IN_IGNORED) == 0);
        }
        return true;
    }
    if (subtree_ && (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO)) && *name &&
        Count() < kMaxSubtreeFolders) {
        const std::string child = JoinPath(found->second.front(), name);
        AddWatch(child, IN_DONT_FOLLOW);
        AddSubtree(child);
    }
    if (!Passes(mask))
        return false;
    if (std::find(reported.begin(), reported.end(), wd) == reported.end()) {
        reported.push_back(wd);
        const auto again = foldersByWd_.find(wd);  // AddSubtree may have moved the entry
        changed.insert(changed.end(), again->second.begin(), again->second.end());
    }
    return true;
}

bool FolderWatch::ReadChanges() {
    std::vector<std::string> changed;
    return ReadChanges(changed);
}

bool FolderWatch::ReadChanges(std::vector<std::string>& changed) {
    if (fd_ < 0)
        return false;
    bool any = false;
    // Folders already reported by this read: a burst names the same few folders many times.
    std::vector<int> reported;
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
            if (HandleEvent(event->wd, event->mask, name, reported, changed))
                any = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return any;
}

FolderWatchWait FolderWatch::WaitForChangesOrWakeUp(int timeoutMs) {
    // A closed watch (-1) is skipped by poll: then only the wake-up ends the wait.
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    int ready;
    while ((ready = poll(fds, 2, timeoutMs < 0 ? -1 : timeoutMs)) < 0) {
        if (errno != EINTR)
            return FolderWatchWait::kFailed;
    }
    if (ready == 0)
        return FolderWatchWait::kTimedOut;
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
