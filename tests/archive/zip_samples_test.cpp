// Archives made by the common ZIP tools extract byte for byte; encrypted ones with the right
// password only.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::ReadFile;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
namespace fs = std::filesystem;

// Every file below out must equal its counterpart in the content folder; returns how many.
int CompareWithContent(const std::string& out) {
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(out)) {
        if (!item.is_regular_file())
            continue;
        const std::string rel = fs::relative(item.path(), out).string();
        EXPECT_EQ(ReadFile(item.path()), ReadFile(TestData("zip/content/" + rel))) << rel;
        ++files;
    }
    return files;
}

struct Sample {
    const char* archive;
    int files;
    bool encrypted;
};

class SampleArchive : public testing::TestWithParam<Sample> {};

TEST_P(SampleArchive, ExtractsEveryFileUnchanged) {
    TempFolder dir;
    TZipExtractor zip;
    Recorded rec;
    kelvara::test::Record(zip, rec);
    zip.SetArchiveFile(TestData(std::string("zip/") + GetParam().archive));
    ASSERT_EQ(zip.ArcType(), atZip);
    zip.FileSpec = {"*.*"};
    zip.SetExtractDir(dir.Path());
    if (GetParam().encrypted)
        zip.Passwords = {"wrong", "secret"};
    EXPECT_EQ(zip.Extract(), GetParam().files);
    EXPECT_TRUE(rec.errors.empty());
    for (const auto& [path, passed] : rec.ends)
        EXPECT_TRUE(passed) << path;
    EXPECT_EQ(CompareWithContent(dir.Path()), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, SampleArchive,
    testing::Values(Sample{"info_store.zip", 4, false}, Sample{"info_deflate9.zip", 5, false},
                    Sample{"info_deflate1.zip", 2, false}, Sample{"info_pipe.zip", 3, false},
                    Sample{"info_zip64.zip", 2, false}, Sample{"7z_deflate.zip", 4, false},
                    Sample{"7z_store.zip", 3, false}, Sample{"7z_deflate64.zip", 2, false},
                    Sample{"info_encrypted.zip", 2, true},
                    Sample{"info_encrypted_pipe.zip", 2, true},
                    Sample{"7z_zipcrypto.zip", 2, true}),
    [](const testing::TestParamInfo<Sample>& info) {
        std::string name = info.param.archive;
        return name.substr(0, name.find('.'));
    });

// The public samples of the older methods and of Deflate64 decode to their declared sizes with
// a passing CRC.
TEST(PublicSamples, DecodeToDeclaredSizesWithPassingCrc) {
    for (const char* sample :
         {"zip/lorem-ipsum-deflate64.zip", "zip/legacy/SHRUNK.ZIP", "zip/legacy/moby-imploded.zip",
          "zip/legacy/imploding-4Kdict-2trees.zip", "zip/legacy/imploding-8Kdict-3trees.zip",
          "zip/legacy/lorem-ipsum-implode.zip"}) {
        TempFolder dir;
        TZipExtractor zip;
        Recorded rec;
        kelvara::test::Record(zip, rec);
        zip.SetArchiveFile(TestData(sample));
        zip.FileSpec = {"*.*"};
        zip.SetExtractDir(dir.Path());
        const std::vector<TZipEntryInfo> entries = zip.List();
        EXPECT_EQ(zip.Extract(), static_cast<int>(entries.size())) << sample;
        EXPECT_TRUE(rec.errors.empty()) << sample;
        ASSERT_EQ(rec.ends.size(), entries.size()) << sample;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_TRUE(rec.ends[i].second) << sample << " " << entries[i].name;
            EXPECT_EQ(fs::file_size(rec.ends[i].first), entries[i].uncompressedSize);
        }
    }
}

