// kelvara-cli run as a separate process: only its own messages on stderr whatever the session
// environment, its arguments untouched, and no Qt GUI library among its needed libraries.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

struct Output {
    int code = -1;
    std::string out, err;
};

// Runs the binary through the shell: `prefix` goes before it (an env command), the arguments
// are passed as written. Stdout and stderr are captured separately.
Output RunCli(const TempFolder& dir, const std::string& prefix, const std::string& arguments) {
    const std::string outFile = dir / "stdout.txt";
    const std::string errFile = dir / "stderr.txt";
    const std::string command = prefix + " '" + KELVARA_CLI_PATH + "' " + arguments + " >'" +
                                outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    Output output;
    output.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.out = ReadFile(outFile);
    output.err = ReadFile(errFile);
    return output;
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Each command, in success and in failure, with XDG_RUNTIME_DIR unset and with it naming a
// folder anyone may write to: the cases in which a GUI platform complains on stderr.
TEST(CliProcess, EveryCommandPrintsOnlyItsOwnMessages) {
    TempFolder dir;
    const std::string runtime = dir / "open-runtime";
    std::filesystem::create_directories(runtime);
    ASSERT_EQ(chmod(runtime.c_str(), 0777), 0);
    std::filesystem::create_directories(dir / "collection");
    std::filesystem::create_directories(dir / "empty");
    WriteZip(dir / "collection/clock.wgt",
             {{"config.xml", "<w><description>Clock</description></w>"}, {"clock.js", "var t;"}});
    WriteFile(dir / "style.css", "body { color: red }\n");
    WriteFile(dir / "not-a.png", "plain text");
    const std::string png = Quoted(TestData("pngsuite/basn6a08.png"));

    struct Case {
        std::string arguments;
        int code;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"--help", 0, ""},
        {"", 2, "kelvara-cli: missing command (try --help)\n"},
        {"frobnicate", 2, "kelvara-cli: unknown command \"frobnicate\" (try --help)\n"},
        {"scan " + Quoted(dir / "empty"), 0, ""},
        {"scan " + Quoted(dir / "collection"), 0, ""},
        {"list " + Quoted(dir / "collection/clock.wgt"), 0, ""},
        {"list " + Quoted(dir / "style.css"), 1,
         "kelvara-cli list: " + (dir / "style.css") + ": not a ZIP archive\n"},
        {"unzip -o " + Quoted(dir / "unpacked") + " " + Quoted(dir / "collection/clock.wgt"), 0,
         ""},
        {"png " + png + " " + Quoted(dir / "out.ppm"), 0, ""},
        {"png " + Quoted(dir / "gone.png") + " " + Quoted(dir / "out.ppm"), 1,
         "Cannot open file \"" + (dir / "gone.png") + "\". No such file or directory\n"},
        {"png " + png, 2, "kelvara-cli png: expected FILE OUT.ppm\n"},
        {"manifest " + Quoted(dir / "collection/clock.wgt"), 0, ""},
        {"tokens css " + Quoted(dir / "style.css"), 0, ""},
        {"tokens --count css " + Quoted(dir / "style.css"), 0, ""},
        {"package " + Quoted(dir / "collection") + " " + Quoted(dir / "empty") + " clock.wgt", 0,
         ""},
    };
    for (const std::string& prefix :
         {std::string("env -u XDG_RUNTIME_DIR"), "env XDG_RUNTIME_DIR=" + Quoted(runtime)}) {
        for (const Case& c : cases) {
            const Output output = RunCli(dir, prefix, c.arguments);
            EXPECT_EQ(output.code, c.code) << prefix << " kelvara-cli " << c.arguments;
            EXPECT_EQ(output.err, c.err) << prefix << " kelvara-cli " << c.arguments;
        }
    }
    // The png command still wrote its picture: header and 32 x 32 RGB triples.
    EXPECT_EQ(ReadFile(dir / "out.ppm").size(),
              std::string("P6\n32 32\n255\n").size() + 32 * 32 * 3);
}

// Arguments that look like Qt's own options are the command's, not swallowed on the way.
TEST(CliProcess, QtStyleOptionsReachTheCommand) {
    TempFolder dir;
    const Output list = RunCli(dir, "env", "list -reverse");
    EXPECT_EQ(list.code, 1);
    EXPECT_EQ(list.err, "kelvara-cli list: -reverse: file not found\n");
    const Output png = RunCli(dir, "env", "png -platform " + Quoted(dir / "out.ppm"));
    EXPECT_EQ(png.code, 1);
    EXPECT_EQ(png.err, "Cannot open file \"-platform\". No such file or directory\n");
    EXPECT_FALSE(FileExists(dir / "out.ppm"));
}

// The libraries the binary names in its dynamic section (objdump), or that the loader resolves
// (ldd) when objdump is missing; empty when neither tool runs.
std::vector<std::string> NeededLibraries(bool& toolFound) {
    std::vector<std::string> libraries;
    toolFound = false;
    const std::string binary = Quoted(KELVARA_CLI_PATH);
    for (const std::string& command :
         {"objdump -p " + binary + " 2>/dev/null", "ldd " + binary + " 2>/dev/null"}) {
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            continue;
        std::string text;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        const int status = pclose(pipe);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            continue;
        const bool objdump = command.rfind("objdump", 0) == 0;
        std::istringstream lines(text);
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
        GTEST_SKIP() << "neither objdump nor ldd could read " << KELVARA_CLI_PATH;
    ASSERT_FALSE(libraries.empty());
    for (const std::string& library : libraries) {
        EXPECT_EQ(library.find("Qt6Gui"), std::string::npos) << library;
        EXPECT_EQ(library.find("Qt6Widgets"), std::string::npos) << library;
        EXPECT_EQ(library.find("Qt6OpenGL"), std::string::npos) << library;
    }
}

}  // namespace
}  // namespace kelvara::test
