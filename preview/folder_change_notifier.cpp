#include "preview/folder_change_notifier.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "preview/folder_inotify_watch.h"

namespace kelvara::preview {
namespace {

// Guards every notifier's watched path, options and watch, which the user-interface thread
// writes and the watcher threads read.
std::mutex& WatchLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

// Shared by the notifier, its watcher thread and any change delivery still queued on the
// user-interface thread, so that none of them outlives what it touches. A fresh State is made
// for every watcher, so that a delivery queued for a stopped one can never run the handler.
struct TFolderChangeNotifier::State : std::enable_shared_from_this<State> {
    State() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~State() {
        if (wakeFd >= 0)
            close(wakeFd);
    }

    // Under WatchLock().
    std::string path = "/";
    bool subtree = true;
    NotifyFilterSet filters = kDefaultNotifyFilters;
    unsigned generation = 0;         // bumped on every change of the three above
    unsigned watchedGeneration = 0;  // the generation the watch was opened for
    FolderInotifyWatch watch;

    // Under mutex.
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool delivering = false;
    std::function<void()> handler;

    std::atomic<bool> watching{false};
    const int wakeFd;

    void Wake() const {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd, &one, sizeof one);
    }
    bool Stopping() {
        std::lock_guard lock(mutex);
        return stop;
    }

    // Under WatchLock().
    bool OpenWatch() {
        watchedGeneration = generation;
        return watch.Open(path, subtree, filters);
    }

    void DeliverChange();
    bool RunHandlerOnUiThread();
    void WatchFolder();
};

// Runs on the user-interface thread. The handler is copied out first: it may destroy the
// notifier (a refresh reselects a node, which replaces the notifier).
void TFolderChangeNotifier::State::DeliverChange() {
    std::function<void()> run;
    {
        std::lock_guard lock(mutex);
        if (!stop)
            run = handler;
    }
    if (run) {
        try {
            run();
        } catch (...) {
            // A failed refresh must not leave the watcher waiting or unwind into the event loop.
        }
    }
    {
        std::lock_guard lock(mutex);
        delivering = false;
    }
    changed.notify_all();
}

// Queues the handler on the user-interface thread and waits until it has run or the notifier
// is being destroyed; the destructor never waits on the user-interface thread, so the two
// cannot block each other. False when the watcher is to end.
bool TFolderChangeNotifier::State::RunHandlerOnUiThread() {
    std::shared_ptr<State> s = shared_from_this();
    {
        std::lock_guard lock(s->mutex);
        if (s->stop)
            return false;
        s->delivering = true;
    }
    QCoreApplication* app = QCoreApplication::instance();
    const bool queued = app && QMetaObject::invokeMethod(
                                   app, [s] { s->DeliverChange(); }, Qt::QueuedConnection);
    std::unique_lock lock(s->mutex);
    if (!queued)
        s->delivering = false;
    s->changed.wait(lock, [&] { return !s->delivering || s->stop; });
    return !s->stop;
}

void TFolderChangeNotifier::State::WatchFolder() {
    std::shared_ptr<State> s = shared_from_this();
    for (;;) {
        pollfd fds[2] = {{s->watch.Descriptor(), POLLIN, 0}, {s->wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(s->wakeFd, &count, sizeof count);
        }
        if (s->Stopping())
            break;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            break;
        if (fds[0].revents & POLLIN) {
            bool changed, lost;
            {
                std::lock_guard lock(WatchLock());
                changed = s->watch.ReadChanges();
                lost = s->watch.Lost();
            }
            if (changed && !RunHandlerOnUiThread())
                break;
            if (lost)
                break;
        }
        std::lock_guard lock(WatchLock());
        if (s->generation != s->watchedGeneration && !s->OpenWatch())
            break;
    }
    s->watching = false;
}

TFolderChangeNotifier::TFolderChangeNotifier() : state_(std::make_shared<State>()) {}

TFolderChangeNotifier::~TFolderChangeNotifier() {
    Stop();
}

void TFolderChangeNotifier::Stop() {
    if (!watcher_.joinable())
        return;
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->changed.notify_all();
    state_->Wake();
    watcher_.join();
}

std::string TFolderChangeNotifier::Path() const {
    std::lock_guard lock(WatchLock());
    return state_->path;
}

bool TFolderChangeNotifier::WatchSubtree() const {
    std::lock_guard lock(WatchLock());
    return state_->subtree;
}

NotifyFilterSet TFolderChangeNotifier::NotifyFilters() const {
    std::lock_guard lock(WatchLock());
    return state_->filters;
}

void TFolderChangeNotifier::SetPath(const std::string& path) {
    {
        std::lock_guard lock(WatchLock());
        state_->path = path;
        ++state_->generation;
    }
    state_->Wake();
}

void TFolderChangeNotifier::SetWatchSubtree(bool on) {
    {
        std::lock_guard lock(WatchLock());
        state_->subtree = on;
        ++state_->generation;
    }
    state_->Wake();
}

void TFolderChangeNotifier::SetNotifyFilters(NotifyFilterSet filters) {
    {
        std::lock_guard lock(WatchLock());
        state_->filters = filters;
        ++state_->generation;
    }
    state_->Wake();
}

bool TFolderChangeNotifier::Watching() const {
    return state_->watching;
}

void TFolderChangeNotifier::SetOnChange(std::function<void()> handler) {
    Stop();
    auto fresh = std::make_shared<State>();
    {
        std::lock_guard lock(WatchLock());
        fresh->path = state_->path;
        fresh->subtree = state_->subtree;
        fresh->filters = state_->filters;
    }
    fresh->handler = std::move(handler);
    state_ = fresh;
    if (!state_->handler || state_->wakeFd < 0)
        return;
    {
        std::lock_guard lock(WatchLock());
        if (!state_->OpenWatch())
            return;
    }
    state_->watching = true;
    watcher_ = std::thread([s = state_] { s->WatchFolder(); });
}

}  // namespace kelvara::preview
