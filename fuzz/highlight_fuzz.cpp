// Any text through every highlighter's scanning contract: each line finishes, each step
// consumes at least one character, and the range state carries over to the next line.
#include <cstdlib>
#include <string>
#include <vector>

#include "highlight/highlighter_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvara::highlight;
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::vector<std::u16string> lines{u""};
    for (char16_t c : text) {
        if (c == u'\n') lines.emplace_back();
        else lines.back() += c;
    }
    for (std::string_view language : HighlighterLanguages()) {
        auto highlighter = CreateHighlighter(language);
        if (!highlighter) continue;
        highlighter->ClearRangeState();
        int state = highlighter->CurrentRangeState();
        for (size_t n = 0; n < lines.size(); ++n) {
            if (n > 0) highlighter->RestoreRangeState(state);
            highlighter->StartLine(lines[n], static_cast<int>(n));
            size_t steps = 0;
            while (!highlighter->LineFinished()) {
                int before = highlighter->RunPosition();
                highlighter->TokenAttribute();
                highlighter->TokenKindCode();
                highlighter->TokenTextView();
                highlighter->Advance();
                if (highlighter->RunPosition() <= before || ++steps > lines[n].size() + 2) std::abort();
            }
            state = highlighter->CurrentRangeState();
        }
    }
    return 0;
}
