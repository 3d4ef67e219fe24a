// The text view's token source over a highlighter. It listens to the highlighter's attribute
// changes from construction on, and learns when the highlighter is destroyed: the listener it
// registers owns a sentinel that the highlighter's listener list destroys with itself.
#pragma once

#include <functional>

#include "highlight/custom_highlighter.h"
#include "textview/code_token_source.h"

namespace kelvara::textview {

class THighlighterTokenSource : public TCodeTokenSource {
  public:
    // `onFreed` runs when the highlighter is destroyed first; the source must then be dropped
    // without touching the highlighter again.
    THighlighterTokenSource(highlight::TCustomHighlighter& highlighter,
                            std::function<void()> onFreed);
    ~THighlighterTokenSource() override;

    highlight::TCustomHighlighter& Highlighter() const { return highlighter_; }

    void ClearRangeState() override { highlighter_.ClearRangeState(); }
    void RestoreRangeState(int state) override { highlighter_.RestoreRangeState(state); }
    void ScanLine(std::u16string_view line, int index) override;
    int CurrentRangeState() override { return highlighter_.CurrentRangeState(); }

    bool Enabled() const override { return highlighter_.Enabled(); }
    void StartLineExpanded(std::u16string_view line, std::u16string_view display,
                           int index) override {
        highlighter_.StartLineExpanded(line, display, index);
    }
    bool LineFinished() override { return highlighter_.LineFinished(); }
    void Advance() override { highlighter_.Advance(); }
    int ExpandedTokenStart() override { return highlighter_.ExpandedTokenStart(); }
    int ExpandedTokenLength() override;
    bool CurrentTokenLook(TokenLook& look) override;
    highlight::ColorValue WhitespaceBackground() override;
    highlight::FontStyles StylesUsed() override;
    void SetChangeListener(std::function<void()> listener) override;

  private:
    struct FreeSentinel {
        std::function<void()> onFreed;
        ~FreeSentinel() {
            if (onFreed)
                onFreed();
        }
    };

    highlight::TCustomHighlighter& highlighter_;
    std::function<void()> listener_;
    std::function<void()> onFreed_;
    FreeSentinel* sentinel_ = nullptr;  // owned by the registered listener
    bool freed_ = false;
};

}  // namespace kelvara::textview
