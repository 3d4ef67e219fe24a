// The desktop integration files agree with each other and with the program: the desktop entry,
// the AppStream metadata, the MIME type definition, the theme icons, the window icon and the
// manual pages. Validators check each file alone; these checks catch a name, type, size or
// version changed in one place and not in the others.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

const std::string kSource = KELVARA_SOURCE_DIR;
const std::string kId = KELVARA_APP_ID;
const int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

std::string Source(const std::string& path) {
    return kSource + "/" + path;
}

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry(const std::string& path) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(ReadFile(path));
    std::string line;
    bool inGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (inGroup && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

// What stands between each `open` in `text` and the next `close` after it.
std::vector<std::string> AllBetween(const std::string& text, const std::string& open,
                                    const std::string& close) {
    std::vector<std::string> found;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const size_t end = text.find(close, at);
        if (end == std::string::npos)
            break;
        found.push_back(text.substr(at, end - at));
        at = end;
    }
    return found;
}

// The value of attribute `name` in the text of an element's start tag; empty when missing.
std::string Attribute(const std::string& tag, const std::string& name) {
    const std::vector<std::string> values = AllBetween(tag, " " + name + "=\"", "\"");
    return values.empty() ? std::string() : values.front();
}

std::vector<std::string> Split(const std::string& list, char separator) {
    std::vector<std::string> items;
    std::istringstream stream(list);
    std::string item;
    while (std::getline(stream, item, separator))
        if (!item.empty())
            items.push_back(item);
    return items;
}

// Width and height from a PNG file's header; {0, 0} when it is not a PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& path) {
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {be32(16), be32(20)};
}

std::string MimeTypes() {
    return ReadFile(Source("resources/mime/kelvara.xml"));
}

std::string Metainfo() {
    return ReadFile(Source("resources/" + kId + ".metainfo.xml"));
}

TEST(DesktopFiles, MimeDefinitionDeclaresTheWidgetPackageType) {
    const std::string mime = MimeTypes();
    EXPECT_EQ(AllBetween(mime, "<mime-type type=\"", "\""),
              std::vector<std::string>{"application/widget"});
    EXPECT_EQ(AllBetween(mime, "<glob pattern=\"", "\""), std::vector<std::string>{"*.wgt"});
    EXPECT_EQ(AllBetween(mime, "<sub-class-of type=\"", "\""),
              std::vector<std::string>{"application/zip"});
    EXPECT_EQ(AllBetween(mime, "<comment xml:lang=\"", "\""), std::vector<std::string>{"ru"});
}

TEST(DesktopFiles, DesktopEntryLaunchesTheApplicationForItsFileType) {
    const std::string path = Source("resources/" + kId + ".desktop");
    ASSERT_TRUE(FileExists(path)) << path;
    std::map<std::string, std::string> entry = DesktopEntry(path);
    EXPECT_EQ(entry["Exec"], "kelvara %F");
    EXPECT_EQ(entry["Icon"], kId);
    EXPECT_EQ(Split(entry["MimeType"], ';'), AllBetween(MimeTypes(), "<mime-type type=\"", "\""));
}

TEST(DesktopFiles, MetainfoDescribesTheSameApplication) {
    const std::string metainfo = Metainfo();
    EXPECT_EQ(AllBetween(metainfo, "<id>", "</id>"), std::vector<std::string>{kId});
    EXPECT_EQ(AllBetween(metainfo, "<launchable type=\"desktop-id\">", "</launchable>"),
              std::vector<std::string>{kId + ".desktop"});
    EXPECT_EQ(AllBetween(metainfo, "<icon type=\"stock\">", "</icon>"),
              std::vector<std::string>{kId});
    EXPECT_EQ(AllBetween(metainfo, "<mediatype>", "</mediatype>"),
              AllBetween(MimeTypes(), "<mime-type type=\"", "\""));
    std::vector<std::string> categories = AllBetween(metainfo, "<category>", "</category>");
    EXPECT_EQ(categories,
              Split(DesktopEntry(Source("resources/" + kId + ".desktop"))["Categories"], ';'));
}

