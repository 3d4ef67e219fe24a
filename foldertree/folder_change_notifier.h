// Watches a folder on a thread of its own and runs a change handler on the user-interface
// thread whenever something in it changes. The watcher waits until the handler has finished
// before it looks for further changes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "foldertree/folder_notify_filters.h"

namespace kelvara::foldertree {

class TFolderChangeNotifier {
  public:
    // Must be created, used and destroyed on the user-interface thread (the thread of the
    // QCoreApplication), which is where OnChange runs.
    TFolderChangeNotifier();
    // Stops the watcher and waits for it; a change handler still queued is dropped.
    ~TFolderChangeNotifier();
    TFolderChangeNotifier(const TFolderChangeNotifier&) = delete;
    TFolderChangeNotifier& operator=(const TFolderChangeNotifier&) = delete;

    // Changing these while the watcher runs makes it watch afresh with the new values.
    std::string Path() const;
    void SetPath(const std::string& path);
    bool WatchSubtree() const;
    void SetWatchSubtree(bool on);
    NotifyFilterSet NotifyFilters() const;
    void SetNotifyFilters(NotifyFilterSet filters);

    // Replaces the handler and restarts the watcher with the current path and options. An
    // empty handler, or a path that cannot be watched (a file, a missing folder), leaves no
    // watcher running.
    void SetOnChange(std::function<void()> handler);

    // True while a watcher thread holds a watch on the path.
    bool Watching() const;

  private:
    struct State;
    void Stop();

    std::shared_ptr<State> state_;
    std::thread watcher_;
};

}  // namespace kelvara::foldertree
