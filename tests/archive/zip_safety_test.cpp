// Nothing is ever written outside the target folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZip;
using kelvara::test::BuildZipOf;
using kelvara::test::FileExists;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::ZipEntrySpec;
using kelvara::test::ZipSpec;
namespace fs = std::filesystem;

ZipEntrySpec Stored(const std::string& name) {
    ZipEntrySpec e;
    e.name = name;
    e.data = "evil";
    return e;
}

int CountFiles(const std::string& dir) {
    int n = 0;
    for (const auto& item : fs::recursive_directory_iterator(dir))
        n += item.is_regular_file();
    return n;
}

TEST(Safety, ParentComponentsAreRefused) {
    TempFolder dir;
    TZipExtractor zip;
    Recorded rec;
    kelvara::test::Record(zip, rec);
    fs::create_directories(dir / "deep/target");
    kelvara::test::WriteFile(
        dir / "a.zip",
        BuildZipOf({Stored("../up.txt"), Stored("a/../../up2.txt"), Stored("..\\..\\up3.txt"),
                    Stored("C:..\\up4.txt"), Stored("/../up5.txt"), Stored("x/.."),
                    Stored("ok/..a.txt"), Stored(std::string("a\0b.txt", 7))}));
    zip.SetArchiveFile(dir / "a.zip");
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir / "deep/target");
    EXPECT_EQ(zip.Extract(), 1);
    EXPECT_EQ(rec.ErrorCount(kMsgUnsafeEntryPath), 7);
    EXPECT_TRUE(FileExists(dir / "deep/target/ok/..a.txt"));
    EXPECT_EQ(CountFiles(dir.Path()), 2);  // the archive and the one safe entry
}

TEST(Safety, SymbolicLinksOnTheWayAreNotFollowed) {
    TempFolder dir;
    fs::create_directories(dir / "target");
    fs::create_directories(dir / "outside");
    fs::create_directory_symlink(dir / "outside", dir / "target/link");
    fs::create_symlink(dir / "outside/victim.txt", dir / "target/file.txt");
    kelvara::test::WriteFile(dir / "outside/victim.txt", "untouched");

    TZipExtractor zip;
    Recorded rec;
    kelvara::test::Record(zip, rec);
    kelvara::test::WriteFile(dir / "a.zip", BuildZipOf({Stored("link/x.txt"), Stored("file.txt")}));
    zip.SetArchiveFile(dir / "a.zip");
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir / "target");
    EXPECT_EQ(zip.Extract(), 1);
    EXPECT_EQ(rec.ErrorCount(kMsgUnsafeEntryPath), 1);
    EXPECT_FALSE(FileExists(dir / "outside/x.txt"));
    // A link in place of the output file itself is replaced by a plain file.
    EXPECT_EQ(kelvara::test::ReadFile(dir / "outside/victim.txt"), "untouched");
    EXPECT_FALSE(fs::is_symlink(dir / "target/file.txt"));
    EXPECT_EQ(kelvara::test::ReadFile(dir / "target/file.txt"), "evil");
}

}  // namespace
