// The token listing behind "kelvara-cli tokens", and the command itself.
#include <gtest/gtest.h>

#include <string>

#include "framework_test_highlighter.h"
#include "highlight/token_listing.h"
#include "testkit/cli_runner.h"
#include "testkit/temp_folder.h"

namespace kelvara::highlight::test {
namespace {

std::string Escaped(std::u16string_view text) {
    std::string out;
    AppendEscapedTokenText(out, text);
    return out;
}

TEST(TokenListing, EscapesControlsAndEncodesUtf8) {
    EXPECT_EQ(Escaped(u"a\tb\r\n\\c"), "a\\tb\\r\\n\\\\c");
    EXPECT_EQ(Escaped(u"\u0434\u20AC"), "\xD0\xB4\xE2\x82\xAC");
    EXPECT_EQ(Escaped(u"\U0001F600"), "\xF0\x9F\x98\x80");
    // Lone surrogates (either half, also at the very end) become U+FFFD.
    const std::u16string lone = {char16_t(0xDC00), u'x', char16_t(0xD800)};
    EXPECT_EQ(Escaped(lone), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(TokenListing, ListsTokensAndCarriesStateBetweenLines) {
    TTestHighlighter h;
    TTokenListing listing(h, false);
    std::string out;
    listing.ScanLine(u"body\t/* x", out);
    listing.ScanLine(u"", out);
    listing.ScanLine(u"*/", out);
    EXPECT_EQ(out,
              "0\t0\t3\tReservedWord\tbody\n"
              "0\t4\t1\tSpace\t\\t\n"
              "0\t5\t5\tComment\t/* x\n"
              "state\t1\n"
              "state\t1\n"
              "2\t0\t5\tComment\t*/\n"
              "state\t0\n");
    EXPECT_EQ(listing.Lines(), 3u);
    EXPECT_EQ(listing.Tokens(), 4u);
}

TEST(TokenListing, CountOnlyWritesNothing) {
    TTestHighlighter h;
    TTokenListing listing(h, true);
    std::string out;
    listing.ScanLine(u"a b", out);
    listing.ScanLine(u"c", out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(listing.Lines(), 2u);
    EXPECT_EQ(listing.Tokens(), 4u);
}

using kelvara::platform::ProcessResult;
using kelvara::test::RunCli;

// Everything the command printed, standard output then standard error.
std::string Printed(const ProcessResult& run) {
    return run.out + run.err;
}

TEST(TokensCommand, UsageErrorsAndUnreadableFile) {
    kelvara::test::TempFolder dir;
    EXPECT_EQ(RunCli({"tokens"}).exitCode, 2);
    EXPECT_EQ(RunCli({"tokens", "xml"}).exitCode, 2);
    EXPECT_EQ(RunCli({"tokens", "--sideways", "xml", dir / "x"}).exitCode, 2);
    const ProcessResult unknown = RunCli({"tokens", "pascal", dir / "x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(Printed(unknown).find("pascal"), std::string::npos);
    const ProcessResult missing = RunCli({"tokens", "xml", dir / "missing.xml"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(Printed(missing).find("Cannot open file"), std::string::npos);
}

TEST(TokensCommand, CountsLinesAndTokens) {
    kelvara::test::TempFolder dir;
    // Two lines: the break at the end adds a last, empty line, which has no tokens.
    kelvara::test::WriteFile(dir / "a.xml", "<a/>\n");
    const ProcessResult listedRun = RunCli({"tokens", "xml", dir / "a.xml"});
    const std::string listed = Printed(listedRun);
    ASSERT_EQ(listedRun.exitCode, 0) << listed;
    size_t tokenLines = 0, stateLines = 0;
    for (size_t at = 0; at < listed.size();) {
        const size_t end = listed.find('\n', at);
        const std::string line = listed.substr(at, end - at);
        if (line.rfind("state\t", 0) == 0) {
            ++stateLines;
        } else if (line.rfind("0\t", 0) == 0) {
            ++tokenLines;
        }
        at = end == std::string::npos ? listed.size() : end + 1;
    }
    EXPECT_EQ(stateLines, 2u);
    ASSERT_GT(tokenLines, 0u);
    const ProcessResult counted = RunCli({"tokens", "--count", "xml", dir / "a.xml"});
    EXPECT_EQ(counted.exitCode, 0);
    EXPECT_NE(Printed(counted).find("2\t" + std::to_string(tokenLines) + "\n"), std::string::npos)
        << Printed(counted);
}

}  // namespace
}  // namespace kelvara::highlight::test
