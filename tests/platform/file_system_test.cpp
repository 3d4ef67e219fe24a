#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "testkit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using kelvara::platform::ListedType;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;
namespace platform = kelvara::platform;

TEST(FileSystem, JoinPathDoesNotDoubleTheSeparator) {
    EXPECT_EQ(platform::JoinPath("/", "usr"), "/usr");
    EXPECT_EQ(platform::JoinPath("/tmp", "a"), "/tmp/a");
    EXPECT_EQ(platform::JoinPath("/tmp/", "a"), "/tmp/a");
}

TEST(FileSystem, RenameNeverReplacesAndRemoveTakesFoldersWhole) {
    TempFolder dir;
    WriteFile(dir / "a.txt", "A");
    WriteFile(dir / "b.txt", "B");
    EXPECT_FALSE(platform::RenameWithoutReplacing(dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(ReadFile(dir / "b.txt"), "B");
    EXPECT_TRUE(platform::RenameWithoutReplacing(dir / "a.txt", dir / "c.txt"));
    EXPECT_EQ(ReadFile(dir / "c.txt"), "A");

    fs::create_directories(dir / "tree/deep/er");
    WriteFile(dir / "tree/deep/er/f", "x");
    fs::create_directories(dir / "target");
    WriteFile(dir / "target/keep", "x");
    fs::create_directory_symlink(dir / "target", dir / "tree/link");
    EXPECT_TRUE(platform::RemoveWithContents(dir / "tree"));
    EXPECT_FALSE(platform::AnythingAt(dir / "tree"));
    // The link went, not what it pointed to.
    EXPECT_TRUE(platform::AnythingAt(dir / "target/keep"));
}

TEST(FileSystem, AnythingAtSeesDanglingLinksThatPathExistsDoesNot) {
    TempFolder dir;
    fs::create_symlink(dir / "missing", dir / "dangling");
    EXPECT_TRUE(platform::AnythingAt(dir / "dangling"));
    EXPECT_FALSE(platform::PathExists(dir / "dangling"));
    EXPECT_FALSE(platform::AnythingAt(dir / "missing"));
}

TEST(FileSystem, VisitingAFolderTellsTypesWithoutFollowingLinksAndStopsWhenAsked) {
    TempFolder dir;
    fs::create_directories(dir / "sub");
    WriteFile(dir / "file", "x");
    fs::create_directory_symlink(dir / "sub", dir / "link");

    std::vector<std::pair<std::string, ListedType>> seen;
    EXPECT_TRUE(
        platform::VisitFolderEntries(dir.Path(), [&](const std::string& name, ListedType type) {
            seen.emplace_back(name, type);
            return true;
        }));
    std::sort(seen.begin(), seen.end());
    // A file system that leaves the type open reports kUnknown; tmpfs and ext4 tell it.
    const auto typeOr = [](ListedType type, ListedType listed) {
        return listed == ListedType::kUnknown ? ListedType::kUnknown : type;
    };
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, "file");
    EXPECT_EQ(seen[0].second, typeOr(ListedType::kOther, seen[0].second));
    EXPECT_EQ(seen[1].first, "link");
    EXPECT_EQ(seen[1].second, typeOr(ListedType::kSymbolicLink, seen[1].second));
    EXPECT_EQ(seen[2].first, "sub");
    EXPECT_EQ(seen[2].second, typeOr(ListedType::kFolder, seen[2].second));

    int visits = 0;
    EXPECT_TRUE(platform::VisitFolderEntries(dir.Path(), [&](const std::string&, ListedType) {
        ++visits;
        return false;
    }));
    EXPECT_EQ(visits, 1);

    EXPECT_FALSE(platform::VisitFolderEntries(dir / "missing",
                                              [](const std::string&, ListedType) { return true; }));
    EXPECT_FALSE(platform::VisitFolderEntries(dir / "file",
                                              [](const std::string&, ListedType) { return true; }));

    // The full listing follows the link.
    auto entries = platform::ListFolder(dir.Path());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[0].size, 1u);
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_TRUE(entries[2].isDirectory);

    // A listing of the names asked for looks up those alone, following links too.
    WriteFile(dir / "other", "abc");
    std::vector<std::string> asked;
    auto chosen = platform::ListFolderMatching(dir.Path(), [&](const std::string& name) {
        asked.push_back(name);
        return name != "sub";
    });
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"file", "link", "other", "sub"}));
    std::sort(chosen.begin(), chosen.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(chosen.size(), 3u);
    EXPECT_EQ(chosen[0].name, "file");
    EXPECT_FALSE(chosen[0].isDirectory);
    EXPECT_EQ(chosen[0].size, 1u);
    EXPECT_EQ(chosen[0].modified, platform::FileModified(dir / "file"));
    EXPECT_TRUE(chosen[1].isDirectory);
    EXPECT_EQ(chosen[2].size, 3u);
    EXPECT_TRUE(platform::ListFolderMatching(dir / "missing", [](const std::string&) {
                    return true;
                }).empty());
}

}  // namespace
