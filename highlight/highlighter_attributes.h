// The look of one token kind: background, foreground and font style, under an internal name
// (the key in the highlighter's attribute list) and a display name.
//
// After its highlighter is constructed the attribute takes a snapshot of its three values (the
// defaults). Values set later are overrides; only those differ from the snapshot and only those
// are reported by StoredProperties(), so saved settings hold exactly what was changed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/color_values.h"

namespace kelvara::highlight {

class THighlighterAttributes {
  public:
    using ChangeHandler = std::function<void(THighlighterAttributes& sender)>;

    // One overridden value as it would be stored: "Background", "Foreground" or "Style".
    struct StoredProperty {
        std::string_view name;
        std::uint32_t value;
        bool operator==(const StoredProperty&) const = default;
    };

    THighlighterAttributes(std::string name, std::u16string friendlyName);
    THighlighterAttributes(const THighlighterAttributes&) = delete;
    THighlighterAttributes& operator=(const THighlighterAttributes&) = delete;

    const std::string& Name() const { return name_; }
    const std::u16string& FriendlyName() const { return friendlyName_; }

    ColorValue Background() const { return background_; }
    ColorValue Foreground() const { return foreground_; }
    FontStyles Style() const { return style_; }
    // Setting a value equal to the current one does nothing; a real change fires OnChange.
    void SetBackground(ColorValue color);
    void SetForeground(ColorValue color);
    void SetStyle(FontStyles style);  // bits above the four style flags are dropped

    ColorValue BackgroundDefault() const { return backgroundDefault_; }
    ColorValue ForegroundDefault() const { return foregroundDefault_; }
    FontStyles StyleDefault() const { return styleDefault_; }
    // Records the current values as the defaults (done once, after the highlighter's
    // constructor has set them).
    void TakeDefaultSnapshot();

    bool IsBackgroundStored() const { return background_ != backgroundDefault_; }
    bool IsForegroundStored() const { return foreground_ != foregroundDefault_; }
    bool IsStyleStored() const { return style_ != styleDefault_; }
    // The overridden values in the order Background, Foreground, Style.
    std::vector<StoredProperty> StoredProperties() const;

    // Copies the name, then background, foreground and style; fires OnChange once when any of
    // the three changed.
    void Assign(const THighlighterAttributes& source);

    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

  private:
    void Changed();

    ColorValue background_ = kColorNone;
    ColorValue backgroundDefault_ = kColorNone;
    ColorValue foreground_ = kColorNone;
    ColorValue foregroundDefault_ = kColorNone;
    std::u16string friendlyName_;
    std::string name_;
    FontStyles style_ = 0;
    FontStyles styleDefault_ = 0;
    ChangeHandler onChange_;
};

}  // namespace kelvara::highlight
