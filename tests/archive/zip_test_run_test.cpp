// Test: every selected entry decoded and its CRC-32 checked, with nothing written anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "platform/tmpfs_mount.h"
#include "space_support.h"
#include "testkit/deflate_stream_writer.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZipOf;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
using kelvara::test::ZipEntrySpec;
using Events = std::vector<std::string>;
namespace fs = std::filesystem;

ZipEntrySpec Stored(const std::string& name, const std::string& data) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

ZipEntrySpec Deflated(const std::string& name, const std::string& text) {
    ZipEntrySpec e = Stored(name, kelvara::test::RawDeflate(text));
    e.method = 8;
    e.computeCrc = false;
    e.crc = kelvara::test::Crc32Of(text);
    e.sizeFromData = false;
    e.uncompressedSize = static_cast<uint32_t>(text.size());
    return e;
}

// A Deflate entry whose first match reaches before the start of the data: 25116 "Bad block".
ZipEntrySpec BadBlock(const std::string& name) {
    kelvara::test::DeflateWriter w;
    w.BlockHeader(true, 1);
    w.Literal('a');
    w.LengthCode(260);
    w.Distance(1);  // distance 2, with one byte decoded
    w.EndOfBlock();
    ZipEntrySpec e = Stored(name, w.Bytes());
    e.method = 8;
    e.computeCrc = false;
    e.sizeFromData = false;
    e.uncompressedSize = 7;
    return e;
}

class TestRun : public testing::Test {
  protected:
    // Tests the archive bytes (written into the temporary folder) with these masks; the target
    // folder is one that must never appear.
    int Run(const std::string& bytes, std::vector<std::string> masks = {"*.*"}) {
        kelvara::test::WriteFile(dir_ / "a.zip", bytes);
        return RunOn(dir_ / "a.zip", std::move(masks));
    }
    int RunOn(const std::string& archive, std::vector<std::string> masks = {"*.*"}) {
        zip_.SetArchiveFile(archive);
        zip_.FileSpec = std::move(masks);
        zip_.SetExtractDir(dir_ / "out");
        events_.clear();
        zip_.OnBegin = [this](TArchiveCommon&, const std::string& name, bool&, int ordinal) {
            events_.push_back("begin " + std::to_string(ordinal) + " " + name);
        };
        zip_.OnError = [this](TArchiveCommon&, const std::string& name, int id, const std::string&,
                              const std::string&) {
            events_.push_back("error " + std::to_string(id) + " " + name);
        };
        zip_.OnEnd = [this](TArchiveCommon&, const std::string& name, bool passed) {
            events_.push_back((passed ? "ok " : "fail ") + name);
        };
        return zip_.Test();
    }
    // Only the archive itself is in the folder, and the current folder is untouched.
    void ExpectNothingWritten() {
        for (const auto& item : fs::recursive_directory_iterator(dir_.Path()))
            EXPECT_EQ(item.path().filename(), "a.zip") << item.path();
        EXPECT_EQ(CurrentFolderItems(), startItems_);
    }
    static int CurrentFolderItems() {
        return static_cast<int>(
            std::distance(fs::directory_iterator(fs::current_path()), fs::directory_iterator()));
    }

    TempFolder dir_;
    TZipExtractor zip_;
    Events events_;
    const int startItems_ = CurrentFolderItems();
};

TEST_F(TestRun, GoodEntriesPassInArchiveOrderAndFoldersAreNotTested) {
    const std::string text(100000, 'x');  // four Deflate chunks
    ZipEntrySpec folder = Stored("sub/", "");
    folder.externalAttributes = 16;
    EXPECT_EQ(Run(BuildZipOf({Stored("config.xml", "<widget/>"), folder,
                              Deflated("sub/long.txt", text), Stored("empty.txt", "")})),
              3);
    EXPECT_EQ(events_, (Events{"begin 1 config.xml", "ok config.xml", "begin 2 sub/long.txt",
                               "ok sub/long.txt", "begin 3 empty.txt", "ok empty.txt"}));
    EXPECT_EQ(zip_.BytesWritten(), 9u + text.size());
    ExpectNothingWritten();

    // The samples of other archivers, Deflate64 included, decode as they extract.
    for (const char* sample :
         {"zip/info_deflate9.zip", "zip/7z_deflate64.zip", "zip/7z_store.zip"}) {
        zip_.SetArchiveFile(TestData(sample));
        int files = 0;
        for (const TZipEntryInfo& entry : zip_.List())
            files += entry.name.back() != '/';
        EXPECT_GE(files, 2) << sample;
        EXPECT_EQ(RunOn(TestData(sample)), files) << sample;
        for (const std::string& e : events_)
            EXPECT_NE(e.rfind("fail", 0), 0u) << sample << ": " << e;
    }
}

