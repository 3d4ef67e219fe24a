// Entry names the file system cannot take, and entries too broken to be read, are reported:
// never skipped or shortened in silence.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZipOf;
using kelvara::test::FileExists;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
using kelvara::test::ZipEntrySpec;
namespace fs = std::filesystem;

struct Report {
    int id;
    std::string name;
    std::string extra;
};

class Names : public testing::Test {
  protected:
    void SetUp() override {
        zip_.OnError = [this](TArchiveCommon&, const std::string& name, int id, const std::string&,
                              const std::string& extra) {
            reports_.push_back({id, name, extra});
        };
    }
    int ExtractSample(const std::string& sample) {
        zip_.SetArchiveFile(TestData("zip/hostile/" + sample));
        zip_.FileSpec = {"*.*"};
        zip_.SetExtractDir(dir_ / "out");
        return zip_.Extract();
    }
    int ExtractBytes(const std::string& bytes, const std::string& target) {
        kelvara::test::WriteFile(dir_ / "a.zip", bytes);
        zip_.SetArchiveFile(dir_ / "a.zip");
        zip_.FileSpec = {"*.*"};
        zip_.SetExtractDir(target);
        return zip_.Extract();
    }
    int FilesBelow(const std::string& folder) const {
        int n = 0;
        for (const auto& item : fs::recursive_directory_iterator(folder))
            n += item.is_regular_file();
        return n;
    }

    TempFolder dir_;
    TZipExtractor zip_;
    std::vector<Report> reports_;
};

ZipEntrySpec Stored(const std::string& name, const std::string& data, uint16_t flags = 0) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    e.flags = flags;
    return e;
}

TEST_F(Names, LongPathIsShortenedOnlyWithAReport) {
    // 6,001 bytes of nine-byte folder names: the 255 bytes kept end in a file "d00" 28 folders
    // down.
    EXPECT_EQ(ExtractSample("long_path.zip"), 2);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgNameNotAccepted);
    EXPECT_EQ(reports_[0].name.size(), 255u);
    EXPECT_EQ(reports_[0].extra, "name shortened");
    EXPECT_EQ(ReadFile(dir_ / ("out/" + reports_[0].name)), "deep\n");
    EXPECT_EQ(reports_[0].name.substr(reports_[0].name.size() - 4), "/d00");
    EXPECT_EQ(ReadFile(dir_ / "out/ok.txt"), "fine\n");
}

TEST_F(Names, LongFileNameIsShortenedOnlyWithAReport) {
    EXPECT_EQ(ExtractSample("long_name.zip"), 2);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgNameNotAccepted);
    EXPECT_EQ(reports_[0].name, std::string(255, 'n'));
    EXPECT_EQ(ReadFile(dir_ / ("out/" + std::string(255, 'n'))), "long\n");
    EXPECT_EQ(ReadFile(dir_ / "out/ok.txt"), "fine\n");
}

TEST_F(Names, EmptyNameWithImpossibleSizesIsReported) {
    EXPECT_EQ(ExtractSample("empty_name.zip"), 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgBadFileHeader);
    EXPECT_EQ(reports_[0].name, TestData("zip/hostile/empty_name.zip"));
    EXPECT_EQ(reports_[0].extra, "entry 2");
    EXPECT_EQ(FilesBelow(dir_ / "out"), 1);
}

TEST_F(Names, DataPastTheEndOfTheArchiveIsABadHeader) {
    ZipEntrySpec liar = Stored("liar.txt", "short");
    const std::string honest = BuildZipOf({Stored("ok.txt", "fine"), liar});
    std::string bytes = honest;
    // The second central header's compressed size: far beyond the end of the file.
    const size_t central = bytes.rfind("PK\x01\x02", std::string::npos);
    bytes[central + 23] = '\x40';
    EXPECT_EQ(ExtractBytes(bytes, dir_ / "out"), 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgBadFileHeader);
    EXPECT_EQ(reports_[0].name, "liar.txt");
    EXPECT_FALSE(FileExists(dir_ / "out/liar.txt"));
}

TEST_F(Names, EmptyLocalNameIsABadHeader) {
    ZipEntrySpec e = Stored("named.txt", "data");
    e.localName = "X";
    std::string bytes = BuildZipOf({e});
    bytes[26] = 0;  // the local header's name length: its one byte now counts as data
    EXPECT_EQ(ExtractBytes(bytes, dir_ / "out"), 0);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgBadFileHeader);
    EXPECT_EQ(reports_[0].name, "named.txt");
    EXPECT_FALSE(FileExists(dir_ / "out"));
}

TEST_F(Names, NamesTheFileSystemRefusesAreReportedAndSkipped) {
    // 140 Cyrillic letters in CP866 grow to 280 UTF-8 bytes: too long for one name, as a file
    // and as a folder; bytes that are not UTF-8 under the UTF-8 flag.
    const std::string cyrillic(140, '\xA0');
    EXPECT_EQ(ExtractBytes(
                  BuildZipOf({Stored(cyrillic, "1"), Stored(cyrillic + "/f.txt", "2"),
                              Stored("bad\xFF\xFE.txt", "3", 1u << 11), Stored("ok.txt", "fine")}),
                  dir_ / "out"),
              1);
    ASSERT_EQ(reports_.size(), 3u);
    for (const Report& r : reports_) {
        EXPECT_EQ(r.id, kMsgNameNotAccepted) << r.name;
        EXPECT_EQ(r.extra, "");
    }
    EXPECT_EQ(reports_[2].name, "bad\xFF\xFE.txt");
    EXPECT_EQ(FilesBelow(dir_ / "out"), 1);
}

TEST_F(Names, PathLongerThanTheSystemTakesIsReported) {
    // A target folder about 3,900 bytes long leaves no room for a 250-byte entry name.
    std::string target = dir_.Path();
    while (target.size() < 3900)
        target += "/" + std::string(200, 'f');
    fs::create_directories(target);
    const std::string longName(250, 'x');
    EXPECT_EQ(ExtractBytes(BuildZipOf({Stored(longName, "1"), Stored("ok.txt", "fine")}), target),
              1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, kMsgNameNotAccepted);
    EXPECT_EQ(reports_[0].name, longName);
    EXPECT_EQ(ReadFile(target + "/ok.txt"), "fine");
}

}  // namespace