// The newest release (the first listed) is the version the programs print.
TEST(DesktopFiles, MetainfoNewestReleaseIsTheProgramVersion) {
    const std::vector<std::string> releases = AllBetween(Metainfo(), "<release version=\"", "\"");
    ASSERT_FALSE(releases.empty());
    EXPECT_EQ(releases.front(), KELVARA_VERSION);
}

// Each screenshot's address ends in the name of a picture in docs/ whose size it states.
TEST(DesktopFiles, MetainfoScreenshotsAreTheDocsPicturesAtTheirSizes) {
    int count = 0;
    for (const std::string& image : AllBetween(Metainfo(), "<image type=\"source\"", "</image>")) {
        ++count;
        const std::string address = image.substr(image.find('>') + 1);
        const std::string picture = Source("docs/" + address.substr(address.rfind('/') + 1));
        ASSERT_TRUE(FileExists(picture)) << picture;
        const auto [width, height] = PngSize(picture);
        EXPECT_EQ(std::to_string(width), Attribute(image, "width")) << picture;
        EXPECT_EQ(std::to_string(height), Attribute(image, "height")) << picture;
    }
    EXPECT_EQ(count, 2);
}

// The application icon and the file type icon exist as SVG and at every size of the theme.
TEST(DesktopFiles, ThemeIconsAtEverySize) {
    const std::vector<std::pair<std::string, std::string>> icons = {
        {"apps", kId}, {"mimetypes", "application-widget"}};
    for (const auto& [context, name] : icons) {
        const std::string svg = "resources/icons/hicolor/scalable/" + context + "/" + name + ".svg";
        EXPECT_TRUE(FileExists(Source(svg))) << svg;
        for (int size : kThemeSizes) {
            const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
            const std::string png =
                "resources/icons/hicolor/" + dimension + "/" + context + "/" + name + ".png";
            EXPECT_EQ(PngSize(Source(png)), std::make_pair(uint32_t(size), uint32_t(size))) << png;
        }
    }
}

// The icon compiled into the program is the theme's application icon at 32 x 32.
TEST(DesktopFiles, WindowIconIsTheApplicationIcon) {
    const std::string window = ReadFile(Source("resources/icons/kelvara.png"));
    EXPECT_FALSE(window.empty());
    EXPECT_TRUE(window == ReadFile(Source("resources/icons/hicolor/32x32/apps/" + kId + ".png")));
}

TEST(DesktopFiles, ManualPagesCarryTheProgramVersion) {
    for (const std::string page : {"kelvara.1", "kelvara-cli.1"}) {
        const std::vector<std::string> headers =
            AllBetween(ReadFile(Source("docs/man/" + page)), "\n.TH ", "\n");
        ASSERT_EQ(headers.size(), 1u) << page;
        EXPECT_NE(headers[0].find(std::string("\"Kelvara ") + KELVARA_VERSION + "\""),
                  std::string::npos)
            << page << ": " << headers[0];
    }
}

// Every command that kelvara-cli --help lists has an entry in the manual page, and so have the
// two options.
TEST(DesktopFiles, CliManualPageDocumentsEveryCommand) {
    std::ostringstream help, err;
    ASSERT_EQ(cli::Run({"--help"}, help, err), 0);
    std::istringstream lines(help.str());
    std::string line;
    std::vector<std::string> commands;
    bool inCommands = false;
    while (std::getline(lines, line)) {
        if (line == "commands:")
            inCommands = true;
        else if (line.empty())
            inCommands = false;
        else if (inCommands)
            commands.push_back(Split(line, ' ').front());
    }
    ASSERT_GE(commands.size(), 7u) << help.str();
    const std::string page = ReadFile(Source("docs/man/kelvara-cli.1"));
    for (const std::string& command : commands)
        EXPECT_NE(page.find("\n.TP\n\\fB" + command + "\\fR"), std::string::npos) << command;
    EXPECT_NE(page.find("\n.B \\-\\-version\n"), std::string::npos);
    EXPECT_NE(page.find("\n.BR \\-h \", \" \\-\\-help"), std::string::npos);
}

}  // namespace
}  // namespace kelvara::test
