#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foldertree/folder_change_notifier.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;
using kelvara::test::WaitUntil;

namespace fs = std::filesystem;

namespace {

TEST(FolderChangeNotifier, RunsTheHandlerOnTheUiThreadForANewFile) {
    TempFolder dir;
    TFolderChangeNotifier notifier;
    notifier.SetPath(dir.Path());
    notifier.SetWatchSubtree(false);
    int calls = 0;
    bool onUiThread = false;
    notifier.SetOnChange([&] {
        ++calls;
        onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    ASSERT_TRUE(notifier.Watching());
    Touch(dir / "new.txt");
    EXPECT_TRUE(WaitUntil([&] { return calls > 0; }));
    EXPECT_TRUE(onUiThread);

    // Folder names count too, and the watcher keeps going after a delivery.
    const int before = calls;
    MakeFolder(dir / "sub");
    EXPECT_TRUE(WaitUntil([&] { return calls > before; }));
}

TEST(FolderChangeNotifier, PathsThatCannotBeWatchedLeaveNoWatcher) {
    TempFolder dir;
    Touch(dir / "file.txt");
    for (const std::string& path : {dir / "file.txt", dir / "missing"}) {
        TFolderChangeNotifier notifier;
        notifier.SetPath(path);
        notifier.SetOnChange([] {});
        EXPECT_FALSE(notifier.Watching()) << path;
    }
}

TEST(FolderChangeNotifier, SubtreeWatchSeesNewAndExistingSubfolders) {
    TempFolder dir;
    MakeFolder(dir / "old/deeper");
    TFolderChangeNotifier notifier;
    notifier.SetPath(dir.Path());
    int calls = 0;
    notifier.SetOnChange([&] { ++calls; });
    Touch(dir / "old/deeper/a");
    ASSERT_TRUE(WaitUntil([&] { return calls > 0; }));

    MakeFolder(dir / "fresh");
    ASSERT_TRUE(WaitUntil([&] { return calls > 1; }));
    const int before = calls;
    Touch(dir / "fresh/b");
    EXPECT_TRUE(WaitUntil([&] { return calls > before; }));
}

TEST(FolderChangeNotifier, FiltersSelectTheKindOfChange) {
    TempFolder dir;
    Touch(dir / "f");
    TFolderChangeNotifier notifier;
    notifier.SetPath(dir.Path());
    notifier.SetNotifyFilters(nfAttributeChange);
    int calls = 0;
    notifier.SetOnChange([&] { ++calls; });
    std::filesystem::permissions(
        dir / "f", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(WaitUntil([&] { return calls > 0; }));
}

TEST(FolderChangeNotifier, DeletingTheWatchedFolderEndsTheWatcher) {
    TempFolder dir;
    MakeFolder(dir / "sub");
    TFolderChangeNotifier notifier;
    notifier.SetPath(dir / "sub");
    int calls = 0;
    notifier.SetOnChange([&] { ++calls; });
    ASSERT_TRUE(notifier.Watching());
    std::filesystem::remove(dir / "sub");
    EXPECT_TRUE(WaitUntil([&] { return !notifier.Watching(); }));
    // The loss itself is handed over as a change.
    EXPECT_TRUE(WaitUntil([&] { return calls >= 1; }));
}

TEST(FolderChangeNotifier, ChangingThePathWhileRunningMovesTheWatch) {
    TempFolder first, second;
    TFolderChangeNotifier notifier;
    notifier.SetPath(first.Path());
    int calls = 0;
    notifier.SetOnChange([&] { ++calls; });
    notifier.SetPath(second.Path());
    // The watcher moves on its own thread; keep creating files until one is seen there.
    int created = 0;
    EXPECT_TRUE(WaitUntil([&] {
        if (calls == 0) {
            std::string name = "x";
            name += std::to_string(++created);  // (a + b here trips a false -Wrestrict)
            Touch(second / name);
        }
        return calls > 0;
    }));
}

TEST(FolderChangeNotifier, DestroyingWithADeliveryPendingNeitherBlocksNorCalls) {
    TempFolder dir;
    auto calls = std::make_shared<std::atomic<int>>(0);
    {
        TFolderChangeNotifier notifier;
        notifier.SetPath(dir.Path());
        notifier.SetOnChange([calls] { ++*calls; });
        Touch(dir / "a");
        // Let the watcher queue its delivery; the event loop does not run meanwhile.
        QThread::msleep(200);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(*calls, 0);
}

TEST(FolderChangeNotifier, TheHandlerMayDestroyItsOwnNotifier) {
    TempFolder dir;
    auto notifier = std::make_unique<TFolderChangeNotifier>();
    notifier->SetPath(dir.Path());
    bool ran = false;
    notifier->SetOnChange([&] {
        ran = true;
        notifier.reset();
    });
    Touch(dir / "a");
    EXPECT_TRUE(WaitUntil([&] { return ran; }));
    EXPECT_EQ(notifier, nullptr);
}

// A notifier over a folder set, recording what each delivery names.
class FolderSetNotifierTest : public ::testing::Test {
  protected:
    using Folders = std::vector<std::string>;

    FolderSetNotifierTest() {
        for (const char* name : {"a", "b", "c"})
            MakeFolder(dir / name);
    }

    void Start(Folders folders) {
        notifier.SetFolders(std::move(folders));
        notifier.SetOnFoldersChanged(
            [this](const std::vector<std::string>& changed) { deliveries.push_back(changed); });
    }
    bool WaitForDeliveries(size_t count) {
        return WaitUntil([&] { return deliveries.size() >= count; });
    }

    TempFolder dir;
    TFolderChangeNotifier notifier;
    std::vector<Folders> deliveries;
};

TEST_F(FolderSetNotifierTest, EachChangedFolderIsNamedOnceAndUnwatchedOnesNever) {
    Start({dir.Path(), dir / "b", dir / "a", dir / "a"});
    EXPECT_TRUE(notifier.Watching());
    EXPECT_EQ(notifier.WatchedFolders(), (Folders{dir.Path(), dir / "a", dir / "b"}));
    Touch(dir / "a/x");
    Touch(dir / "a/y");
    MakeFolder(dir / "b/z");
    Touch(dir / "c/unwatched");
    ASSERT_TRUE(WaitForDeliveries(1));
    EXPECT_EQ(deliveries[0], (Folders{dir / "a", dir / "b"}));

    Touch(dir / "c/again");
    Touch(dir / "top");
    ASSERT_TRUE(WaitForDeliveries(2));
    EXPECT_EQ(deliveries[1], Folders{dir.Path()});
}

TEST_F(FolderSetNotifierTest, AFolderLeftOutOfTheSetLosesItsWatchAtOnce) {
    Start({dir.Path(), dir / "a"});
    notifier.SetFolders({dir.Path()});
    EXPECT_EQ(notifier.WatchedFolders(), Folders{dir.Path()});
    Touch(dir / "a/x");
    Touch(dir / "top");
    ASSERT_TRUE(WaitForDeliveries(1));
    EXPECT_EQ(deliveries[0], Folders{dir.Path()});
}

TEST_F(FolderSetNotifierTest, AFolderThatGoesIsNamedAndUnwatchedUntilGivenAgain) {
    TempFolder outside;
    Start({dir / "a", dir / "b"});
    fs::remove(dir / "a");
    fs::rename(dir / "b", outside / "b");
    EXPECT_TRUE(WaitUntil([&] { return notifier.WatchedFolders().empty(); }));
    ASSERT_TRUE(WaitForDeliveries(1));
    std::set<std::string> named;
    for (const auto& delivery : deliveries)
        named.insert(delivery.begin(), delivery.end());
    EXPECT_EQ(named, (std::set<std::string>{dir / "a", dir / "b"}));
    // Still running: the set given again takes what exists now, without complaint.
    EXPECT_FALSE(notifier.Watching());
    MakeFolder(dir / "a");
    notifier.SetFolders({dir / "a", dir / "b"});
    EXPECT_EQ(notifier.WatchedFolders(), Folders{dir / "a"});
    const size_t before = deliveries.size();
    Touch(dir / "a/back");
    ASSERT_TRUE(WaitForDeliveries(before + 1));
    EXPECT_EQ(deliveries.back(), Folders{dir / "a"});
}

TEST_F(FolderSetNotifierTest, RunningOutOfWatchesFallsBackToThePath) {
    Touch(dir / "file");
    notifier.SetMaxWatches(2);
    notifier.SetPath(dir / "a");
    Start({dir.Path(), dir / "a", dir / "b"});
    EXPECT_TRUE(notifier.FellBack());
    EXPECT_EQ(notifier.WatchedFolders(), Folders{dir / "a"});
    Touch(dir / "a/x");
    Touch(dir / "b/unwatched");
    ASSERT_TRUE(WaitForDeliveries(1));
    EXPECT_EQ(deliveries[0], Folders{dir / "a"});

    // The same set is not tried again; the fallback follows the path, a file watching nothing.
    notifier.SetFolders({dir.Path(), dir / "a", dir / "b"});
    EXPECT_TRUE(notifier.FellBack());
    notifier.SetPath(dir / "file");
    EXPECT_EQ(notifier.WatchedFolders(), Folders{});
    EXPECT_FALSE(notifier.Watching());

    // A set that fits is watched in full again.
    notifier.SetFolders({dir.Path(), dir / "b"});
    EXPECT_FALSE(notifier.FellBack());
    EXPECT_EQ(notifier.WatchedFolders(), (Folders{dir.Path(), dir / "b"}));
    // So is the first one once the limit is raised.
    notifier.SetFolders({dir.Path(), dir / "a", dir / "b"});
    EXPECT_TRUE(notifier.FellBack());
    notifier.SetMaxWatches(0);
    EXPECT_FALSE(notifier.FellBack());
    EXPECT_EQ(notifier.WatchedFolders().size(), 3u);
}

TEST_F(FolderSetNotifierTest, ABurstIsHandedOverOnce) {
    Start({dir / "a", dir / "b"});
    // Made while the user-interface thread runs no events, as when it is busy.
    for (int i = 0; i < 2000; ++i)
        Touch(dir / ("a/f" + std::to_string(i)));
    ASSERT_TRUE(WaitForDeliveries(1));
    // Had part of the burst been left over, it would come with the marker.
    Touch(dir / "b/marker");
    ASSERT_TRUE(WaitForDeliveries(2));
    EXPECT_EQ(deliveries[0], Folders{dir / "a"});
    EXPECT_EQ(deliveries[1], Folders{dir / "b"});
}

}  // namespace