TEST_F(TestRun, DamagedEntriesFailAndTheOthersAreStillTested) {
    ZipEntrySpec wrongCrc = Stored("crc.txt", "payload");
    wrongCrc.computeCrc = false;
    wrongCrc.crc = 0x12345678;
    ZipEntrySpec cut = Deflated("cut.txt", "hello");  // a stored block cut after two bytes
    cut.data = std::string("\x01\x05\x00\xFA\xFFhe", 7);
    ZipEntrySpec unknown = Stored("method.bin", "data");
    unknown.method = 12;
    const std::string archive = BuildZipOf({Stored("a.txt", "first"), wrongCrc, BadBlock("bad.bin"),
                                            cut, unknown, Deflated("z.txt", "last one")});
    EXPECT_EQ(Run(archive), 6);
    EXPECT_EQ(events_,
              (Events{"begin 1 a.txt", "ok a.txt", "begin 2 crc.txt", "fail crc.txt",
                      "begin 3 bad.bin", "error 25116 bad.bin", "fail bad.bin", "begin 4 cut.txt",
                      "error 26895 cut.txt", "fail cut.txt", "begin 5 method.bin",
                      "error 25326 method.bin", "fail method.bin", "begin 6 z.txt", "ok z.txt"}));
    ExpectNothingWritten();

    // Without OnEnd a failed check is reported, as extraction reports it; the reports are the
    // same ones, in the same order.
    auto ids = [](TZipExtractor& zip, bool test) {
        std::vector<int> seen;
        zip.OnBegin = nullptr;
        zip.OnEnd = nullptr;
        zip.OnError = [&seen](TArchiveCommon&, const std::string&, int id, const std::string&,
                              const std::string&) { seen.push_back(id); };
        test ? zip.Test() : zip.Extract();
        return seen;
    };
    const std::vector<int> tested = ids(zip_, true);
    EXPECT_EQ(tested, (std::vector<int>{kMsgFileFailsCrcCheck, kMsgBadBlock, kMsgFileFailsCrcCheck,
                                        kMsgUnexpectedEnd, kMsgFileFailsCrcCheck,
                                        kMsgUnsupportedMethod, kMsgFileFailsCrcCheck}));
    ExpectNothingWritten();
    EXPECT_EQ(ids(zip_, false), tested);
}

TEST_F(TestRun, AnEntryWhoseDataCannotBeReadIsAFailedTest) {
    // The local header of the second entry is overwritten: the directory still names it.
    std::string archive =
        BuildZipOf({Stored("a.txt", "aaaa"), Stored("b.txt", "bbbb"), Stored("c.txt", "cccc")});
    const size_t second = archive.find("PK\x03\x04", 1);
    ASSERT_NE(second, std::string::npos);
    archive[second + 2] = 'X';
    EXPECT_EQ(Run(archive), 3);
    EXPECT_EQ(events_, (Events{"begin 1 a.txt", "ok a.txt", "begin 2 b.txt", "error 25114 b.txt",
                               "fail b.txt", "begin 3 c.txt", "ok c.txt"}));

    // Data said to run past the end of the file: tested in its place, and failed.
    ZipEntrySpec tooLong = Stored("long.txt", "data");
    tooLong.sizeFromData = false;
    tooLong.uncompressedSize = 4;
    archive = BuildZipOf({tooLong, Stored("next.txt", "next")});
    const size_t sizeField = archive.find("PK\x01\x02") + 20;  // central compressed size
    archive[sizeField + 3] = '\x7F';
    EXPECT_EQ(Run(archive), 2);
    EXPECT_EQ(events_, (Events{"begin 1 long.txt", "error 25114 long.txt", "fail long.txt",
                               "begin 2 next.txt", "ok next.txt"}));
    ExpectNothingWritten();
}

