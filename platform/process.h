// Running another program to its end and collecting what it prints.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvara::platform {

struct ProcessOptions {
    // Variables to set (with a value) or remove (without one) in the program's environment;
    // everything else is inherited from the caller.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    // The folder the program starts in; empty for the caller's.
    std::string workingFolder;
};

struct ProcessResult {
    // False when the program could not be started (not found, not executable); err then says
    // why.
    bool started = false;
    // The program's exit status; -1 when it did not start or was ended by a signal.
    int exitCode = -1;
    std::string out;  // everything written to standard output
    std::string err;  // everything written to standard error
};

// Runs program (looked up in PATH when it names no folder) with the arguments, each passed as
// it is (no shell), standard input empty, and waits for it to end. Both output streams are read
// while it runs, so neither can fill up and stall it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

}  // namespace kelvara::platform
