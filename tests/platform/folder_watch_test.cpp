#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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

using kelvara::platform::FolderWatchAdd;
using Folders = std::vector<std::string>;

// Reads what is pending and gives the folders named, sorted.
Folders ChangedFolders(FolderWatch& watch) {
    Folders changed;
    watch.ReadChanges(changed);
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    return changed;
}

TEST(FolderWatchSet, NamesTheFoldersWhereChangesHappened) {
    TempFolder dir;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    WriteFile(dir / "file", "x");
    FolderWatch watch;
    EXPECT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kCannotWatch);  // not started
    ASSERT_TRUE(watch.Start(kNames));
    EXPECT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    EXPECT_EQ(watch.Add(dir / "b"), FolderWatchAdd::kAdded);
    EXPECT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    EXPECT_EQ(watch.Add(dir / "file"), FolderWatchAdd::kCannotWatch);
    EXPECT_EQ(watch.Add(dir / "missing"), FolderWatchAdd::kCannotWatch);
    EXPECT_EQ(watch.Folders(), (Folders{dir / "a", dir / "b"}));
    EXPECT_EQ(watch.WaitForChangesOrWakeUp(0), FolderWatchWait::kTimedOut);

    WriteFile(dir / "a/x", "x");
    WriteFile(dir / "a/y", "x");
    WriteFile(dir / "b/z", "x");
    WriteFile(dir / "outside", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_EQ(ChangedFolders(watch), (Folders{dir / "a", dir / "b"}));

    // A removed folder reports nothing more.
    watch.Remove(dir / "a");
    EXPECT_EQ(watch.Folders(), Folders{dir / "b"});
    WriteFile(dir / "a/later", "x");
    EXPECT_EQ(ChangedFolders(watch), Folders{});
}

TEST(FolderWatchSet, TheLimitRefusesFurtherFoldersAsTheSystemWould) {
    TempFolder dir;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(kNames));
    watch.SetLimit(1);
    EXPECT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    EXPECT_EQ(watch.Add(dir / "b"), FolderWatchAdd::kLimitReached);
    EXPECT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    watch.RemoveAll();
    EXPECT_EQ(watch.Count(), 0u);
    EXPECT_EQ(watch.Add(dir / "b"), FolderWatchAdd::kAdded);
}

TEST(FolderWatchSet, AFolderThatGoesIsNamedAndForgotten) {
    TempFolder dir, outside;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(kNames));
    ASSERT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    ASSERT_EQ(watch.Add(dir / "b"), FolderWatchAdd::kAdded);
    fs::remove(dir / "a");
    fs::rename(dir / "b", outside / "b");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_EQ(ChangedFolders(watch), (Folders{dir / "a", dir / "b"}));
    EXPECT_EQ(watch.Folders(), Folders{});
    // The folder moved away is no longer watched under any name.
    WriteFile(outside / "b/x", "x");
    EXPECT_FALSE(ChangesPending(watch));
}

TEST(FolderWatchSet, TwoPathsToOneFolderShareItsWatch) {
    TempFolder dir;
    fs::create_directories(dir / "a");
    fs::create_directory_symlink(dir / "a", dir / "link");
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(kNames));
    ASSERT_EQ(watch.Add(dir / "a"), FolderWatchAdd::kAdded);
    ASSERT_EQ(watch.Add(dir / "link"), FolderWatchAdd::kAdded);
    WriteFile(dir / "a/x", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_EQ(ChangedFolders(watch), (Folders{dir / "a", dir / "link"}));
    // Dropping one path keeps the watch for the other.
    watch.Remove(dir / "link");
    WriteFile(dir / "a/y", "x");
    ASSERT_TRUE(ChangesPending(watch));
    EXPECT_EQ(ChangedFolders(watch), Folders{dir / "a"});
}

}  // namespace
