// Random and malformed input for the XML and HTML highlighters: every Advance must consume at
// least one character, tokens must tile the line, and every line must finish.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "highlight/html_highlighter.h"
#include "highlight/xml_highlighter.h"
#include "testkit/text_lines.h"

namespace kelvara::highlight {
namespace {

// Characters that drive the state machines, plus letters, blanks, controls and wide codes.
using namespace std::string_literals;

// The alphabet holds an embedded zero, hence the string literal with its length.
const std::u16string kAlphabet =
    u"<<>>!?-/[]&#;='\"\"'  \t\r\n\0xXaAbB09fFlt:._CDATYPEdoctypexmlnsamp\u00c0\u00c1\u0416\uE000"s;

void CheckRandomScan(TCustomHighlighter& h, int kindCount, int stateCount, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> oddState(-3, stateCount + 3);
    h.ClearRangeState();
    for (int lineIndex = 0; lineIndex < 20000; ++lineIndex) {
        if (lineIndex % 97 == 0) {
            h.RestoreRangeState(oddState(random));
        }
        const std::u16string line = ::kelvara::test::RandomLine(random, kAlphabet);
        h.StartLine(line, lineIndex);
        int expectedStart = 0;
        int tokens = 0;
        while (!h.LineFinished()) {
            ASSERT_EQ(h.TokenStart(), expectedStart) << "line " << lineIndex;
            ASSERT_GT(h.RunPosition(), h.TokenStart()) << "line " << lineIndex;
            ASSERT_GE(h.TokenKindCode(), 0);
            ASSERT_LT(h.TokenKindCode(), kindCount);
            expectedStart = h.RunPosition();
            ASSERT_LE(++tokens, static_cast<int>(line.size()) + 1) << "line " << lineIndex;
            h.Advance();
        }
        ASSERT_EQ(h.RunPosition(), static_cast<int>(line.size()) + 1);
        const int state = h.CurrentRangeState();
        ASSERT_GE(state, 0);
        ASSERT_LT(state, stateCount);
        h.RestoreRangeState(state);
    }
}

TEST(MarkupRobustness, XmlRandomLinesAlwaysFinish) {
    TXmlHighlighter h;
    CheckRandomScan(h, 22, 19, 1u);
    CheckRandomScan(h, 22, 19, 77u);
}

TEST(MarkupRobustness, HtmlRandomLinesAlwaysFinish) {
    THtmlHighlighter h;
    CheckRandomScan(h, 10, 9, 2u);
    CheckRandomScan(h, 10, 9, 78u);
}

TEST(MarkupRobustness, EveryStartStateOnTruncatedConstructs) {
    // Line ends right inside each marker, from every state.
    const std::u16string cut[] = {u"<",  u"<!",  u"<!-", u"<!D",  u"<![CDA", u"<?", u"</", u"&",
                                  u"&#", u"&#x", u"a='", u"a=\"", u"]",      u"-",  u"--", u"?",
                                  u"\r", u"=",   u"'",   u"\"",   u"<!-->",  u">",  u"x&", u"&amp"};
    TXmlHighlighter xml;
    THtmlHighlighter html;
    for (TCustomHighlighter* h :
         {static_cast<TCustomHighlighter*>(&xml), static_cast<TCustomHighlighter*>(&html)}) {
        for (int state = 0; state < 19; ++state) {
            for (const auto& line : cut) {
                h->RestoreRangeState(state);
                h->StartLine(line, 0);
                int guard = 0;
                while (!h->LineFinished()) {
                    ASSERT_LT(++guard, 16);
                    h->Advance();
                }
            }
        }
    }
}

}  // namespace
}  // namespace kelvara::highlight
