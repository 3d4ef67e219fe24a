// The application's own command-line arguments, run as a separate process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process.h"

namespace kelvara::test {
namespace {

// Left over once Qt has taken its own options, an argument starting with "-" is a usage error
// before any window opens ("timeout" only keeps a regression from leaving a window running).
TEST(AppArguments, AnUnknownOptionIsAUsageError) {
    const platform::ProcessOptions offscreen = {{{"QT_QPA_PLATFORM", std::string("offscreen")}},
                                                ""};
    const std::vector<std::vector<std::string>> argumentSets = {
        {"-bogus"}, {"-style", "fusion", "a.wgt", "-bogus"}};
    for (const std::vector<std::string>& arguments : argumentSets) {
        std::vector<std::string> command = {"60", KELVARA_APP_PATH};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const platform::ProcessResult run = platform::RunProcess("timeout", command, offscreen);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("kelvara: unknown option \"-bogus\"\nusage: kelvara "),
                  std::string::npos)
            << run.err;
    }
}

}  // namespace
}  // namespace kelvara::test
