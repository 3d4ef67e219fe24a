#include "testkit/cli_runner.h"

namespace kelvara::test {

std::string CliPath() {
    return KELVARA_CLI_PATH;
}

platform::ProcessResult RunCli(const std::vector<std::string>& arguments,
                               const platform::ProcessOptions& options) {
    return platform::RunProcess(CliPath(), arguments, options);
}

}  // namespace kelvara::test
