// --version and --help of both executables, run as separate processes. The application must
// answer them before Qt starts: with no display and no usable Qt platform it still prints and
// exits 0, while without the options the same environment makes it fail.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace kelvara::test {
namespace {

struct Output {
    int code = -1;
    std::string out, err;
};

// Runs `binary` through the shell with `prefix` (an env command) before it and the arguments
// as written, without core files; stdout and stderr are captured separately.
Output RunProgram(const TempFolder& dir, const std::string& prefix, const std::string& binary,
                  const std::string& arguments) {
    const std::string outFile = dir / "stdout.txt";
    const std::string errFile = dir / "stderr.txt";
    const std::string command = "ulimit -c 0; " + prefix + " '" + binary + "' " + arguments +
                                " >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    Output output;
    output.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.out = ReadFile(outFile);
    output.err = ReadFile(errFile);
    return output;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// No display of any kind, and Qt's platform either unset or one that does not exist.
const char* const kNoDisplay[] = {
    "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
    "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-platform",
};
const std::string kBrokenPlatform = kNoDisplay[1];

TEST(VersionAndHelp, CliPrintsItsVersion) {
    TempFolder dir;
    for (const char* prefix : kNoDisplay) {
        const Output version = RunProgram(dir, prefix, KELVARA_CLI_PATH, "--version");
        EXPECT_EQ(version.code, 0) << prefix;
        EXPECT_EQ(version.out, std::string("kelvara-cli ") + KELVARA_VERSION + "\n") << prefix;
        EXPECT_EQ(version.err, "") << prefix;
    }
}

TEST(VersionAndHelp, CliHelpNamesTheOptionsAndExitCodes) {
    TempFolder dir;
    const Output help = RunProgram(dir, "env", KELVARA_CLI_PATH, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(StartsWith(help.out, "usage: kelvara-cli COMMAND")) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("exit codes: 0 success, 1 failure, 2 usage error"), std::string::npos)
        << help.out;
    EXPECT_EQ(help.err, "");
}

TEST(VersionAndHelp, AppAnswersVersionWithoutADisplay) {
    TempFolder dir;
    for (const char* prefix : kNoDisplay) {
        const Output version = RunProgram(dir, prefix, KELVARA_APP_PATH, "--version");
        EXPECT_EQ(version.code, 0) << prefix;
        EXPECT_EQ(version.out, std::string("kelvara ") + KELVARA_VERSION + "\n") << prefix;
        EXPECT_EQ(version.err, "") << prefix;
    }
}

TEST(VersionAndHelp, AppAnswersHelpWithoutADisplay) {
    TempFolder dir;
    for (const char* prefix : kNoDisplay) {
        for (const char* option : {"--help", "-h", "-platform xcb --help"}) {
            const Output help = RunProgram(dir, prefix, KELVARA_APP_PATH, option);
            EXPECT_EQ(help.code, 0) << prefix << " kelvara " << option;
            EXPECT_TRUE(StartsWith(help.out, "usage: kelvara [--help | --version]"))
                << prefix << " kelvara " << option << ":\n"
                << help.out;
            EXPECT_NE(help.out.find("print the version and exit"), std::string::npos) << help.out;
            EXPECT_EQ(help.err, "") << prefix << " kelvara " << option;
        }
    }
}

// The environment above really has no display: started normally, the application fails. So
// does an option that comes after "--", which is not answered.
TEST(VersionAndHelp, AppWithoutTheOptionsNeedsADisplay) {
    TempFolder dir;
    for (const char* arguments : {"", "-- --version"}) {
        const Output run = RunProgram(dir, kBrokenPlatform, KELVARA_APP_PATH, arguments);
        EXPECT_NE(run.code, 0) << "kelvara " << arguments;
        EXPECT_EQ(run.out, "") << "kelvara " << arguments;
        EXPECT_NE(run.err.find("no-such-platform"), std::string::npos) << run.err;
    }
}

TEST(VersionAndHelp, AppReportsAnUnwritableOutput) {
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempFolder dir;
    const std::string command = "'" + std::string(KELVARA_APP_PATH) + "' --version >/dev/full";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace kelvara::test
