// Archives whose entries share bytes with one another or with the central directory: refused as
// a whole before anything is written (files in tests/data/zip/hostile, made by make_hostile.py).
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "archive/zip_directory.h"
#include "extract_helpers.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::FileExists;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
namespace fs = std::filesystem;

class Bomb : public testing::Test {
  protected:
    // Extracts a hostile sample with the given masks and returns the count.
    int Extract(const std::string& sample, std::vector<std::string> masks = {"*.*"}) {
        zip_.SetArchiveFile(TestData("zip/hostile/" + sample));
        zip_.FileSpec = std::move(masks);
        zip_.SetExtractDir(dir_ / "out");
        kelvara::test::Record(zip_, rec_);
        return zip_.Extract();
    }
    // The run was refused: one 26897 report naming the archive, and no file or folder made.
    void ExpectRefused(const std::string& sample) {
        ASSERT_EQ(rec_.errors.size(), 1u);
        EXPECT_EQ(rec_.errors[0].first, kMsgOverlappingEntries);
        EXPECT_EQ(rec_.errors[0].second, TestData("zip/hostile/" + sample));
        EXPECT_TRUE(rec_.ends.empty());
        EXPECT_FALSE(FileExists(dir_ / "out"));
        EXPECT_EQ(zip_.BytesWritten(), 0u);
    }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(Bomb, OverlappingDeflateStreamsAreRefusedWhole) {
    // 1,000 entries of about 10.5 MB each over one shared stream, in a 107 kB file.
    EXPECT_EQ(Extract("overlap_bomb.zip"), 0);
    ExpectRefused("overlap_bomb.zip");
    EXPECT_EQ(zip_.List().size(), 1000u);  // listing it is harmless

    // Selecting a single entry does not make the archive acceptable.
    rec_ = Recorded{};
    EXPECT_EQ(Extract("overlap_bomb.zip", {"f500.txt"}), 0);
    ExpectRefused("overlap_bomb.zip");
}

TEST_F(Bomb, EntriesSharingOneLocalHeaderAreRefused) {
    EXPECT_EQ(Extract("shared_header.zip"), 0);
    ExpectRefused("shared_header.zip");
}

TEST_F(Bomb, DataRunningIntoTheCentralDirectoryIsRefused) {
    EXPECT_EQ(Extract("data_into_directory.zip"), 0);
    ExpectRefused("data_into_directory.zip");
}

TEST_F(Bomb, LocalHeaderHiddenInTheCentralDirectoryIsRefused) {
    EXPECT_EQ(Extract("header_in_directory.zip"), 0);
    ExpectRefused("header_in_directory.zip");
}

TEST_F(Bomb, RefusalDuringCancelStillWritesNothing) {
    // An OnError handler that cancels: the fatal report is not raised, the walk still stops.
    zip_.SetArchiveFile(TestData("zip/hostile/shared_header.zip"));
    zip_.FileSpec = {"*.*"};
    zip_.SetExtractDir(dir_ / "out");
    int reports = 0;
    zip_.OnError = [&](TArchiveCommon& sender, const std::string&, int, const std::string&,
                       const std::string&) {
        ++reports;
        sender.SetCancel(true);
    };
    EXPECT_EQ(zip_.Extract(), 0);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(FileExists(dir_ / "out"));
}

TEST(ByteRanges, OnlySharedBytesOverlap) {
    std::vector<ByteRange> touching = {{30, 60}, {0, 30}, {60, 61}};
    EXPECT_FALSE(AnyOverlap(touching));
    std::vector<ByteRange> nested = {{0, 100}, {200, 300}, {40, 50}};
    EXPECT_TRUE(AnyOverlap(nested));
    std::vector<ByteRange> same = {{10, 40}, {10, 40}};
    EXPECT_TRUE(AnyOverlap(same));
    // A later range overlapping an earlier long one past a short one in between.
    std::vector<ByteRange> reach = {{0, 100}, {10, 20}, {99, 120}};
    EXPECT_TRUE(AnyOverlap(reach));
    std::vector<ByteRange> empty = {{5, 5}, {0, 10}};
    EXPECT_FALSE(AnyOverlap(empty));
}

TEST(ByteRanges, OrdinaryArchivesAreNotTakenForBombs) {
    // Directory after the data, data descriptors, zip64 extras and out-of-order offsets.
    for (const char* sample : {"info_pipe.zip", "info_zip64.zip", "7z_deflate64.zip",
                               "info_encrypted_pipe.zip", "legacy/moby-imploded.zip"}) {
        TempFolder dir;
        TZipExtractor zip;
        Recorded rec;
        kelvara::test::Record(zip, rec);
        zip.SetArchiveFile(TestData(std::string("zip/") + sample));
        zip.FileSpec = {"*.*"};
        zip.Passwords = {"secret"};
        zip.SetExtractDir(dir / "out");
        EXPECT_GT(zip.Extract(), 0) << sample;
        EXPECT_EQ(rec.ErrorCount(kMsgOverlappingEntries), 0) << sample;
    }
}

}  // namespace