TEST(Deflate64, FarDistancesDecode) {
    TempFolder dir;
    TZipExtractor zip;
    zip.SetArchiveFile(TestData("zip/7z_deflate64.zip"));
    zip.FileSpec = {"far.bin"};
    zip.SetExtractDir(dir.Path());
    ASSERT_EQ(zip.Extract(), 1);
    const std::string far = ReadFile(dir / "img/far.bin");
    ASSERT_EQ(far.size(), 80004u);
    EXPECT_EQ(far.substr(40004), far.substr(0, 40000));
}

// A Deflate entry of 100,000 bytes arrives in four chunks, with the pump run before each.
TEST(Deflate, OutputInChunksWithPumpBeforeEach) {
    TempFolder dir;
    TZipExtractor zip;
    zip.SetArchiveFile(TestData("zip/info_deflate9.zip"));
    zip.FileSpec = {"hundred.bin"};
    zip.SetExtractDir(dir.Path());
    int pumps = 0;
    std::vector<int> percents;
    zip.ProcessMessages = [&] { ++pumps; };
    ASSERT_EQ(zip.Extract(), 1);
    EXPECT_EQ(pumps, 4);
    zip.OnProgress = [&](TArchiveCommon&, int entry, int) { percents.push_back(entry); };
    ASSERT_EQ(zip.Extract(), 1);
    EXPECT_EQ(percents, (std::vector<int>{33, 66, 98, 100}));
}

class Encrypted : public testing::Test {
  protected:
    void SetUp() override {
        kelvara::test::Record(zip_, rec_);
        zip_.SetArchiveFile(TestData("zip/info_encrypted.zip"));
        zip_.FileSpec = {"*.*"};
        zip_.SetExtractDir(dir_.Path());
    }
    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(Encrypted, WithoutPasswordHandlerReportsOnceAndSkipsAll) {
    kelvara::test::WriteFile(dir_ / "config.xml", "keep me");
    EXPECT_EQ(zip_.Extract(), 0);
    ASSERT_EQ(rec_.errors.size(), 1u);
    EXPECT_EQ(rec_.errors[0].first, kMsgRequiredEventNotAssigned);
    // A file that could not be decrypted leaves an existing file alone and creates nothing.
    EXPECT_EQ(ReadFile(dir_ / "config.xml"), "keep me");
    EXPECT_FALSE(kelvara::test::FileExists(dir_ / "text.txt"));
}

TEST_F(Encrypted, WrongAnswersAreReportedThenLaterEntriesSkippedSilently) {
    int asked = 0;
    zip_.OnGetPassword = [&](TArchiveCommon&, const std::string&, bool&, std::string& password) {
        ++asked;
        password = "nope";
    };
    EXPECT_EQ(zip_.Extract(), 0);
    EXPECT_EQ(asked, 3);  // PasswordAttempts, for the first entry only
    EXPECT_EQ(rec_.ErrorCount(kMsgInvalidPassword), 3);
    EXPECT_EQ(rec_.errors.size(), 3u);
}

TEST_F(Encrypted, AnsweredPasswordIsKeptAndReusedForTheNextEntry) {
    int asked = 0;
    zip_.OnGetPassword = [&](TArchiveCommon&, const std::string&, bool&, std::string& password) {
        password = ++asked == 1 ? "first guess" : "secret";
    };
    EXPECT_EQ(zip_.Extract(), 2);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(rec_.ErrorCount(kMsgInvalidPassword), 1);
    ASSERT_FALSE(zip_.Passwords.empty());
    EXPECT_EQ(zip_.Passwords.front(), "secret");
    EXPECT_EQ(ReadFile(dir_ / "text.txt"), ReadFile(TestData("zip/content/text.txt")));
}

TEST_F(Encrypted, HandlerGivingUpIsReported) {
    zip_.OnGetPassword = [&](TArchiveCommon&, const std::string&, bool& tryAgain, std::string&) {
        tryAgain = false;
    };
    EXPECT_EQ(zip_.Extract(), 0);
    EXPECT_EQ(rec_.ErrorCount(kMsgInvalidPassword), 1);
    EXPECT_EQ(rec_.errors.size(), 1u);
}

}  // namespace
