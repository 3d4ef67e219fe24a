// Watches folders on a thread of its own and has a change handler run on the user-interface
// thread when something in them changes. It watches either one path (with or without the
// folders below it) or, once given a set of folders, each of those one level deep. Changes are
// gathered: the handler runs once the changes have paused for a short while (or, while they go
// on, about once a second), with every folder that changed meanwhile named once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foldertree/folder_notify_filters.h"

namespace kelvara::foldertree {

class TFolderChangeNotifier {
  public:
    using FoldersHandler = std::function<void(const std::vector<std::string>& folders)>;

    // Must be created, used and destroyed on the user-interface thread (the thread of the
    // QCoreApplication), which is where the handler runs.
    TFolderChangeNotifier();
    // Stops the watcher and waits for it; a change handler still queued is dropped.
    ~TFolderChangeNotifier();
    TFolderChangeNotifier(const TFolderChangeNotifier&) = delete;
    TFolderChangeNotifier& operator=(const TFolderChangeNotifier&) = delete;

    // Changing these while the watcher runs makes it watch afresh with the new values. With a
    // folder set the path is what is watched after falling back (below), and the subtree flag
    // is not used.
    std::string Path() const;
    void SetPath(const std::string& path);
    bool WatchSubtree() const;
    void SetWatchSubtree(bool on);
    NotifyFilterSet NotifyFilters() const;
    void SetNotifyFilters(NotifyFilterSet filters);

    // From the first call on, the notifier watches these folders, each one level deep, instead
    // of the path; each call replaces the set, taking effect at once (a folder of the set
    // whose watch went with the folder is tried again). When the watches run out (the
    // system's limit, or MaxWatches), it watches only the path, one level deep, as long as it
    // is given the same set; a different set is tried afresh.
    void SetFolders(std::vector<std::string> folders);
    // The folders watched now, sorted: the set, the path alone after falling back, or nothing.
    std::vector<std::string> WatchedFolders() const;
    // True while the folder set did not fit and the path is watched instead.
    bool FellBack() const;
    // The most folders of the set watched at once; 0 (the default) leaves it to the system.
    size_t MaxWatches() const;
    void SetMaxWatches(size_t count);

    // Replaces the handler and restarts the watcher with the current path, set and options. An
    // empty handler, or a path that cannot be watched (a file, a missing folder) when there is
    // no folder set, leaves no watcher running. The handler gets the folders that changed,
    // sorted (without a set: the path).
    void SetOnFoldersChanged(FoldersHandler handler);
    // The same with a handler that is not told which folders changed.
    void SetOnChange(std::function<void()> handler);

    // True while a watcher thread holds a watch on the path or on a folder of the set.
    bool Watching() const;

  private:
    struct State;
    void Stop();

    std::shared_ptr<State> state_;
    std::thread watcher_;
};

}  // namespace kelvara::foldertree
