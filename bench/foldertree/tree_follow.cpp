// The folder tree following another program that creates 10,000 files in a watched, expanded
// folder and then deletes them, with a file selected as in the viewer. Reported per burst: the
// window thread's CPU time until the tree shows the final state (the benchmark's time), the
// wall time from the burst's start and from its last change, and how many folder listings the
// tree read. Also the refresh of a folder of 10,000 entries after one change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "foldertree/folder_tree_view.h"
#include "testkit/temp_folder.h"
#include "testkit/test_sandbox.h"

namespace {

namespace test = kelvara::test;
using kelvara::foldertree::otFolders;
using kelvara::foldertree::otHidden;
using kelvara::foldertree::otNonFolders;
using kelvara::foldertree::TFolderTreeNode;
using kelvara::foldertree::TFolderTreeView;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 10000;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_foldertree";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    test::EnterSandbox();
    // Never destroyed: a static application torn down at exit runs after Qt's own statics.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TFolderTreeNode* ChildNamed(TFolderTreeNode* node, const QString& text) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == text)
            return static_cast<TFolderTreeNode*>(node->child(i));
    }
    return nullptr;
}

// A widget-like folder with a subfolder "burst" expanded and a file selected.
struct WatchedTree {
    explicit WatchedTree(bool autoRefresh) : root(dir / "pack") {
        std::filesystem::create_directories(root + "/burst");
        std::filesystem::create_directories(root + "/img");
        test::WriteFile(root + "/index.html", "<p>");
        test::WriteFile(root + "/burst/keep.js", "x");
        tree.SetObjectTypes(otFolders | otNonFolders | otHidden);
        tree.SetAutoRefresh(autoRefresh);
        tree.SetRoot(QString::fromStdString(root));
        burst = ChildNamed(tree.TopNode(), "burst");
        burst->setExpanded(true);
        tree.SetSelected(ChildNamed(tree.TopNode(), "index.html"));
    }

    test::TempFolder dir;
    const std::string root;
    TFolderTreeView tree;
    TFolderTreeNode* burst = nullptr;
};

// What one burst cost the window's thread.
struct BurstCost {
    double uiCpuMs = 0;
    double wallMs = 0;
    double afterLastChangeMs = 0;
    size_t listings = 0;
};

// Runs the event loop (sleeping between events) while change runs on another thread, until
// the tree shows what done() waits for.
BurstCost FollowBurst(WatchedTree& w, const std::function<void()>& change,
                      const std::function<bool()>& done) {
    BurstCost cost;
    const size_t listedBefore = w.tree.FoldersListed();
    const double cpuBefore = ThreadCpuMs();
    const Clock::time_point start = Clock::now();
    Clock::time_point changed{};
    QEventLoop loop;
    QObject::connect(&w.tree, &TFolderTreeView::ItemsChanged, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    giveUp.start(120000);
    std::thread other([&] {
        change();
        changed = Clock::now();
    });
    loop.exec();
    other.join();
    cost.uiCpuMs = ThreadCpuMs() - cpuBefore;
    cost.wallMs = MsSince(start);
    cost.afterLastChangeMs =
        std::chrono::duration<double, std::milli>(Clock::now() - changed).count();
    cost.listings = w.tree.FoldersListed() - listedBefore;
    return cost;
}

std::string BurstFile(const WatchedTree& w, int i) {
    return w.root + "/burst/f" + std::to_string(i) + ".js";
}

void BM_FollowBurst10000(benchmark::State& state) {
    App();
    WatchedTree w(true);
    const bool deleting = state.range(0) == 1;
    BurstCost total;
    for (auto _ : state) {
        state.PauseTiming();
        if (deleting) {
            // The files to delete, in place and shown before the burst.
            FollowBurst(
                w,
                [&] {
                    for (int i = 0; i < kFiles; ++i)
                        test::WriteFile(BurstFile(w, i), "x");
                },
                [&] { return w.burst->childCount() == kFiles + 1; });
        }
        state.ResumeTiming();
        const BurstCost cost = deleting ? FollowBurst(
                                              w,
                                              [&] {
                                                  for (int i = 0; i < kFiles; ++i)
                                                      std::filesystem::remove(BurstFile(w, i));
                                              },
                                              [&] { return w.burst->childCount() == 1; })
                                        : FollowBurst(
                                              w,
                                              [&] {
                                                  for (int i = 0; i < kFiles; ++i)
                                                      test::WriteFile(BurstFile(w, i), "x");
                                              },
                                              [&] { return w.burst->childCount() == kFiles + 1; });
        state.SetIterationTime(cost.uiCpuMs / 1e3);
        total.uiCpuMs += cost.uiCpuMs;
        total.wallMs += cost.wallMs;
        total.afterLastChangeMs += cost.afterLastChangeMs;
        total.listings += cost.listings;
        state.PauseTiming();
        if (!deleting) {
            for (int i = 0; i < kFiles; ++i)
                std::filesystem::remove(BurstFile(w, i));
            w.tree.RefreshNode(w.burst);
        }
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ui_cpu_ms"] = total.uiCpuMs / n;
    state.counters["wall_ms"] = total.wallMs / n;
    state.counters["after_last_change_ms"] = total.afterLastChangeMs / n;
    state.counters["listings"] = static_cast<double>(total.listings) / n;
}
// Arg 0: 10,000 files created; arg 1: 10,000 files deleted.
BENCHMARK(BM_FollowBurst10000)
    ->ArgName("delete")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Re-reading a shown folder of 10,000 files after one file came or went.
void BM_RefreshFolderOf10000(benchmark::State& state) {
    App();
    WatchedTree w(false);
    for (int i = 0; i < kFiles; ++i)
        test::WriteFile(BurstFile(w, i), "x");
    w.tree.RefreshNode(w.burst);
    const std::vector<std::string> folders{w.root + "/burst"};
    const std::string extra = w.root + "/burst/extra.js";
    bool present = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (present)
            std::filesystem::remove(extra);
        else
            test::WriteFile(extra, "x");
        present = !present;
        state.ResumeTiming();
        w.tree.RefreshFolders(folders);
    }
    state.counters["entries"] = w.burst->childCount();
}
BENCHMARK(BM_RefreshFolderOf10000)->Unit(benchmark::kMillisecond);

}  // namespace
