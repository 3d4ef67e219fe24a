// Any text through every highlighter's scanning contract: each line finishes, each step
// consumes at least one character, the tokens tile the line from its start, and a line scanned
// again from the same range state ends in the same state (the text view rescans lines that way).
#include <cstdlib>
#include <string>
#include <vector>

#include "highlight/highlighter_registry.h"
#include "testkit/text_lines.h"

namespace {

using kelvara::highlight::TCustomHighlighter;

// Scans one line to its end, aborting on a broken contract; returns the state after it.
int ScanLine(TCustomHighlighter& highlighter, const std::u16string& line, int lineNumber) {
    highlighter.StartLine(line, lineNumber);
    int expectedStart = 0;
    size_t steps = 0;
    while (!highlighter.LineFinished()) {
        const int before = highlighter.RunPosition();
        if (highlighter.TokenStart() != expectedStart)
            std::abort();
        highlighter.TokenAttribute();
        highlighter.TokenKindCode();
        if (highlighter.TokenTextView().size() > line.size())
            std::abort();
        highlighter.Advance();
        if (highlighter.RunPosition() <= before || ++steps > line.size() + 2)
            std::abort();
        expectedStart = before;
    }
    return highlighter.CurrentRangeState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvara::highlight;
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const std::vector<std::u16string> lines = kelvara::test::SplitLines(text);
    for (std::string_view language : HighlighterLanguages()) {
        auto highlighter = CreateHighlighter(language);
        if (!highlighter)
            continue;
        highlighter->ClearRangeState();
        int state = highlighter->CurrentRangeState();
        for (size_t n = 0; n < lines.size(); ++n) {
            const int lineNumber = static_cast<int>(n);
            if (n > 0)
                highlighter->RestoreRangeState(state);
            const int after = ScanLine(*highlighter, lines[n], lineNumber);
            if (n > 0)
                highlighter->RestoreRangeState(state);
            else
                highlighter->ClearRangeState();
            if (ScanLine(*highlighter, lines[n], lineNumber) != after)
                std::abort();
            state = after;
        }
    }
    return 0;
}
