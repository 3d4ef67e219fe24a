// ExtractToMemory: one entry by its exact name, decoded into memory, nothing written to disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "space_support.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZipOf;
using kelvara::test::ReadFile;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
using kelvara::test::ZipEntrySpec;
using Status = TMemoryEntry::Status;
namespace fs = std::filesystem;

ZipEntrySpec Stored(const std::string& name, const std::string& data) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

std::string AsText(const TMemoryEntry& entry) {
    return std::string(entry.data.begin(), entry.data.end());
}

class Memory : public testing::Test {
  protected:
    void Use(const std::string& bytes) {
        kelvara::test::WriteFile(dir_ / "a.zip", bytes);
        zip_.SetArchiveFile(dir_ / "a.zip");
        kelvara::test::Record(zip_, rec_, false);
    }
    // Only the archive itself is in the folder: nothing was extracted to disk.
    bool NothingWritten() const {
        int n = 0;
        for (const auto& item : fs::recursive_directory_iterator(dir_.Path()))
            n += item.path().filename() != "a.zip";
        return n == 0;
    }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(Memory, TakesOnlyTheRootEntryOfTheExactName) {
    Use(BuildZipOf({Stored("x/config.xml", "sub"), Stored("config.xml", "<root/>"),
                    Stored("Config.XML", "other case")}));
    const TMemoryEntry found = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(found.status, Status::kOk);
    EXPECT_EQ(found.messageId, 0);
    EXPECT_EQ(found.message, "");
    EXPECT_EQ(AsText(found), "<root/>");
    EXPECT_TRUE(NothingWritten());
    EXPECT_TRUE(rec_.errors.empty());
    // FileSpec is neither used nor changed.
    EXPECT_TRUE(zip_.FileSpec.empty());
}

TEST_F(Memory, SubFolderEntryIsNotTakenForTheRootOne) {
    Use(BuildZipOf({Stored("x/config.xml", "sub"), Stored("icon.png", "png")}));
    const TMemoryEntry missing = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(missing.status, Status::kMissing);
    EXPECT_TRUE(missing.data.empty());
    EXPECT_EQ(zip_.ExtractToMemory("nothing.xml", 1 << 20).status, Status::kMissing);
    EXPECT_EQ(zip_.ExtractToMemory("", 1 << 20).status, Status::kMissing);
    EXPECT_EQ(AsText(zip_.ExtractToMemory("x/config.xml", 1 << 20)), "sub");
}

TEST_F(Memory, TheLastEntryOfTheNameWins) {
    Use(BuildZipOf({Stored("config.xml", "first"), Stored("config.xml", "second")}));
    EXPECT_EQ(AsText(zip_.ExtractToMemory("config.xml", 1 << 20)), "second");
}

TEST_F(Memory, DeclaredSizeAboveTheCapIsNotDecoded) {
    Use(BuildZipOf({Stored("config.xml", std::string(100, 'c'))}));
    const TMemoryEntry tooLarge = zip_.ExtractToMemory("config.xml", 99);
    EXPECT_EQ(tooLarge.status, Status::kTooLarge);
    EXPECT_TRUE(tooLarge.data.empty());
    EXPECT_EQ(zip_.ExtractToMemory("config.xml", 100).data.size(), 100u);
}

TEST_F(Memory, DecodingStopsAtTheDeclaredSize) {
    // A Deflate stream of 100,000 bytes declared as 1,000: only 1,000 come out, and the CRC of
    // the whole stream does not match them.
    ZipEntrySpec e;
    e.name = "config.xml";
    e.method = 8;
    e.data = kelvara::test::ZeroDeflate(100000);
    e.computeCrc = false;
    e.crc = kelvara::test::ZeroCrc(100000);
    e.sizeFromData = false;
    e.uncompressedSize = 1000;
    Use(BuildZipOf({e}));
    const TMemoryEntry cut = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(cut.status, Status::kOk);
    EXPECT_EQ(cut.data, std::vector<uint8_t>(1000, 0));
    EXPECT_EQ(cut.messageId, kMsgFileFailsCrcCheck);
}

TEST_F(Memory, CrcFailedDataIsStillReturned) {
    ZipEntrySpec bad = Stored("config.xml", "<widget/>");
    bad.computeCrc = false;
    bad.crc = 0x12345678;
    Use(BuildZipOf({bad}));
    const TMemoryEntry got = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(got.status, Status::kOk);
    EXPECT_EQ(got.messageId, kMsgFileFailsCrcCheck);
    EXPECT_EQ(got.message, "File fails CRC check");
    EXPECT_EQ(AsText(got), "<widget/>");
    EXPECT_EQ(rec_.ErrorCount(kMsgFileFailsCrcCheck), 1);

    // With OnEnd assigned nothing is reported, but the result still tells.
    bool passed = true;
    zip_.OnEnd = [&](TArchiveCommon&, const std::string&, bool ok) { passed = ok; };
    EXPECT_EQ(zip_.ExtractToMemory("config.xml", 1 << 20).messageId, kMsgFileFailsCrcCheck);
    EXPECT_FALSE(passed);
}

TEST_F(Memory, TheFirstReportAboutTheDataIsKept) {
    // An unknown method decodes nothing: its report comes before the failed CRC check.
    ZipEntrySpec unknown = Stored("config.xml", "data");
    unknown.method = 12;
    Use(BuildZipOf({unknown}));
    const TMemoryEntry unsupported = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(unsupported.status, Status::kOk);
    EXPECT_EQ(unsupported.messageId, kMsgUnsupportedMethod);
    EXPECT_EQ(unsupported.message, "Unsupported compression method");
    EXPECT_TRUE(unsupported.data.empty());
    EXPECT_EQ(rec_.ErrorCount(kMsgUnsupportedMethod), 1);
    EXPECT_EQ(rec_.ErrorCount(kMsgFileFailsCrcCheck), 1);
}

TEST_F(Memory, RefusesAnArchiveBomb) {
    zip_.SetArchiveFile(TestData("zip/hostile/overlap_bomb.zip"));
    kelvara::test::Record(zip_, rec_, false);
    const TMemoryEntry refused = zip_.ExtractToMemory("f500.txt", uint64_t{1} << 30);
    EXPECT_EQ(refused.status, Status::kRefused);
    EXPECT_EQ(refused.messageId, kMsgOverlappingEntries);
    EXPECT_EQ(refused.message, "Overlapping entries (possible archive bomb)");
    EXPECT_TRUE(refused.data.empty());
    EXPECT_EQ(rec_.ErrorCount(kMsgOverlappingEntries), 1);
    EXPECT_EQ(zip_.BytesWritten(), 0u);
}

TEST_F(Memory, SamplesDecodeLikeExtraction) {
    for (const char* sample : {"zip/info_deflate9.zip", "zip/7z_deflate64.zip"}) {
        zip_.SetArchiveFile(TestData(sample));
        EXPECT_EQ(AsText(zip_.ExtractToMemory("text.txt", 1 << 20)),
                  ReadFile(TestData("zip/content/text.txt")))
            << sample;
    }
    // Encrypted: the password search is the same as for extraction.
    zip_.SetArchiveFile(TestData("zip/info_encrypted.zip"));
    kelvara::test::Record(zip_, rec_, false);
    const TMemoryEntry shut = zip_.ExtractToMemory("config.xml", 1 << 20);
    EXPECT_EQ(shut.status, Status::kMissing);
    EXPECT_EQ(shut.messageId, kMsgRequiredEventNotAssigned);
    zip_.Passwords = {"secret"};
    EXPECT_EQ(AsText(zip_.ExtractToMemory("config.xml", 1 << 20)),
              ReadFile(TestData("zip/content/config.xml")));
}

TEST_F(Memory, NoArchiveMeansMissing) {
    zip_.SetArchiveFile(dir_ / "none.zip");
    EXPECT_EQ(zip_.ExtractToMemory("config.xml", 1 << 20).status, Status::kMissing);
    kelvara::test::WriteFile(dir_ / "plain.txt", std::string(100, 'p'));
    zip_.SetArchiveFile(dir_ / "plain.txt");
    EXPECT_EQ(zip_.ExtractToMemory("config.xml", 1 << 20).status, Status::kMissing);
}

}  // namespace
