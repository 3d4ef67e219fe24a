// kelvara-cli list and unzip, run as a separate process.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/tmpfs_mount.h"
#include "space_support.h"
#include "testkit/cli_runner.h"
#include "testkit/deflate_stream_writer.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace {

using kelvara::platform::ProcessResult;
using kelvara::test::ReadFile;
using kelvara::test::RunCli;
using kelvara::test::TempFolder;
using kelvara::test::TestData;

TEST(CliUnzip, ListsEntriesTabSeparated) {
    const ProcessResult r = RunCli({"list", TestData("zip/info_deflate1.zip")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "8\t111\t145\taf21bc26\tconfig.xml\n8\t10945\t56203\td5ebbf3a\ttext.txt\n");
}

TEST(CliUnzip, ExtractsWithMasksAndPassword) {
    TempFolder dir;
    ProcessResult r = RunCli(
        {"unzip", "-o", dir / "out", "-p", "secret", TestData("zip/info_encrypted.zip"), "*.txt"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "extracted 1\n");
    EXPECT_EQ(ReadFile(dir / "out/text.txt"), ReadFile(TestData("zip/content/text.txt")));
    EXPECT_FALSE(kelvara::test::FileExists(dir / "out/config.xml"));

    r = RunCli({"unzip", "-o", dir / "out2", TestData("zip/info_encrypted.zip")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "extracted 0\n");
    EXPECT_NE(r.err.find("error 25270 Required event not assigned: "), std::string::npos) << r.err;
}

TEST(CliUnzip, FailedChecksAndUsageErrors) {
    TempFolder dir;
    kelvara::test::ZipEntrySpec bad;
    bad.name = "bad.txt";
    bad.data = "payload";
    bad.computeCrc = false;
    bad.crc = 1;
    kelvara::test::WriteFile(dir / "bad.zip", kelvara::test::BuildZipOf({bad}));
    ProcessResult r = RunCli({"unzip", "-o", dir / "out", dir / "bad.zip"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "crc-fail " + dir.Path() + "/out/bad.txt\nextracted 1\n");

    EXPECT_EQ(RunCli({"unzip"}).exitCode, 2);
    EXPECT_EQ(RunCli({"unzip", "-x", "a.zip"}).exitCode, 2);
    EXPECT_EQ(RunCli({"list"}).exitCode, 2);
    EXPECT_EQ(RunCli({"list", dir / "missing.zip"}).exitCode, 1);
}

// Bad or cut compressed data is reported and fails the run, though the entry stays counted.
TEST(CliUnzip, DecoderFailuresExitWithOne) {
    TempFolder dir;
    kelvara::test::DeflateWriter w;  // Deflate64: the first match reaches before the start
    w.BlockHeader(true, 1);
    w.LengthCode(260);
    w.Distance(0);
    w.EndOfBlock();
    kelvara::test::ZipEntrySpec far;
    far.name = "far.bin";
    far.method = 9;
    far.data = w.Bytes();
    far.sizeFromData = false;
    far.uncompressedSize = 6;
    far.computeCrc = false;
    far.crc = 0;  // what an empty file gives
    kelvara::test::WriteFile(dir / "far.zip", kelvara::test::BuildZipOf({far}));
    ProcessResult r = RunCli({"unzip", "-o", dir / "out", dir / "far.zip"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "error 25116 Bad block: " + dir.Path() + "/out/far.bin\n");
    EXPECT_EQ(r.out, "crc-fail " + dir.Path() + "/out/far.bin\nextracted 1\n");

    kelvara::test::ZipEntrySpec cut = far;  // a stored block that ends after two of its bytes
    cut.name = "cut.txt";
    cut.method = 8;
    cut.data = std::string("\x01\x05\x00\xFA\xFFhe", 7);
    cut.uncompressedSize = 5;
    kelvara::test::WriteFile(dir / "cut.zip", kelvara::test::BuildZipOf({cut}));
    r = RunCli({"unzip", "-o", dir / "out", dir / "cut.zip"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "error 26895 Unexpected end of compressed data: " + dir.Path() + "/out/cut.txt\n");
    EXPECT_EQ(ReadFile(dir / "out/cut.txt"), "he");
}

TEST(CliUnzip, ArchiveBombFailsAndWritesNothing) {
    TempFolder dir;
    const ProcessResult r =
        RunCli({"unzip", "-o", dir / "out", TestData("zip/hostile/overlap_bomb.zip")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "extracted 0\n");
    EXPECT_EQ(r.err, "error 26897 Overlapping entries (possible archive bomb): " +
                         TestData("zip/hostile/overlap_bomb.zip") + "\n");
    EXPECT_FALSE(kelvara::test::FileExists(dir / "out"));
}

TEST(CliUnzip, NotEnoughSpacePrintsTheNumbers) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "small");
    kelvara::platform::TmpfsMount mount(dir / "small", 16 << 20);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.Error();
    kelvara::test::WriteFile(dir / "big.zip", kelvara::test::ZeroArchive("big.bin", 64 << 20));
    const ProcessResult r = RunCli({"unzip", "-o", dir / "small", dir / "big.zip"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "extracted 0\n");
    EXPECT_EQ(r.err,
              "error 26896 Not enough free space: 67174400 bytes needed, 16777216 "
              "available: " +
                  dir.Path() + "/small/\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "small"));
}

}  // namespace
