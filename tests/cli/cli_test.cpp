#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "testkit/cli_runner.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

struct Result {
    int code;
    std::string out, err;
};

// The command run inside the test process.
Result RunInProcess(const cli::Args& args) {
    std::ostringstream out, err;
    int code = cli::Run(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(Cli, HelpAndUsageErrors) {
    Result help = RunInProcess({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command :
         {"scan", "list", "unzip", "test", "png", "manifest", "tokens", "package"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_EQ(RunInProcess({}).code, 2);
    EXPECT_EQ(RunInProcess({"frobnicate"}).code, 2);
    Result bad = RunInProcess({"scan"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1);
}

TEST(Cli, ScanPrintsOneTabSeparatedLinePerRow) {
    TempFolder dir;
    WriteZip(dir / "b.wgt", {{"config.xml", "<w><description>Bee</description></w>"}});
    WriteFile(dir / "a.wgt", "not a zip");
    Result r = RunInProcess({"scan", dir.Path()});
    EXPECT_EQ(r.code, 0) << r.err;
    std::istringstream lines(r.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.rfind("a.wgt\t\t9\t", 0), 0u) << first;
    EXPECT_EQ(second.rfind("b.wgt\tBee\t", 0), 0u) << second;
}

TEST(Cli, ScanNamesThePackageOfTheFirstManifestErrorAndListsEveryRow) {
    TempFolder dir;
    WriteZip(dir / "a.wgt", {{"config.xml", "<w><description>Ant</description></w>"}});
    WriteZip(dir / "b.wgt", {{"config.xml", "<w"}});
    WriteZip(dir / "c.wgt", {{"config.xml", "<w><description>x</w>"}});
    Result r = RunInProcess({"scan", dir.Path()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
    EXPECT_EQ(r.err.rfind("b.wgt:\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Line: 1"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("c.wgt"), std::string::npos) << r.err;
}

TEST(Cli, ManifestPrintsTheSixValues) {
    TempFolder dir;
    WriteZip(dir / "c.wgt", {{"config.xml",
                              "<w height=\"2\" width=\"3\" version=\"v\" id=\"i\"><description>"
                              "A\nB</description><access network=\"true\"/></w>"}});
    Result r = RunInProcess({"manifest", dir / "c.wgt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "description: AB\nheight: 2\nwidth: 3\nversion: v\nid: i\nnetwork: Разрешено\n");
    WriteZip(dir / "d.wgt", {{"config.xml", "<w"}});
    Result broken = RunInProcess({"manifest", dir / "d.wgt"});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("Line: 1"), std::string::npos);
}

TEST(Cli, ManifestOfAPackageWithoutARootManifestShowsWhatThePanelShows) {
    TempFolder dir;
    WriteZip(dir / "full.wgt", {{"config.xml",
                                 "<w height=\"2\"><description>Full</description>"
                                 "<access network=\"true\"/></w>"}});
    WriteZip(dir / "nested.wgt",
             {{"sub/config.xml", "<w height=\"9\"><description>Nested</description></w>"}});
    WriteFile(dir / "junk.wgt", "not a zip");
    const std::string unknown =
        "description: \nheight: Неизвестно\nwidth: Неизвестно\nversion: Неизвестно\n"
        "id: Неизвестно\nnetwork: Неизвестно\n";
    ASSERT_EQ(RunInProcess({"manifest", dir / "full.wgt"}).code, 0);
    // The manifest left in the scratch folder by the first package must not show through.
    for (const char* name : {"nested.wgt", "junk.wgt"}) {
        Result r = RunInProcess({"manifest", dir / name});
        EXPECT_EQ(r.code, 0) << name << ": " << r.err;
        EXPECT_EQ(r.out, unknown) << name;
        EXPECT_EQ(r.err, "") << name;
    }
}

// A package whose entries overlap is refused by the same reading as the window's, in memory.
TEST(Cli, ManifestAndScanOfABombPackageReportTheRefusal) {
    TempFolder dir;
    WriteFile(dir / "bomb.wgt", ReadFile(TestData("zip/hostile/overlap_bomb.zip")));
    Result r = RunInProcess({"manifest", dir / "bomb.wgt"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Overlapping entries (possible archive bomb)\n");
    Result scan = RunInProcess({"scan", dir.Path()});
    EXPECT_EQ(scan.err, "bomb.wgt:\nOverlapping entries (possible archive bomb)\n");
}

TEST(Cli, PackageBuildsTheFolderAndReportsCopyErrors) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "collection");
    std::filesystem::create_directories(dir / "out");
    WriteFile(dir / "collection/clock.wgt", "clock");
    Result missing =
        RunInProcess({"package", dir / "collection", dir / "out", "clock.wgt", "gone.wgt"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Cannot open file \"" + (dir / "collection/gone.wgt") + "\""),
              std::string::npos)
        << missing.err;
    EXPECT_EQ(ReadFile(dir / "out/clock.wgt"), "clock");
}

TEST(Cli, PackageRefusesANameWithAPathAndWritesNothing) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "collection");
    std::filesystem::create_directories(dir / "out");
    std::filesystem::create_directories(dir / "C");
    WriteFile(dir / "collection/clock.wgt", "clock");
    WriteFile(dir / "C/w1.wgt", "w1");
    for (const char* name : {"../C/w1.wgt", "..", ""}) {
        Result r = RunInProcess({"package", dir / "collection", dir / "out", "clock.wgt", name});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_NE(r.err.find("Invalid package name \"" + std::string(name) + "\""),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));
    EXPECT_FALSE(FileExists(dir / "w1.wgt"));
    EXPECT_EQ(ReadFile(dir / "C/w1.wgt"), "w1");
}

}  // namespace
}  // namespace kelvara::test

namespace kelvara::test {
namespace {

TEST(CliBinary, PackageBuildsTheSamePageAsTheButton) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "collection");
    std::filesystem::create_directories(dir / "out");
    WriteFile(dir / "collection/clock.wgt", "clock");
    WriteFile(dir / "collection/notes.wgt", "notes");
    // The binary finds the page template beside itself.
    const platform::ProcessResult r =
        RunCli({"package", dir / "collection", dir / "out", "clock.wgt", "notes.wgt"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::string page = ReadFile(dir / "out/Widgets.html");
    EXPECT_EQ(page.substr(page.find("<p>")),
              "<p><a href=\"clock.wgt\"> Установить clock.wgt</a></p>\r\n"
              "<p><a href=\"notes.wgt\"> Установить notes.wgt</a></p>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(page.find("<body>") + 7, page.find("<p>"));
    EXPECT_EQ(ReadFile(dir / "out/notes.wgt"), "notes");
}

}  // namespace
}  // namespace kelvara::test
