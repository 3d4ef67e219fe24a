// Running a program to its end: exit codes, both output streams, environment and start folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_size_limit.h"
#include "platform/process.h"
#include "testkit/temp_folder.h"

namespace {

using kelvara::platform::ProcessOptions;
using kelvara::platform::ProcessResult;
using kelvara::platform::RunProcess;
using kelvara::test::TempFolder;

ProcessResult Shell(const std::string& script, const ProcessOptions& options = {}) {
    return RunProcess("sh", {"-c", script}, options);
}

TEST(Process, KeepsTheExitCodeAndTheTwoStreamsApart) {
    const ProcessResult r = Shell("printf out; printf err >&2; exit 3");
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "out");
    EXPECT_EQ(r.err, "err");
    EXPECT_EQ(Shell("true").exitCode, 0);
    // Ended by a signal: no exit code.
    const ProcessResult killed = Shell("kill -9 $$");
    EXPECT_TRUE(killed.started);
    EXPECT_EQ(killed.exitCode, -1);
}

TEST(Process, ArgumentsArriveAsTheyAreWithoutAShell) {
    const ProcessResult r =
        RunProcess("printf", {"[%s]", "two words", "'quoted'", "$HOME", "*", ""});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "[two words]['quoted'][$HOME][*][]");
}

TEST(Process, LargeOutputOnBothStreamsDoesNotStall) {
    // More than a pipe holds on each stream, the error stream written first.
    const ProcessResult r =
        Shell("head -c 1000000 /dev/zero >&2; head -c 1000000 /dev/zero; echo done >&2");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.size(), 1000000u);
    EXPECT_EQ(r.err.size(), 1000005u);
}

TEST(Process, StandardInputIsEmpty) {
    const ProcessResult r = RunProcess("wc", {"-c"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(std::stoi(r.out), 0);
}

TEST(Process, SetsAndRemovesEnvironmentVariablesAndKeepsTheRest) {
    ASSERT_EQ(setenv("KELVARA_PROCESS_KEPT", "kept", 1), 0);
    ASSERT_EQ(setenv("KELVARA_PROCESS_GONE", "there", 1), 0);
    ProcessOptions options;
    options.environment = {{"KELVARA_PROCESS_GONE", std::nullopt},
                           {"KELVARA_PROCESS_NEW", "a b=c"}};
    const ProcessResult r =
        Shell("echo \"$KELVARA_PROCESS_KEPT|${KELVARA_PROCESS_GONE-unset}|$KELVARA_PROCESS_NEW\"",
              options);
    EXPECT_EQ(r.out, "kept|unset|a b=c\n");
    // The caller's own environment is untouched.
    EXPECT_STREQ(std::getenv("KELVARA_PROCESS_GONE"), "there");
    EXPECT_EQ(std::getenv("KELVARA_PROCESS_NEW"), nullptr);
    unsetenv("KELVARA_PROCESS_KEPT");
    unsetenv("KELVARA_PROCESS_GONE");
}

TEST(Process, StartsInTheGivenFolder) {
    TempFolder dir;
    ProcessOptions options;
    options.workingFolder = dir.Path();
    const ProcessResult r = RunProcess("pwd", {"-P"}, options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::filesystem::canonical(dir.Path()).string() + "\n");
}

TEST(Process, AProgramThatCannotStartSaysWhy) {
    const ProcessResult missing = RunProcess("kelvara-no-such-program", {});
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.exitCode, -1);
    EXPECT_NE(missing.err.find("kelvara-no-such-program"), std::string::npos) << missing.err;

    TempFolder dir;
    ProcessOptions options;
    options.workingFolder = dir / "missing";
    EXPECT_FALSE(RunProcess("true", {}, options).started);
}

TEST(FileSizeLimit, AWriteBeyondTheCapFailsAndTheCapGoesAway) {
    TempFolder dir;
    {
        kelvara::platform::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Applied());
        std::FILE* file = std::fopen((dir / "f").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string block(8192, 'x');
        const size_t written = std::fwrite(block.data(), 1, block.size(), file);
        const bool flushed = std::fflush(file) == 0;
        std::fclose(file);
        EXPECT_FALSE(written == block.size() && flushed);
        EXPECT_LE(std::filesystem::file_size(dir / "f"), 4096u);
    }
    kelvara::test::WriteFile(dir / "g", std::string(8192, 'y'));
    EXPECT_EQ(std::filesystem::file_size(dir / "g"), 8192u);
}

}  // namespace
