// kelvara-cli run as a separate process: only its own messages on stderr whatever the session
// environment, its arguments untouched, and no Qt GUI library among its needed libraries.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "testkit/cli_runner.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

using platform::ProcessOptions;
using platform::ProcessResult;
using platform::RunProcess;

// Each command, in success and in failure, with XDG_RUNTIME_DIR unset and with it naming a
// folder anyone may write to: the cases in which a GUI platform complains on stderr.
TEST(CliProcess, EveryCommandPrintsOnlyItsOwnMessages) {
    TempFolder dir;
    const std::string runtime = dir / "open-runtime";
    std::filesystem::create_directories(runtime);
    std::error_code ec;
    std::filesystem::permissions(runtime, std::filesystem::perms::all,
                                 std::filesystem::perm_options::replace, ec);
    ASSERT_FALSE(ec) << ec.message();
    std::filesystem::create_directories(dir / "collection");
    std::filesystem::create_directories(dir / "empty");
    WriteZip(dir / "collection/clock.wgt",
             {{"config.xml", "<w><description>Clock</description></w>"}, {"clock.js", "var t;"}});
    WriteFile(dir / "style.css", "body { color: red }\n");
    WriteFile(dir / "not-a.png", "plain text");
    const std::string png = TestData("pngsuite/basn6a08.png");

    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, ""},
        {{}, 2, "kelvara-cli: missing command (try --help)\n"},
        {{"frobnicate"}, 2, "kelvara-cli: unknown command \"frobnicate\" (try --help)\n"},
        {{"scan", dir / "empty"}, 0, ""},
        {{"scan", dir / "collection"}, 0, ""},
        {{"list", dir / "collection/clock.wgt"}, 0, ""},
        {{"list", dir / "style.css"},
         1,
         "kelvara-cli list: " + (dir / "style.css") + ": not a ZIP archive\n"},
        {{"unzip", "-o", dir / "unpacked", dir / "collection/clock.wgt"}, 0, ""},
        {{"png", png, dir / "out.ppm"}, 0, ""},
        {{"png", dir / "gone.png", dir / "out.ppm"},
         1,
         "Cannot open file \"" + (dir / "gone.png") + "\". No such file or directory\n"},
        {{"png", png}, 2, "kelvara-cli png: expected FILE OUT.ppm\n"},
        {{"manifest", dir / "collection/clock.wgt"}, 0, ""},
        {{"tokens", "css", dir / "style.css"}, 0, ""},
        {{"tokens", "--count", "css", dir / "style.css"}, 0, ""},
        {{"package", dir / "collection", dir / "empty", "clock.wgt"}, 0, ""},
    };
    ProcessOptions withoutRuntime, withOpenRuntime;
    withoutRuntime.environment = {{"XDG_RUNTIME_DIR", std::nullopt}};
    withOpenRuntime.environment = {{"XDG_RUNTIME_DIR", runtime}};
    for (const ProcessOptions& options : {withoutRuntime, withOpenRuntime}) {
        const std::string setting = options.environment[0].second.value_or("(unset)");
        for (const Case& c : cases) {
            std::string command = "XDG_RUNTIME_DIR=" + setting + " kelvara-cli";
            for (const std::string& argument : c.arguments)
                command += " '" + argument + "'";
            const ProcessResult output = RunCli(c.arguments, options);
            EXPECT_EQ(output.exitCode, c.code) << command;
            EXPECT_EQ(output.err, c.err) << command;
        }
    }
    // The png command still wrote its picture: header and 32 x 32 RGB triples.
    EXPECT_EQ(ReadFile(dir / "out.ppm").size(),
              std::string("P6\n32 32\n255\n").size() + 32 * 32 * 3);
}

// Arguments that look like Qt's own options are the command's, not swallowed on the way.
TEST(CliProcess, QtStyleOptionsReachTheCommand) {
    TempFolder dir;
    const ProcessResult list = RunCli({"list", "-reverse"});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.err, "kelvara-cli list: -reverse: file not found\n");
    const ProcessResult png = RunCli({"png", "-platform", dir / "out.ppm"});
    EXPECT_EQ(png.exitCode, 1);
    EXPECT_EQ(png.err, "Cannot open file \"-platform\". No such file or directory\n");
    EXPECT_FALSE(FileExists(dir / "out.ppm"));
}

// The libraries the binary names in its dynamic section (objdump), or that the loader resolves
// (ldd) when objdump is missing; empty when neither tool runs.
std::vector<std::string> NeededLibraries(bool& toolFound) {
    std::vector<std::string> libraries;
    toolFound = false;
    const std::vector<std::vector<std::string>> commands = {{"objdump", "-p", CliPath()},
                                                            {"ldd", CliPath()}};
    for (const std::vector<std::string>& command : commands) {
        const ProcessResult run = RunProcess(command[0], {command.begin() + 1, command.end()});
        if (run.exitCode != 0)
            continue;
        const bool objdump = command[0] == "objdump";
        std::istringstream lines(run.out);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string first, second;
            words >> first >> second;
            if (objdump && first == "NEEDED")
                libraries.push_back(second);
            else if (!objdump && second == "=>")
                libraries.push_back(first);
        }
        toolFound = true;
        return libraries;
    }
    return libraries;
}

TEST(CliProcess, LinksNoQtGuiLibrary) {
    bool toolFound = false;
    const std::vector<std::string> libraries = NeededLibraries(toolFound);
    if (!toolFound)
        GTEST_SKIP() << "neither objdump nor ldd could read " << CliPath();
    ASSERT_FALSE(libraries.empty());
    for (const std::string& library : libraries) {
        EXPECT_EQ(library.find("Qt6Gui"), std::string::npos) << library;
        EXPECT_EQ(library.find("Qt6Widgets"), std::string::npos) << library;
        EXPECT_EQ(library.find("Qt6OpenGL"), std::string::npos) << library;
    }
}

}  // namespace
}  // namespace kelvara::test
