// Free space is checked before writing, and a write that still fails leaves no partial file.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "platform/file_size_limit.h"
#include "platform/file_system.h"
#include "platform/tmpfs_mount.h"
#include "space_support.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::platform::TmpfsMount;
using kelvara::test::FileExists;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
namespace fs = std::filesystem;

constexpr uint64_t kMiB = 1024 * 1024;

struct Report {
    int id;
    std::string name;
    std::string text;  // as a reader sees it
};

void RecordReports(TZipExtractor& zip, std::vector<Report>& reports) {
    zip.OnError = [&reports](TArchiveCommon&, const std::string& name, int id,
                             const std::string& text1, const std::string& text2) {
        reports.push_back({id, name, FormatMessage(id, text1, text2)});
    };
}

TEST(Space, HonestGigabyteIntoSixtyFourMegabytesIsRefusedUpFront) {
    TempFolder dir;
    fs::create_directory(dir / "small");
    TmpfsMount mount(dir / "small", 64 * kMiB);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.Error();
    kelvara::test::WriteFile(dir / "big.zip", kelvara::test::ZeroArchive("big.bin", 1u << 30));

    TZipExtractor zip;
    std::vector<Report> reports;
    RecordReports(zip, reports);
    zip.SetArchiveFile(dir / "big.zip");
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir / "small/out");  // not there yet: measured through its parent
    EXPECT_EQ(zip.Extract(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, kMsgNotEnoughSpace);
    EXPECT_EQ(reports[0].name, dir / "small/out/");
    // Needed: the entry in whole 4 KiB blocks and a 64 KiB margin; available: all of it.
    EXPECT_EQ(reports[0].text,
              "Not enough free space: 1073807360 bytes needed, 67108864 available");
    EXPECT_TRUE(fs::is_empty(dir / "small"));
    EXPECT_EQ(zip.BytesWritten(), 0u);

    // What fits goes ahead.
    reports.clear();
    kelvara::test::WriteFile(dir / "fits.zip", kelvara::test::ZeroArchive("fits.bin", 8 * kMiB));
    zip.SetArchiveFile(dir / "fits.zip");
    EXPECT_EQ(zip.Extract(), 1);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(fs::file_size(dir / "small/out/fits.bin"), 8 * kMiB);
}

TEST(Space, DiskFilledMidFileRemovesThePartialFile) {
    TempFolder dir;
    fs::create_directory(dir / "small");
    TmpfsMount mount(dir / "small", 64 * kMiB);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.Error();
    kelvara::test::WriteFile(dir / "a.zip", kelvara::test::ZeroArchive("part.bin", 32 * kMiB));

    TZipExtractor zip;
    std::vector<Report> reports;
    RecordReports(zip, reports);
    zip.SetArchiveFile(dir / "a.zip");
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir / "small");
    // After the check, another program takes all but 4 MiB.
    zip.OnBegin = [&](TArchiveCommon&, const std::string&, bool&, int) {
        const uint64_t free = kelvara::platform::FreeSpace(dir / "small").value_or(0);
        kelvara::test::FillFile(dir / "small/other.dat", free - 4 * kMiB);
    };
    EXPECT_EQ(zip.Extract(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, kMsgDiskFull);
    EXPECT_FALSE(FileExists(dir / "small/part.bin"));
    EXPECT_TRUE(FileExists(dir / "small/other.dat"));  // what was on disk stays
}

TEST(Space, WriteFailureMidFileRemovesThePartialFileAndGoesOn) {
    TempFolder dir;
    kelvara::test::ZipEntrySpec big, small;
    big.name = "big.bin";
    big.data = std::string(3 * kMiB, 'b');
    small.name = "small.txt";
    small.data = "small";
    kelvara::test::WriteFile(dir / "a.zip", kelvara::test::BuildZipOf({big, small}));

    TZipExtractor zip;
    std::vector<Report> reports;
    RecordReports(zip, reports);
    zip.SetArchiveFile(dir / "a.zip");
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir / "out");
    int count = 0;
    {
        // The file-size cap makes writes fail part-way without root or a small file system.
        kelvara::platform::FileSizeLimit limit(kMiB);
        count = zip.Extract();
    }
    EXPECT_EQ(count, 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, kMsgErrorWritingFile);
    EXPECT_FALSE(FileExists(dir / "out/big.bin"));
    EXPECT_EQ(ReadFile(dir / "out/small.txt"), "small");
}

TEST(Space, FreeSpaceIsMeasuredThroughTheNearestExistingFolder) {
    TempFolder dir;
    const auto here = kelvara::platform::FreeSpace(dir.Path());
    ASSERT_TRUE(here.has_value());
    const auto below = kelvara::platform::FreeSpace(dir / "not/yet/there/");
    ASSERT_TRUE(below.has_value());
    // Other programs write meanwhile; the same file system gives about the same answer.
    EXPECT_LT(*below > *here ? *below - *here : *here - *below, 64 * kMiB);
    EXPECT_TRUE(kelvara::platform::FreeSpace("relative/folder").has_value());
}

}  // namespace
