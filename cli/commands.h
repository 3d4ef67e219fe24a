// The commands of kelvara-cli. Each takes the arguments after the command name and writes to
// the given streams; it returns the exit code: 0 success, 1 failure, 2 usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kelvara::cli {

using Args = std::vector<std::string>;

int CmdScan(const Args& args, std::ostream& out, std::ostream& err);
int CmdList(const Args& args, std::ostream& out, std::ostream& err);
int CmdUnzip(const Args& args, std::ostream& out, std::ostream& err);
int CmdTest(const Args& args, std::ostream& out, std::ostream& err);
int CmdPng(const Args& args, std::ostream& out, std::ostream& err);
int CmdManifest(const Args& args, std::ostream& out, std::ostream& err);
int CmdTokens(const Args& args, std::ostream& out, std::ostream& err);
int CmdPackage(const Args& args, std::ostream& out, std::ostream& err);

// Runs the whole tool on argv-style arguments (argv[0] excluded).
int Run(const Args& args, std::ostream& out, std::ostream& err);

// Prints "kelvara-cli <command>: <message>" and returns 2.
int UsageError(std::ostream& err, const std::string& command, const std::string& message);

}  // namespace kelvara::cli
