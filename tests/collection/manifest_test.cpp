#include <gtest/gtest.h>

#include <filesystem>

#include "collection/manifest.h"
#include "collection/widget_name.h"
#include "platform/code_pages.h"
#include "platform/process.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace {

using kelvara::collection::Manifest;
using kelvara::collection::ManifestError;
using kelvara::collection::ReadWidgetName;
using kelvara::collection::StripLineFeeds;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;
using kelvara::test::WriteZip;

const char* kFullManifest =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<widget id=\"http://example.org/clock\" version=\"1.2\" height=\"200\" width=\"300\">\n"
    "  <description>My clock</description>\n"
    "  <access network=\"true\"/>\n"
    "</widget>\n";

std::string ErrorOf(const std::string& xml) {
    try {
        Manifest::Parse(xml).Description();
    } catch (const ManifestError& e) {
        return e.what();
    }
    return "";
}

TEST(Manifest, FullManifestGivesEveryField) {
    Manifest manifest = Manifest::Parse(kFullManifest);
    EXPECT_EQ(manifest.Description(), "My clock");
    auto fields = manifest.Fields();
    EXPECT_EQ(fields.height, "200");
    EXPECT_EQ(fields.width, "300");
    EXPECT_EQ(fields.version, "1.2");
    EXPECT_EQ(fields.id, "http://example.org/clock");
    EXPECT_EQ(fields.network, "true");
}

TEST(Manifest, MissingAttributesAndAccessAreAbsentNotEmpty) {
    auto fields = Manifest::Parse("<w width=\"\"><access/></w>").Fields();
    EXPECT_FALSE(fields.height.has_value());
    EXPECT_EQ(fields.width, "");
    EXPECT_FALSE(fields.network.has_value());
    EXPECT_FALSE(Manifest::Parse("<w/>").Fields().network.has_value());
    // Names match with letter case; values are taken as written, entities resolved.
    auto other =
        Manifest::Parse("<w Height=\"1\" width=\" 3&amp;4 \"><ACCESS network=\"true\"/></w>")
            .Fields();
    EXPECT_FALSE(other.height.has_value());
    EXPECT_EQ(other.width, " 3&4 ");
    EXPECT_FALSE(other.network.has_value());
}

TEST(Manifest, DescriptionContent) {
    EXPECT_EQ(Manifest::Parse("<w><description/></w>").Description(), "");
    EXPECT_EQ(Manifest::Parse("<w><description>\n  </description></w>").Description(), "");
    EXPECT_EQ(Manifest::Parse("<w/>").Description(), "");
    EXPECT_EQ(
        Manifest::Parse("<w><description><![CDATA[a <b> c]]></description></w>").Description(),
        "a <b> c");
    EXPECT_EQ(Manifest::Parse("<w><description>x</description><description>y</description></w>")
                  .Description(),
              "x");
    // Only a child of the root counts.
    EXPECT_EQ(Manifest::Parse("<w><x><description>deep</description></x></w>").Description(), "");
    const std::string mixed = "Element does not contain a single text node";
    EXPECT_EQ(ErrorOf("<w><description>a<!-- note --></description></w>"), mixed);
    EXPECT_EQ(ErrorOf("<w><description>a<b/>c</description></w>"), mixed);
}

TEST(Manifest, NamespacedRootMatchesByLocalNameInItsNamespace) {
    const char* xml =
        "<widget xmlns=\"http://www.w3.org/ns/widgets\" height=\"5\">"
        "<description>Named</description><access network=\"true\"/></widget>";
    Manifest manifest = Manifest::Parse(xml);
    EXPECT_EQ(manifest.Description(), "Named");
    EXPECT_EQ(manifest.Fields().network, "true");
    EXPECT_EQ(
        Manifest::Parse("<w:widget xmlns:w=\"urn:a\"><w:description>P</w:description></w:widget>")
            .Description(),
        "P");
    // A description of another namespace is not the manifest's.
    EXPECT_EQ(Manifest::Parse(
                  "<w xmlns=\"urn:a\"><o:description xmlns:o=\"urn:b\">No</o:description></w>")
                  .Description(),
              "");
}

TEST(Manifest, EncodingsAreConverted) {
    std::string cp1251 = kelvara::platform::Utf8ToWindows1251("Часы");
    EXPECT_EQ(Manifest::Parse("<?xml version=\"1.0\" encoding=\"windows-1251\"?><w><description>" +
                              cp1251 + "</description></w>")
                  .Description(),
              "Часы");
    std::u16string text = u"\uFEFF<w><description>Погода</description></w>";
    std::string utf16;
    for (char16_t c : text) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    EXPECT_EQ(Manifest::Parse(utf16).Description(), "Погода");
}

