// Random lines of the characters that drive the two scanners: every line must end, every
// Advance must consume at least one character, and tokens must tile the line.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "highlight/css_highlighter.h"
#include "highlight/jscript_highlighter.h"
#include "platform/code_pages.h"
#include "testkit/text_lines.h"

namespace kelvara::highlight::test {
namespace {

const std::u16string kAlphabet =
    u"/*\"'#-.0123456789:;{},!\\xXaFgZ_$@|&+=%<>?()[]~ \t\r\n\u0000\u0436\u00A0\uE000"
    u"\xD83D\xDE00";

void ScanRandomLines(TCustomHighlighter& h, int stateCount, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> state(0, stateCount);  // one beyond the known states
    for (int i = 0; i < 20000; ++i) {
        const std::u16string line = ::kelvara::test::RandomLine(random, kAlphabet);
        h.RestoreRangeState(i % 7 == 0 ? state(random) : h.CurrentRangeState());
        h.StartLine(line, i);
        int expectedStart = 0;
        int steps = 0;
        while (!h.LineFinished()) {
            ASSERT_EQ(h.TokenStart(), expectedStart) << platform::Utf16ToUtf8(line);
            ASSERT_GT(h.RunPosition(), h.TokenStart()) << platform::Utf16ToUtf8(line);
            ASSERT_LE(h.RunPosition(), h.LineLength() + 1);
            expectedStart = h.RunPosition();
            h.Advance();
            ASSERT_LE(++steps, h.LineLength() + 1) << platform::Utf16ToUtf8(line);
        }
        ASSERT_EQ(h.RunPosition(), h.LineLength() + 1);
    }
}

TEST(ScriptHighlightersOnRandomInput, CssLinesAlwaysFinish) {
    TCssHighlighter h;
    ScanRandomLines(h, 6, 1234);
}

TEST(ScriptHighlightersOnRandomInput, JScriptLinesAlwaysFinish) {
    TJScriptHighlighter h;
    ScanRandomLines(h, 2, 4321);
}

}  // namespace
}  // namespace kelvara::highlight::test
