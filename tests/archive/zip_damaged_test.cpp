// Archives whose directory is missing, shifted, miscounted or pointing at garbage, and entries
// whose data or CRC do not fit their headers.
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
using kelvara::test::ReadFile;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
using kelvara::test::ZipEntrySpec;
using kelvara::test::ZipSpec;
namespace fs = std::filesystem;

ZipEntrySpec Stored(const std::string& name, const std::string& data = "data") {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

class Damaged : public testing::Test {
  protected:
    int Extract(const std::string& bytes) {
        kelvara::test::Prepare(zip_, dir_, bytes);
        kelvara::test::Record(zip_, rec_);
        return zip_.Extract();
    }
    std::string Out(const std::string& rel) const { return dir_ / ("out/" + rel); }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(Damaged, LongCommentHidesTheEndRecordSoLocalHeadersAreScanned) {
    ZipSpec spec;
    spec.entries = {Stored("a.txt", "A"), Stored("b.txt", "B")};
    spec.comment = std::string(40000, 'c');
    unsigned status = 0;
    zip_.OnCorruptZipHeader = [&](TArchiveCommon&, unsigned s, bool& cancel) {
        status = s;
        cancel = false;
    };
    EXPECT_EQ(Extract(BuildZip(spec)), 2);
    EXPECT_EQ(status, kLocalHeaderFound);
    EXPECT_EQ(ReadFile(Out("b.txt")), "B");
    // Leaving the cancel flag set extracts nothing.
    zip_.OnCorruptZipHeader = [](TArchiveCommon&, unsigned, bool&) {};
    EXPECT_EQ(zip_.Extract(), 0);
}

TEST_F(Damaged, LeadingZerosShiftEveryLocalHeader) {
    ZipSpec spec;
    spec.entries = {Stored("a.txt"), Stored("b.txt")};
    spec.prefix = std::string(3, '\0');
    EXPECT_EQ(Extract(BuildZip(spec)), 0);
    EXPECT_EQ(zip_.ArcType(), atZip);
    EXPECT_EQ(rec_.ErrorCount(kMsgBadFileHeader), 2);
    // The type is still told from the first non-zero bytes when the zeros fill the first read
    // of the file's start, or nearly do.
    for (size_t zeros : {61, 64, 100, 5000}) {
        spec.prefix = std::string(zeros, '\0');
        kelvara::test::Prepare(zip_, dir_, BuildZip(spec));
        EXPECT_EQ(zip_.ArcType(), atZip) << zeros;
    }
}

TEST_F(Damaged, WrongEntryCountIsIgnored) {
    ZipSpec spec;
    spec.entries = {Stored("a.txt"), Stored("b.txt"), Stored("c.txt")};
    spec.entryCountOverride = 1;
    EXPECT_EQ(Extract(BuildZip(spec)), 3);
}

TEST_F(Damaged, GarbageLocalOffsetSkipsOnlyThatEntry) {
    ZipSpec spec;
    spec.entries = {Stored("a.txt"), Stored("b.txt"), Stored("c.txt")};
    spec.entries[1].localOffsetOverride = 7;
    EXPECT_EQ(Extract(BuildZip(spec)), 2);
    ASSERT_EQ(rec_.errors.size(), 1u);
    EXPECT_EQ(rec_.errors[0],
              std::make_pair(static_cast<int>(kMsgBadFileHeader), std::string("b.txt")));
    EXPECT_TRUE(FileExists(Out("c.txt")));
}

TEST_F(Damaged, EmptyArchiveAndMissingOrForeignFiles) {
    EXPECT_EQ(Extract(BuildZip(ZipSpec{})), 0);
    EXPECT_TRUE(rec_.errors.empty());

    zip_.SetArchiveFile(dir_ / "missing.zip");
    EXPECT_EQ(zip_.ArchiveFile(), "");
    EXPECT_EQ(zip_.ArcType(), atNA);
    EXPECT_EQ(zip_.Extract(), 0);
    EXPECT_EQ(rec_.ErrorCount(kMsgFileNotFound), 1);

    EXPECT_EQ(Extract(std::string(5000, 'x')), 0);
    EXPECT_NE(zip_.ArcType(), atZip);
    EXPECT_FALSE(FileExists(Out("")));
}

TEST_F(Damaged, LongNameIsCutAndTheNextEntryStillRead) {
    const std::string longName = std::string(300, 'n');
    EXPECT_EQ(Extract(BuildZipOf({Stored(longName, "L"), Stored("next.txt", "N")})), 2);
    EXPECT_EQ(ReadFile(Out(std::string(255, 'n'))), "L");
    EXPECT_EQ(ReadFile(Out("next.txt")), "N");
}

TEST_F(Damaged, CrcMismatchIsWrittenCountedAndReported) {
    ZipEntrySpec bad = Stored("bad.txt", "payload");
    bad.computeCrc = false;
    bad.crc = 0x12345678;
    ZipEntrySpec complement = Stored("complement.txt", "payload");
    complement.computeCrc = false;
    complement.crc = kelvara::test::Crc32Of("payload") ^ 0xFFFFFFFFu;
    ZipEntrySpec empty = Stored("empty.txt", "");
    EXPECT_EQ(Extract(BuildZipOf({bad, complement, empty})), 3);
    EXPECT_EQ(ReadFile(Out("bad.txt")), "payload");
    ASSERT_EQ(rec_.ends.size(), 3u);
    EXPECT_FALSE(rec_.ends[0].second);
    EXPECT_TRUE(rec_.ends[1].second);
    EXPECT_TRUE(rec_.ends[2].second);
    EXPECT_EQ(fs::file_size(Out("empty.txt")), 0u);

    // Without OnEnd the failed check is reported instead; without any handler it is silent.
    zip_.OnEnd = nullptr;
    rec_.errors.clear();
    EXPECT_EQ(zip_.Extract(), 3);
    EXPECT_EQ(rec_.ErrorCount(kMsgFileFailsCrcCheck), 1);
}

TEST_F(Damaged, UnsupportedMethodGivesAnEmptyCountedFile) {
    ZipEntrySpec e = Stored("bz.txt", "compressed bytes");
    e.method = 12;
    EXPECT_EQ(Extract(BuildZipOf({e})), 1);
    EXPECT_EQ(rec_.ErrorCount(kMsgUnsupportedMethod), 1);
    EXPECT_EQ(fs::file_size(Out("bz.txt")), 0u);
    ASSERT_EQ(rec_.ends.size(), 1u);
    EXPECT_FALSE(rec_.ends[0].second);
}

TEST_F(Damaged, DeclaredSizesNeverDriveTheOutput) {
    ZipEntrySpec stored = Stored("stored.txt", "short");
    stored.sizeFromData = false;
    stored.uncompressedSize = 0xFFFFFFFF;
    ZipEntrySpec garbage = Stored("garbage.bin", std::string(3000, '\x5A'));
    garbage.method = 8;
    garbage.sizeFromData = false;
    garbage.uncompressedSize = 0xFFFFFFF0;
    std::string random;
    uint32_t seed = 1;
    for (int i = 0; i < 5000; ++i)
        random += static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    ZipEntrySpec noise = Stored("noise.bin", random);
    noise.method = 9;
    noise.sizeFromData = false;
    noise.uncompressedSize = 0xFFFFFFF0;
    EXPECT_EQ(Extract(BuildZipOf({stored, garbage, noise})), 3);
    EXPECT_EQ(ReadFile(Out("stored.txt")), "short");
    EXPECT_LT(fs::file_size(Out("garbage.bin")), 1u << 20);
    EXPECT_LT(fs::file_size(Out("noise.bin")), 1u << 20);
}

TEST_F(Damaged, TruncatedArchivesEndQuietly) {
    const std::string whole = ReadFile(TestData("zip/info_deflate9.zip"));
    for (size_t cut : {size_t{100}, size_t{3000}, size_t{7000}, whole.size() - 30}) {
        rec_ = Recorded{};
        Extract(whole.substr(0, cut));
    }
    // Cut inside the Deflate data of an entry whose directory is intact.
    std::string damaged = whole;
    const size_t text = damaged.find("text.txt");
    for (size_t i = text + 200; i < text + 4200; ++i)
        damaged[i] = static_cast<char>(i * 31);
    rec_ = Recorded{};
    EXPECT_EQ(Extract(damaged), 5);
    bool failed = false;
    for (const auto& [path, passed] : rec_.ends)
        failed |= path.find("text.txt") != std::string::npos && !passed;
    EXPECT_TRUE(failed);
}

}  // namespace

namespace {

// Scrambled headers and volume sets are not taken as ZIP archives.
TEST_F(Damaged, ScrambledArchivesAndVolumeSetsAreRefused) {
    std::string scrambled = kelvara::test::BuildZipOf({Stored("a.txt")});
    for (size_t at = scrambled.find("PK"); at != std::string::npos;
         at = scrambled.find("PK", at + 1)) {
        scrambled[at + 1] = 'L';
    }
    EXPECT_EQ(Extract(scrambled), 0);
    EXPECT_NE(zip_.ArcType(), atZip);

    std::string volume = kelvara::test::BuildZipOf({Stored("a.txt")});
    volume[volume.size() - 22 + 4] = 1;  // end record: this is disk 1
    EXPECT_EQ(Extract(volume), 0);
    EXPECT_EQ(zip_.ArcType(), atZipMV);
    EXPECT_FALSE(FileExists(Out("a.txt")));
}

}  // namespace
