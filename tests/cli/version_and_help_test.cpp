// --version and --help of both executables, run as separate processes. The application must
// answer them before Qt starts: with no display and no usable Qt platform it still prints and
// exits 0, while without the options the same environment makes it fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process.h"
#include "testkit/cli_runner.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

using platform::ProcessOptions;
using platform::ProcessResult;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// No display of any kind, and Qt's platform either unset or one that does not exist.
const ProcessOptions kNoDisplay[] = {
    {{{"DISPLAY", std::nullopt},
      {"WAYLAND_DISPLAY", std::nullopt},
      {"QT_QPA_PLATFORM", std::nullopt}},
     ""},
    {{{"DISPLAY", std::nullopt},
      {"WAYLAND_DISPLAY", std::nullopt},
      {"QT_QPA_PLATFORM", std::string("no-such-platform")}},
     ""},
};
const ProcessOptions& kBrokenPlatform = kNoDisplay[1];

std::string Describe(const ProcessOptions& options) {
    return options.environment.back().second.value_or("no platform");
}

TEST(VersionAndHelp, CliPrintsItsVersion) {
    for (const ProcessOptions& options : kNoDisplay) {
        const ProcessResult version = platform::RunProcess(CliPath(), {"--version"}, options);
        EXPECT_EQ(version.exitCode, 0) << Describe(options);
        EXPECT_EQ(version.out, std::string("kelvara-cli ") + KELVARA_VERSION + "\n")
            << Describe(options);
        EXPECT_EQ(version.err, "") << Describe(options);
    }
}

TEST(VersionAndHelp, CliHelpNamesTheOptionsAndExitCodes) {
    const ProcessResult help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(StartsWith(help.out, "usage: kelvara-cli COMMAND")) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("exit codes: 0 success, 1 failure, 2 usage error"), std::string::npos)
        << help.out;
    EXPECT_EQ(help.err, "");
}

TEST(VersionAndHelp, AppAnswersVersionWithoutADisplay) {
    for (const ProcessOptions& options : kNoDisplay) {
        const ProcessResult version =
            platform::RunProcess(KELVARA_APP_PATH, {"--version"}, options);
        EXPECT_EQ(version.exitCode, 0) << Describe(options);
        EXPECT_EQ(version.out, std::string("kelvara ") + KELVARA_VERSION + "\n")
            << Describe(options);
        EXPECT_EQ(version.err, "") << Describe(options);
    }
}

TEST(VersionAndHelp, AppAnswersHelpWithoutADisplay) {
    const std::vector<std::vector<std::string>> optionSets = {
        {"--help"}, {"-h"}, {"-platform", "xcb", "--help"}};
    for (const ProcessOptions& options : kNoDisplay) {
        for (const std::vector<std::string>& arguments : optionSets) {
            const ProcessResult help = platform::RunProcess(KELVARA_APP_PATH, arguments, options);
            const std::string what = Describe(options) + " kelvara " + arguments.front();
            EXPECT_EQ(help.exitCode, 0) << what;
            EXPECT_TRUE(StartsWith(help.out, "usage: kelvara [--help | --version]"))
                << what << ":\n"
                << help.out;
            EXPECT_NE(help.out.find("print the version and exit"), std::string::npos) << help.out;
            EXPECT_EQ(help.err, "") << what;
        }
    }
}

// The environment above really has no display: started normally, the application fails. So
// does an option that comes after "--", which is not answered.
TEST(VersionAndHelp, AppWithoutTheOptionsNeedsADisplay) {
    const std::vector<std::vector<std::string>> argumentSets = {{}, {"--", "--version"}};
    for (const std::vector<std::string>& arguments : argumentSets) {
        const ProcessResult run =
            platform::RunProcess(KELVARA_APP_PATH, arguments, kBrokenPlatform);
        EXPECT_NE(run.exitCode, 0) << arguments.size();
        EXPECT_EQ(run.out, "") << arguments.size();
        EXPECT_NE(run.err.find("no-such-platform"), std::string::npos) << run.err;
    }
}

TEST(VersionAndHelp, AppReportsAnUnwritableOutput) {
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const std::string command = "'" + std::string(KELVARA_APP_PATH) + "' --version >/dev/full";
    const ProcessResult run = platform::RunProcess("sh", {"-c", command});
    EXPECT_EQ(run.exitCode, 1) << run.err;
}

}  // namespace
}  // namespace kelvara::test