TEST_F(TestRun, MasksSelectAsForExtractionAndOnBeginCanSkip) {
    const std::string archive =
        BuildZipOf({Stored("config.xml", "c"), Stored("icon.png", "i"), Stored("js/app.js", "j"),
                    Stored("js/lib/config.xml", "x"), Stored("README", "r")});
    EXPECT_EQ(Run(archive, {"*.xml"}), 2);
    EXPECT_EQ(events_, (Events{"begin 1 config.xml", "ok config.xml", "begin 2 js/lib/config.xml",
                               "ok js/lib/config.xml"}));
    EXPECT_EQ(Run(archive, {"js/*.js", "readme"}), 2);
    EXPECT_EQ(events_,
              (Events{"begin 1 js/app.js", "ok js/app.js", "begin 2 README", "ok README"}));
    zip_.RecurseDirs = false;
    EXPECT_EQ(Run(archive, {"config.xml"}), 1);
    zip_.RecurseDirs = true;
    EXPECT_EQ(Run(archive, {"*.txt"}), 0);
    EXPECT_TRUE(events_.empty());

    // A proceed flag cleared by OnBegin skips the entry: no verdict, not counted.
    kelvara::test::WriteFile(dir_ / "a.zip", archive);
    zip_.SetArchiveFile(dir_ / "a.zip");
    zip_.FileSpec = {"*.*"};
    int ends = 0;
    zip_.OnBegin = [](TArchiveCommon&, const std::string& name, bool& proceed, int) {
        proceed = name != "icon.png";
    };
    zip_.OnEnd = [&ends](TArchiveCommon&, const std::string&, bool) { ++ends; };
    EXPECT_EQ(zip_.Test(), 4);
    EXPECT_EQ(ends, 4);
    ExpectNothingWritten();
}

TEST_F(TestRun, ArchiveBombIsRefusedBeforeAnyEntry) {
    EXPECT_EQ(RunOn(TestData("zip/hostile/overlap_bomb.zip")), 0);
    EXPECT_EQ(events_, (Events{"error 26897 " + TestData("zip/hostile/overlap_bomb.zip")}));
    EXPECT_EQ(zip_.BytesWritten(), 0u);
    EXPECT_EQ(RunOn(TestData("zip/hostile/shared_header.zip"), {"*.txt"}), 0);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].rfind("error 26897 ", 0), 0u) << events_[0];
    ExpectNothingWritten();
}

TEST_F(TestRun, PasswordsAreSearchedAsForExtraction) {
    const std::string sample = TestData("zip/info_encrypted.zip");
    zip_.Passwords = {"wrong", "secret"};
    EXPECT_EQ(RunOn(sample), 2);
    EXPECT_EQ(events_,
              (Events{"begin 1 config.xml", "ok config.xml", "begin 2 text.txt", "ok text.txt"}));
    EXPECT_EQ(zip_.BytesWritten(), ReadFile(TestData("zip/content/config.xml")).size() +
                                       ReadFile(TestData("zip/content/text.txt")).size());

    // Nobody to ask: each entry that stays shut has its own report.
    zip_.Passwords = {"wrong"};
    EXPECT_EQ(RunOn(sample), 2);
    EXPECT_EQ(events_, (Events{"begin 1 config.xml", "error 25270 config.xml", "fail config.xml",
                               "begin 2 text.txt", "error 25270 text.txt", "fail text.txt"}));

    // A handler that gives up is asked once in the run; later entries are reported shut.
    int asked = 0;
    zip_.OnGetPassword = [&asked](TArchiveCommon&, const std::string&, bool& tryAgain,
                                  std::string&) {
        ++asked;
        tryAgain = false;
    };
    zip_.Passwords.clear();
    RunOn(sample);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(events_, (Events{"begin 1 config.xml", "error 26517 config.xml", "fail config.xml",
                               "begin 2 text.txt", "error 26517 text.txt", "fail text.txt"}));
    ExpectNothingWritten();
}

TEST_F(TestRun, NeitherFreeSpaceNorEntryNamesAreChecked) {
    // Names that extraction refuses (leaving the target, not UTF-8) are tested like any other.
    ZipEntrySpec notUtf8 = Stored("bad\xFF.txt", "n");
    notUtf8.flags = 0x800;
    EXPECT_EQ(Run(BuildZipOf({Stored("../escape.txt", "up"), notUtf8})), 2);
    EXPECT_EQ(events_, (Events{"begin 1 ../escape.txt", "ok ../escape.txt", "begin 2 bad\xFF.txt",
                               "ok bad\xFF.txt"}));
    ExpectNothingWritten();

    // 64 MiB tested with a target folder that holds 16 MiB.
    fs::create_directory(dir_ / "small");
    kelvara::platform::TmpfsMount mount(dir_ / "small", 16 << 20);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.Error();
    kelvara::test::WriteFile(dir_ / "big.zip", kelvara::test::ZeroArchive("big.bin", 64 << 20));
    zip_.SetArchiveFile(dir_ / "big.zip");
    zip_.SetExtractDir(dir_ / "small");
    zip_.OnBegin = nullptr;
    zip_.OnEnd = nullptr;
    int reports = 0;
    zip_.OnError = [&reports](TArchiveCommon&, const std::string&, int, const std::string&,
                              const std::string&) { ++reports; };
    EXPECT_EQ(zip_.Test(), 1);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(zip_.BytesWritten(), uint64_t{64} << 20);
    EXPECT_TRUE(fs::is_empty(dir_ / "small"));
}

}  // namespace