// Windows-1251 decodes as everywhere else: 0x98 is U+0098, not an error or "?".
TEST(Manifest, Windows1251ManifestDecodesEveryByte) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
    Manifest manifest = Manifest::Parse(head + "<w id=\"a\x98\xC1\" version=\"\x88\xB9\">" +
                                        "<description>\x98</description></w>");
    EXPECT_EQ(manifest.Fields().id, "a\u0098Б");
    EXPECT_EQ(manifest.Fields().version, "€№");
    EXPECT_EQ(manifest.Description(), "\u0098");

    // A long value crosses the parser's conversion chunks without losing a character.
    std::string cyrillic, expected;
    for (int i = 0; i < 20000; ++i) {
        cyrillic += static_cast<char>(0xC0 + i % 64);
        cyrillic += '\x98';
        expected += kelvara::platform::Windows1251ToUtf8(cyrillic.substr(cyrillic.size() - 2));
    }
    EXPECT_EQ(
        Manifest::Parse(head + "<w><description>" + cyrillic + "</description></w>").Description(),
        expected);
    EXPECT_EQ(
        Manifest::Parse("<?xml version=\"1.0\" encoding=\"CP1251\"?><w id=\"\x98\"/>").Fields().id,
        "\u0098");
}

TEST(Manifest, ExternalEntitiesAreNeverLoaded) {
    TempFolder dir;
    WriteFile(dir / "secret.txt", "top secret");
    std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file://" +
                      (dir / "secret.txt") +
                      "\"> <!ENTITY inner \"fine\">]><w><description>&x;&inner;</description></w>";
    std::string description;
    try {
        description = Manifest::Parse(xml).Description();
    } catch (const ManifestError&) {
    }
    EXPECT_EQ(description.find("top secret"), std::string::npos);
    // An internal entity is substituted.
    EXPECT_EQ(
        Manifest::Parse("<!DOCTYPE w [<!ENTITY n \"Clock\">]><w><description>&n;</description></w>")
            .Description(),
        "Clock");
}

TEST(Manifest, ParseErrorNamesTheLineAndItsStart) {
    std::string error = ErrorOf("<w>\n<description>x</descr>\n</w>");
    EXPECT_NE(error.find("\r\nLine: 2\r\n<description>x</descr>"), std::string::npos) << error;
    std::string longLine = "<w " + std::string(60, 'a') + "=";
    std::string second = ErrorOf(longLine);
    EXPECT_EQ(second.substr(second.size() - 40), longLine.substr(0, 40)) << second;
}

TEST(Manifest, StripLineFeeds) {
    EXPECT_EQ(StripLineFeeds("one\ntwo\nthree"), "onetwothree");
    EXPECT_EQ(StripLineFeeds("\n\n\n"), "");
    EXPECT_EQ(StripLineFeeds("a\r\nb"), "a\rb");
}

TEST(WidgetName, ReadsThePackagesManifestAndAMissingOneReadsAsEmpty) {
    TempFolder dir;
    WriteZip(dir / "clock.wgt", {{"config.xml", "<w><description>My\nclock</description></w>"},
                                 {"icon.png", "not really"}});
    WriteZip(dir / "bare.wgt", {{"sub/config.xml", "<w><description>Deep</description></w>"}});
    WriteFile(dir / "broken.wgt", "not a zip");
    EXPECT_EQ(ReadWidgetName(dir / "clock.wgt"), "Myclock");
    // Neither a manifest in a sub-folder nor what an earlier package left behind counts.
    EXPECT_EQ(ReadWidgetName(dir / "bare.wgt"), "");
    EXPECT_EQ(ReadWidgetName(dir / "broken.wgt"), "");
    WriteZip(dir / "mixed.wgt", {{"config.xml", "<w><description>a<b/></description></w>"}});
    EXPECT_THROW(ReadWidgetName(dir / "mixed.wgt"), ManifestError);
    // A named pipe is no package: it is never opened (that would wait for a writer).
    ASSERT_EQ(kelvara::platform::RunProcess("mkfifo", {dir / "pipe.wgt"}).exitCode, 0);
    EXPECT_EQ(ReadWidgetName(dir / "pipe.wgt"), "");
    // Nor a folder.
    std::filesystem::create_directory(dir / "folder.wgt");
    EXPECT_EQ(ReadWidgetName(dir / "folder.wgt"), "");
}

}  // namespace
