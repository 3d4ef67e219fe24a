#include "foldertree/folder_change_notifier.h"

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

#include "foldertree/folder_inotify_watch.h"

namespace kelvara::foldertree {
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

    // Applies a change of path or options and has a running watcher pick it up.
    template <typename Change>
    void Reconfigure(Change change) {
        {
            std::lock_guard lock(WatchLock());
            change();
            ++generation;
        }
        Wake();
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
    {
        std::lock_guard lock(mutex);
        if (stop)
            return false;
        delivering = true;
    }
    QCoreApplication* app = QCoreApplication::instance();
    const bool queued = app && QMetaObject::invokeMethod(
                                   app, [self = shared_from_this()] { self->DeliverChange(); },
                                   Qt::QueuedConnection);
    std::unique_lock lock(mutex);
    if (!queued)
        delivering = false;
    changed.wait(lock, [this] { return !delivering || stop; });
    return !stop;
}

// The watcher thread: waits for changes or the wake-up, until told to stop or the watch is
// lost; every change is handed to the user-interface thread.
void TFolderChangeNotifier::State::WatchFolder() {
    for (;;) {
        pollfd fds[2] = {{watch.Descriptor(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(wakeFd, &count, sizeof count);
        }
        if (Stopping())
            break;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            break;
        if (fds[0].revents & POLLIN) {
            bool changes, lost;
            {
                std::lock_guard lock(WatchLock());
                changes = watch.ReadChanges();
                lost = watch.Lost();
            }
            if (changes && !RunHandlerOnUiThread())
                break;
            if (lost)
                break;
        }
        std::lock_guard lock(WatchLock());
        if (generation != watchedGeneration && !OpenWatch())
            break;
    }
    watching = false;
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
    state_->Reconfigure([&] { state_->path = path; });
}

void TFolderChangeNotifier::SetWatchSubtree(bool on) {
    state_->Reconfigure([&] { state_->subtree = on; });
}

void TFolderChangeNotifier::SetNotifyFilters(NotifyFilterSet filters) {
    state_->Reconfigure([&] { state_->filters = filters; });
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
    watcher_ = std::thread([s = state_] { s->WatchFolder(); });  // keeps the state alive
}

}  // namespace kelvara::foldertree
