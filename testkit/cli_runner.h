// The built kelvara-cli run as a separate process, for the tests and benchmarks of every area.
#pragma once

#include <string>
#include <vector>

#include "platform/process.h"

namespace kelvara::test {

// Where the build put kelvara-cli.
std::string CliPath();

// Runs kelvara-cli with the arguments, each passed as it is (no shell), standard input empty,
// and waits for it: exit code, standard output and standard error. The options add or remove
// environment variables or pick the folder it starts in.
platform::ProcessResult RunCli(const std::vector<std::string>& arguments,
                               const platform::ProcessOptions& options = {});

}  // namespace kelvara::test
