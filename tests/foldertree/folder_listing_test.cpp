#include <gtest/gtest.h>
#include <unistd.h>

#include "foldertree/folder_file_operations.h"
#include "foldertree/folder_listing.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;

namespace {

std::vector<std::string> Names(const std::vector<FolderListEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    return names;
}

TEST(FolderListing, FoldersFirstThenFilesInNaturalOrderWithHiddenOnRequest) {
    TempFolder dir;
    for (const char* f : {"file10.js", "file2.js", "B.css", ".hidden", "a.txt"})
        Touch(dir / f);
    for (const char* d : {"img10", "img2", ".git"})
        MakeFolder(dir / d);
    ASSERT_EQ(symlink("img2", (dir / "link").c_str()), 0);

    const ObjectTypeSet all = otFolders | otNonFolders | otHidden;
    EXPECT_EQ(Names(ListFolderItems(dir.Path(), all)),
              (std::vector<std::string>{".git", "img2", "img10", "link", ".hidden", "a.txt",
                                        "B.css", "file2.js", "file10.js"}));
    EXPECT_EQ(Names(ListFolderItems(dir.Path(), otFolders | otNonFolders)),
              (std::vector<std::string>{"img2", "img10", "link", "a.txt", "B.css", "file2.js",
                                        "file10.js"}));
    EXPECT_EQ(Names(ListFolderItems(dir.Path(), otFolders)),
              (std::vector<std::string>{"img2", "img10", "link"}));
    EXPECT_TRUE(ListFolderItems(dir / "missing", all).empty());
}

TEST(FolderListing, HasItemsHonoursTheTypes) {
    TempFolder dir;
    MakeFolder(dir / "empty");
    MakeFolder(dir / "only-hidden");
    Touch(dir / "only-hidden/.rc");
    MakeFolder(dir / "only-files");
    Touch(dir / "only-files/a.txt");
    MakeFolder(dir / "nested/sub");

    const ObjectTypeSet all = otFolders | otNonFolders | otHidden;
    EXPECT_FALSE(FolderHasItems(dir / "empty", all));
    EXPECT_TRUE(FolderHasItems(dir / "only-hidden", all));
    EXPECT_FALSE(FolderHasItems(dir / "only-hidden", otFolders | otNonFolders));
    EXPECT_TRUE(FolderHasItems(dir / "only-files", otNonFolders));
    EXPECT_FALSE(FolderHasItems(dir / "only-files", otFolders));
    EXPECT_TRUE(FolderHasItems(dir / "nested", otFolders));
    EXPECT_FALSE(FolderHasItems(dir / "only-files/a.txt", all));
    EXPECT_FALSE(FolderHasItems(dir / "missing", all));
}

TEST(FolderListing, JoinPathDoesNotDoubleTheSeparator) {
    EXPECT_EQ(JoinPath("/", "usr"), "/usr");
    EXPECT_EQ(JoinPath("/tmp", "a"), "/tmp/a");
    EXPECT_EQ(JoinPath("/tmp/", "a"), "/tmp/a");
}

TEST(FolderFileOperations, RenameNeverReplacesAndRemoveTakesFoldersWhole) {
    TempFolder dir;
    kelvara::test::WriteFile(dir / "a.txt", "A");
    kelvara::test::WriteFile(dir / "b.txt", "B");
    EXPECT_FALSE(RenameWithoutReplacing(dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(kelvara::test::ReadFile(dir / "b.txt"), "B");
    EXPECT_TRUE(RenameWithoutReplacing(dir / "a.txt", dir / "c.txt"));
    EXPECT_EQ(kelvara::test::ReadFile(dir / "c.txt"), "A");

    MakeFolder(dir / "tree/deep/er");
    Touch(dir / "tree/deep/er/f");
    MakeFolder(dir / "target");
    Touch(dir / "target/keep");
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "tree/link").c_str()), 0);
    EXPECT_TRUE(RemovePath(dir / "tree"));
    EXPECT_FALSE(AnythingAt(dir / "tree"));
    // The link went, not what it pointed to.
    EXPECT_TRUE(AnythingAt(dir / "target/keep"));
}

}  // namespace
