#include "foldertree/folder_change_notifier.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/folder_watch.h"

namespace kelvara::foldertree {
namespace {

// Guards every notifier's watched path, options and watch, which the user-interface thread
// writes and the watcher threads read.
std::mutex& WatchLock() {
    static std::mutex lock;
    return lock;
}

platform::FolderChangeKinds KindsFor(NotifyFilterSet filters) {
    return {
        .fileNames = (filters & nfFileNameChange) != 0,
        .folderNames = (filters & nfDirNameChange) != 0,
        .attributes = (filters & (nfAttributeChange | nfSecurityChange)) != 0,
        .contentWritten = (filters & (nfSizeChange | nfLastWriteChange)) != 0,
        .writtenFileClosed = (filters & nfLastWriteChange) != 0,
    };
}

}  // namespace

// Shared by the notifier, its watcher thread and any change delivery still queued on the
// user-interface thread, so that none of them outlives what it touches. A fresh State is made
// for every watcher, so that a delivery queued for a stopped one can never run the handler.
struct TFolderChangeNotifier::State : std::enable_shared_from_this<State> {
    // Under WatchLock(), except the waiting and the wake-up, which need no lock: only the
    // watcher thread waits, and a wake-up may come from any thread.
    std::string path = "/";
    bool subtree = true;
    NotifyFilterSet filters = kDefaultNotifyFilters;
    unsigned generation = 0;         // bumped on every change of the three above
    unsigned watchedGeneration = 0;  // the generation the watch was opened for
    platform::FolderWatch watch;

    // Under mutex.
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool delivering = false;
    std::function<void()> handler;

    std::atomic<bool> watching{false};

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
        watch.WakeUp();
    }

    // Under WatchLock().
    bool OpenWatch() {
        watchedGeneration = generation;
        return watch.Open(path, subtree, KindsFor(filters));
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
        const platform::FolderWatchWait woke = watch.WaitForChangesOrWakeUp();
        if (woke == platform::FolderWatchWait::kFailed || Stopping())
            break;
        if (woke == platform::FolderWatchWait::kChangesPending) {
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
    state_->watch.WakeUp();
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
    if (!state_->handler || !state_->watch.CanWakeUp())
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
