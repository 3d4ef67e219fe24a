#include <gtest/gtest.h>

#include <filesystem>

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
    std::filesystem::create_directory_symlink("img2", dir / "link");

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

TEST(FolderListing, LinksCountAsWhatTheyPointTo) {
    TempFolder dir;
    MakeFolder(dir / "target");
    Touch(dir / "file");
    MakeFolder(dir / "folder-link");
    std::filesystem::create_directory_symlink(dir / "target", dir / "folder-link/l");
    MakeFolder(dir / "file-link");
    std::filesystem::create_symlink(dir / "file", dir / "file-link/l");
    MakeFolder(dir / "dangling");
    std::filesystem::create_symlink(dir / "missing", dir / "dangling/l");

    EXPECT_TRUE(FolderHasItems(dir / "folder-link", otFolders));
    EXPECT_FALSE(FolderHasItems(dir / "folder-link", otNonFolders));
    EXPECT_FALSE(FolderHasItems(dir / "file-link", otFolders));
    EXPECT_TRUE(FolderHasItems(dir / "file-link", otNonFolders));
    // A link to nothing is no folder.
    EXPECT_FALSE(FolderHasItems(dir / "dangling", otFolders));
    EXPECT_TRUE(FolderHasItems(dir / "dangling", otNonFolders));
    EXPECT_EQ(Names(ListFolderItems(dir / "folder-link", otFolders)),
              (std::vector<std::string>{"l"}));
    EXPECT_TRUE(ListFolderItems(dir / "file-link", otFolders).empty());
}

}  // namespace
