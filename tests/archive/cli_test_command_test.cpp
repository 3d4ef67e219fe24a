// kelvara-cli test, run as a separate process: one line per entry, a summary, nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testkit/cli_runner.h"
#include "testkit/deflate_stream_writer.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace {

using kelvara::platform::ProcessOptions;
using kelvara::platform::ProcessResult;
using kelvara::test::TempFolder;
using kelvara::test::TestData;
using kelvara::test::ZipEntrySpec;
namespace fs = std::filesystem;

class CliTest : public testing::Test {
  protected:
    CliTest() {
        fs::create_directories(dir_ / "cwd");
        fs::create_directories(dir_ / "runtime");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    }
    // Runs kelvara-cli test in an empty folder of its own, with a scratch folder of its own,
    // and checks that both stay empty.
    ProcessResult Test(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "test");
        ProcessOptions options;
        options.workingFolder = dir_ / "cwd";
        options.environment = {{"XDG_RUNTIME_DIR", dir_ / "runtime"}};
        const ProcessResult r = kelvara::test::RunCli(arguments, options);
        EXPECT_TRUE(fs::is_empty(dir_ / "cwd"));
        EXPECT_TRUE(fs::is_empty(dir_ / "runtime"));
        return r;
    }
    std::string Write(const std::string& name, const std::vector<ZipEntrySpec>& entries) {
        kelvara::test::WriteFile(dir_ / name, kelvara::test::BuildZipOf(entries));
        return dir_ / name;
    }

    TempFolder dir_;
};

ZipEntrySpec Stored(const std::string& name, const std::string& data) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

TEST_F(CliTest, GoodArchivePassesWithALinePerEntry) {
    ProcessResult r = Test({TestData("zip/info_deflate1.zip")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ok config.xml\nok text.txt\ntested 2, failed 0\n");
    EXPECT_EQ(r.err, "");

    // Masks as for unzip; nothing selected is no failure.
    r = Test({TestData("zip/7z_deflate64.zip"), "*.TXT", "img/*"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ok img/far.bin\nok text.txt\ntested 2, failed 0\n");
    r = Test({"--", TestData("zip/info_deflate1.zip"), "*.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "tested 0, failed 0\n");
}

TEST_F(CliTest, DamagedEntriesFailAndTheRestIsTested) {
    ZipEntrySpec wrongCrc = Stored("crc.txt", "payload");
    wrongCrc.computeCrc = false;
    wrongCrc.crc = 1;
    kelvara::test::DeflateWriter w;  // the first match reaches before the start
    w.BlockHeader(true, 1);
    w.LengthCode(260);
    w.Distance(0);
    w.EndOfBlock();
    ZipEntrySpec bad = Stored("bad.bin", w.Bytes());
    bad.method = 8;
    bad.sizeFromData = false;
    bad.uncompressedSize = 6;
    ZipEntrySpec cut = bad;  // a stored block that ends after two of its five bytes
    cut.name = "cut.txt";
    cut.data = std::string("\x01\x05\x00\xFA\xFFhe", 7);
    cut.uncompressedSize = 5;
    const std::string archive =
        Write("damaged.zip", {Stored("a.txt", "first"), wrongCrc, bad, cut, Stored("z.txt", "z")});
    const ProcessResult r = Test({archive});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "ok a.txt\ncrc-fail crc.txt\nerror 25116 Bad block: bad.bin\n"
              "error 26895 Unexpected end of compressed data: cut.txt\nok z.txt\n"
              "tested 5, failed 3\n");
    EXPECT_EQ(r.err, "");

    // The good entries alone pass.
    EXPECT_EQ(Test({archive, "?.txt"}).exitCode, 0);
}

TEST_F(CliTest, ArchiveBombIsRefused) {
    const std::string bomb = TestData("zip/hostile/overlap_bomb.zip");
    const ProcessResult r = Test({bomb, "f500.txt"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "tested 0, failed 0\n");
    EXPECT_EQ(r.err, "error 26897 Overlapping entries (possible archive bomb): " + bomb + "\n");
}

TEST_F(CliTest, EncryptedEntriesNeedTheRightPassword) {
    const std::string sample = TestData("zip/info_encrypted.zip");
    ProcessResult r = Test({"-p", "secret", sample});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ok config.xml\nok text.txt\ntested 2, failed 0\n");

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-p", "wrong", sample, "*.txt"}, {sample, "*.txt"}}) {
        r = Test(arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out,
                  "error 25270 Required event not assigned: text.txt (OnGetPassword)\n"
                  "tested 1, failed 1\n");
    }
}

TEST_F(CliTest, UsageErrorsAndUnreadableArchives) {
    EXPECT_EQ(Test({}).exitCode, 2);
    EXPECT_EQ(Test({"-o", "dir", "a.zip"}).exitCode, 2);
    EXPECT_EQ(Test({"a.zip", "-p"}).exitCode, 1);  // options come first: "-p" is a mask
    ProcessResult r = Test({"-p"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli test: -p needs a value\n");

    kelvara::test::WriteFile(dir_ / "plain.txt", "not an archive");
    r = Test({dir_ / "plain.txt"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "tested 0, failed 0\n");
    EXPECT_EQ(r.err, "kelvara-cli test: " + (dir_ / "plain.txt") + ": not a ZIP archive\n");
    EXPECT_EQ(Test({dir_ / "missing.zip"}).exitCode, 1);
}

}  // namespace
