#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/folder_watch.h"
#include "testkit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using kelvara::platform::FolderChangeKinds;
using kelvara::platform::FolderWatch;
using kelvara::platform::FolderWatchWait;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;

constexpr FolderChangeKinds kNames{.fileNames = true, .folderNames = true};

// Whether events are waiting, without blocking: a wake-up sent first ends the wait at once
// when there are none. (inotify queues an event before the call that caused it returns.)
bool ChangesPending(FolderWatch& watch) {
    watch.WakeUp();
    return watch.WaitForChangesOrWakeUp() == FolderWatchWait::kChangesPending;
}

TEST(FolderWatch, AWakeUpFromAnotherThreadEndsTheWait) {
    TempFolder dir;
    FolderWatch watch;
    ASSERT_TRUE(watch.CanWakeUp());
    ASSERT_TRUE(watch.Open(dir.Path(), false, kNames));
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        watch.WakeUp();
    });
    EXPECT_EQ(watch.WaitForChangesOrWakeUp(), FolderWatchWait::kWokenUp);
    waker.join();
    // The wake-up was used up: nothing is pending now.
    EXPECT_FALSE(ChangesPending(watch));
}

TEST(FolderWatch, FilesAndMissingPathsCannotBeWatched) {
    TempFolder dir;
    WriteFile(dir / "file", "x");
    FolderWatch watch;
    EXPECT_FALSE(watch.Open(dir / "file", false, kNames));
    EXPECT_FALSE(watch.Open(dir / "missing", true, kNames));
    EXPECT_TRUE(watch.Open(dir.Path(), true, kNames));
}

TEST(FolderWatch, OnlyTheKindsAskedForCount) {
    TempFolder dir;
    FolderWatch watch;
    ASSERT_TRUE(watch.Open(dir.Path(), false, FolderChangeKinds{.fileNames = true}));
    fs::create_directory(dir / "sub");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_FALSE(watch.ReadChanges());
    WriteFile(dir / "new", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());
    EXPECT_FALSE(ChangesPending(watch));

    ASSERT_TRUE(watch.Open(dir.Path(), false, FolderChangeKinds{.attributes = true}));
    fs::permissions(dir / "new", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());
    EXPECT_FALSE(watch.Lost());
}

TEST(FolderWatch, ASubtreeWatchTakesNewFoldersAndDoesNotFollowLinks) {
    TempFolder dir;
    fs::create_directories(dir / "a");
    // A link back to the top: followed, it would never end.
    fs::create_directory_symlink(dir.Path(), dir / "a/loop");
    FolderWatch watch;
    ASSERT_TRUE(watch.Open(dir.Path(), true, kNames));
    WriteFile(dir / "a/f", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());

    fs::create_directory(dir / "fresh");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());
    WriteFile(dir / "fresh/g", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());
}

TEST(FolderWatch, TheWatchIsLostWithItsFolder) {
    TempFolder dir;
    fs::create_directory(dir / "sub");
    FolderWatch watch;
    ASSERT_TRUE(watch.Open(dir / "sub", false, kNames));
    fs::remove(dir / "sub");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_TRUE(watch.ReadChanges());
    EXPECT_TRUE(watch.Lost());
}

}  // namespace
