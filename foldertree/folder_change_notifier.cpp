#include "foldertree/folder_change_notifier.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "platform/folder_watch.h"

namespace kelvara::foldertree {
namespace {

using Clock = std::chrono::steady_clock;

// A burst of changes is handed over once it has paused this long...
constexpr auto kQuietPeriod = std::chrono::milliseconds(150);
// ...or, while it goes on, once this long after its first change.
constexpr auto kMaxDelay = std::chrono::milliseconds(1000);

// Guards every notifier's watched path, folders, options and watch, which the user-interface
// thread writes and the watcher threads read.
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

std::vector<std::string> SortedUnique(std::vector<std::string> folders) {
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
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
    unsigned generation = 0;                 // bumped on every change of the three above
    unsigned watchedGeneration = 0;          // the generation the path's watch was opened for
    bool useFolders = false;                 // a folder set was given
    std::vector<std::string> folders;        // the set, sorted
    std::vector<std::string> failedFolders;  // the set that did not fit
    bool fellBack = false;
    size_t maxWatches = 0;
    bool started = false;  // the watch exists (the watcher thread may be running)
    platform::FolderWatch watch;

    // Under mutex.
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool running = false;         // the watcher thread has not ended
    bool deliveryQueued = false;  // a delivery waits on the user-interface thread
    std::set<std::string> pending;
    Clock::time_point firstChange, lastChange;
    unsigned long long flushRequested = 0, flushDone = 0;
    FoldersHandler handler;

    std::atomic<bool> watching{false};

    // Applies a change of path or options and has a running watcher pick it up (the change
    // itself renews the watches of a folder set).
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
    void WatchPathOnly() {
        watch.RemoveAll();
        watch.Add(path);  // a file or a missing path leaves nothing watched, without an error
    }
    void ApplyFolders();

    void Deliver();
    void FlushWatcher();
    void QueueDelivery();
    void WatchFolders();
};

// Under WatchLock(), with the watch started: watches exactly the folder set, or falls back to
// the path when the watches run out.
void TFolderChangeNotifier::State::ApplyFolders() {
    if (fellBack && folders == failedFolders)
        return;
    watch.SetLimit(maxWatches);
    for (const std::string& folder : watch.Folders()) {
        if (fellBack || !std::binary_search(folders.begin(), folders.end(), folder))
            watch.Remove(folder);
    }
    fellBack = false;
    for (const std::string& folder : folders) {
        if (watch.Add(folder) == platform::FolderWatchAdd::kLimitReached) {
            failedFolders = folders;
            fellBack = true;
            watch.SetLimit(0);  // the path alone is always tried
            WatchPathOnly();
            return;
        }
    }
}

// Runs on the user-interface thread: takes every change gathered so far and runs the handler
// with the folders. The handler is copied out first: it may destroy the notifier.
void TFolderChangeNotifier::State::Deliver() {
    FlushWatcher();
    std::vector<std::string> changedFolders;
    FoldersHandler run;
    {
        std::lock_guard lock(mutex);
        deliveryQueued = false;
        if (stop)
            return;
        changedFolders.assign(pending.begin(), pending.end());
        pending.clear();
        run = handler;
    }
    if (!run || changedFolders.empty())
        return;
    try {
        run(changedFolders);
    } catch (...) {
        // A failed refresh must not unwind into the event loop.
    }
}

// Waits until the watcher has read every event the system queued before this call, so that a
// delivery covers all changes made before it runs: a burst that ended meanwhile is handled
// once, not once now and once more for its remainder. The watcher never waits for the
// user-interface thread, so this cannot block for long.
void TFolderChangeNotifier::State::FlushWatcher() {
    std::unique_lock lock(mutex);
    if (!running || stop)
        return;
    const unsigned long long ticket = ++flushRequested;
    lock.unlock();
    watch.WakeUp();
    lock.lock();
    changed.wait(lock, [&] { return flushDone >= ticket || !running || stop; });
}

void TFolderChangeNotifier::State::QueueDelivery() {
    QCoreApplication* app = QCoreApplication::instance();
    const bool queued =
        app && QMetaObject::invokeMethod(
                   app, [self = shared_from_this()] { self->Deliver(); }, Qt::QueuedConnection);
    if (!queued) {
        // Nobody to hand the changes to.
        std::lock_guard lock(mutex);
        pending.clear();
        deliveryQueued = false;
    }
}

// The watcher thread: reads changes as they come, gathers the folders they touched and queues
// one delivery once they pause (or have gone on for long enough), until told to stop. Without
// a folder set it ends when the path's watch is lost or cannot be opened again.
void TFolderChangeNotifier::State::WatchFolders() {
    for (;;) {
        int timeoutMs = -1;
        {
            std::lock_guard lock(mutex);
            if (stop)
                break;
            if (!pending.empty() && !deliveryQueued) {
                const auto due = std::min(lastChange + kQuietPeriod, firstChange + kMaxDelay);
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
                timeoutMs = static_cast<int>(std::max<long long>(0, left.count() + 1));
            }
        }
        if (watch.WaitForChangesOrWakeUp(timeoutMs) == platform::FolderWatchWait::kFailed)
            break;
        unsigned long long seen;
        {
            std::lock_guard lock(mutex);
            if (stop)
                break;
            seen = flushRequested;  // events queued before this are read below
        }
        std::vector<std::string> changedFolders;
        bool end = false;
        {
            std::lock_guard lock(WatchLock());
            watch.ReadChanges(changedFolders);
            if (!useFolders) {
                if (!changedFolders.empty())
                    changedFolders.assign(1, path);
                end = watch.Lost() || (generation != watchedGeneration && !OpenWatch());
            }
        }
        const Clock::time_point now = Clock::now();
        bool queue = false;
        {
            std::lock_guard lock(mutex);
            if (!changedFolders.empty()) {
                if (pending.empty())
                    firstChange = now;
                lastChange = now;
                pending.insert(changedFolders.begin(), changedFolders.end());
            }
            flushDone = seen;
            if (!pending.empty() && !deliveryQueued &&
                (end || now - lastChange >= kQuietPeriod || now - firstChange >= kMaxDelay)) {
                deliveryQueued = true;
                queue = true;
            }
        }
        changed.notify_all();
        if (queue)
            QueueDelivery();
        if (end)
            break;
    }
    {
        std::lock_guard lock(mutex);
        running = false;
    }
    changed.notify_all();
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
    State& s = *state_;
    s.Reconfigure([&] {
        s.path = path;
        if (s.started && s.useFolders && s.fellBack)
            s.WatchPathOnly();
    });
}

void TFolderChangeNotifier::SetWatchSubtree(bool on) {
    state_->Reconfigure([&] { state_->subtree = on; });
}

void TFolderChangeNotifier::SetNotifyFilters(NotifyFilterSet filters) {
    State& s = *state_;
    s.Reconfigure([&] {
        s.filters = filters;
        if (s.started && s.useFolders)
            s.watch.SetKinds(KindsFor(filters));
    });
}

void TFolderChangeNotifier::SetFolders(std::vector<std::string> folders) {
    std::lock_guard lock(WatchLock());
    State& s = *state_;
    s.folders = SortedUnique(std::move(folders));
    if (!s.started) {
        s.useFolders = true;
        return;
    }
    if (!s.useFolders) {
        // The path's watch (and the folders below it) make way for the set.
        s.useFolders = true;
        s.watch.RemoveAll();
        s.watch.SetKinds(KindsFor(s.filters));
    }
    s.ApplyFolders();
}

std::vector<std::string> TFolderChangeNotifier::WatchedFolders() const {
    std::lock_guard lock(WatchLock());
    return state_->watch.Folders();
}

bool TFolderChangeNotifier::FellBack() const {
    std::lock_guard lock(WatchLock());
    return state_->fellBack;
}

size_t TFolderChangeNotifier::MaxWatches() const {
    std::lock_guard lock(WatchLock());
    return state_->maxWatches;
}

void TFolderChangeNotifier::SetMaxWatches(size_t count) {
    std::lock_guard lock(WatchLock());
    State& s = *state_;
    s.maxWatches = count;
    if (s.started && s.useFolders) {
        s.failedFolders.clear();  // a new limit: try the set again
        s.ApplyFolders();
    }
}

bool TFolderChangeNotifier::Watching() const {
    std::lock_guard lock(WatchLock());
    return state_->watching && state_->watch.Count() > 0;
}

void TFolderChangeNotifier::SetOnChange(std::function<void()> handler) {
    if (!handler) {
        SetOnFoldersChanged(nullptr);
        return;
    }
    SetOnFoldersChanged(
        [run = std::move(handler)](const std::vector<std::string>& /*folders*/) { run(); });
}

void TFolderChangeNotifier::SetOnFoldersChanged(FoldersHandler handler) {
    Stop();
    auto fresh = std::make_shared<State>();
    {
        std::lock_guard lock(WatchLock());
        const State& old = *state_;
        fresh->path = old.path;
        fresh->subtree = old.subtree;
        fresh->filters = old.filters;
        fresh->useFolders = old.useFolders;
        fresh->folders = old.folders;
        fresh->maxWatches = old.maxWatches;
    }
    fresh->handler = std::move(handler);
    state_ = fresh;
    State& s = *state_;
    if (!s.handler || !s.watch.CanWakeUp())
        return;
    {
        std::lock_guard lock(WatchLock());
        if (s.useFolders) {
            if (!s.watch.Start(KindsFor(s.filters)))
                return;
            s.started = true;
            s.ApplyFolders();
        } else {
            if (!s.OpenWatch())
                return;
            s.started = true;
        }
    }
    s.watching = true;
    s.running = true;
    watcher_ = std::thread([keep = state_] { keep->WatchFolders(); });  // keeps the state alive
}

}  // namespace kelvara::foldertree
