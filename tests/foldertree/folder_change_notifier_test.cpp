#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <memory>

#include "foldertree/folder_change_notifier.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;
using kelvara::test::WaitUntil;

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

}  // namespace
