// Token attributes (defaults, overrides, change notification, assignment), the highlighter's
// name-sorted attribute list and its listeners.
#include <gtest/gtest.h>

#include <vector>

#include "framework_test_highlighter.h"
#include "highlight/highlighter_errors.h"
#include "highlight/notify_event_chain.h"

namespace kelvara::highlight::test {
namespace {

using Stored = THighlighterAttributes::StoredProperty;

TEST(HighlighterAttributes, StartWithoutColourOrStyle) {
    THighlighterAttributes a("Comment", u"Comment");
    EXPECT_EQ(a.Background(), kColorNone);
    EXPECT_EQ(a.Foreground(), kColorNone);
    EXPECT_EQ(a.Style(), 0);
    EXPECT_TRUE(a.StoredProperties().empty());
}

TEST(HighlighterAttributes, OnlyRealChangesNotify) {
    THighlighterAttributes a("Key", u"Key");
    int changes = 0;
    a.SetOnChange([&](THighlighterAttributes& sender) {
        EXPECT_EQ(&sender, &a);
        ++changes;
    });
    a.SetForeground(RgbColor(128, 0, 128));
    a.SetForeground(RgbColor(128, 0, 128));
    a.SetBackground(kColorNone);
    a.SetStyle(kStyleBold);
    a.SetStyle(kStyleBold | 0x80);  // bits beyond the four flags are dropped: no change
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(a.Foreground(), 0x00800080u);
    EXPECT_EQ(a.Style(), kStyleBold);
}

TEST(HighlighterAttributes, StoresOnlyWhatDiffersFromTheSnapshot) {
    TTestHighlighter h;  // the keyword attribute is constructed bold
    THighlighterAttributes& key = *h.keyAttri;
    EXPECT_EQ(key.StyleDefault(), kStyleBold);
    key.SetForeground(0xFF00001D);  // menu-highlight system colour
    key.SetStyle(kStyleBold);       // the constructor's own value
    EXPECT_EQ(key.StoredProperties(), (std::vector<Stored>{{"Foreground", 0xFF00001Du}}));
    // A value set back to the constructor's colour is not stored either.
    h.commentAttri->SetForeground(RgbColor(0, 128, 0));
    EXPECT_TRUE(h.commentAttri->StoredProperties().empty());
    key.SetForeground(kColorNone);
    EXPECT_TRUE(key.StoredProperties().empty());
}

TEST(HighlighterAttributes, AssignCopiesNameAndValuesAndNotifiesOnce) {
    THighlighterAttributes source("Symbol", u"Symbol");
    source.SetForeground(RgbColor(0, 128, 0));
    source.SetBackground(RgbColor(1, 2, 3));
    source.SetStyle(kStyleBold | kStyleItalic);
    THighlighterAttributes target("Other", u"Other");
    int changes = 0;
    target.SetOnChange([&](THighlighterAttributes&) { ++changes; });
    target.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Name(), "Symbol");
    EXPECT_EQ(target.FriendlyName(), u"Other");
    EXPECT_EQ(target.Foreground(), 0x00008000u);
    EXPECT_EQ(target.Background(), 0x00030201u);
    target.Assign(source);
    EXPECT_EQ(changes, 1);
}

TEST(HighlighterAttributeList, SortedByNameWithNoneOutsideTheRange) {
    TTestHighlighter h;
    ASSERT_EQ(h.AttributeCount(), 5);
    std::vector<std::string> names;
    for (int i = 0; i < h.AttributeCount(); ++i) {
        names.push_back(h.AttributeAt(i)->Name());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Comment", "ReservedWord", "Space", "Symbol", "Word"}));
    EXPECT_EQ(h.AttributeAt(-1), nullptr);
    EXPECT_EQ(h.AttributeAt(h.AttributeCount()), nullptr);
    EXPECT_EQ(h.FindAttribute("Symbol"), h.symbolAttri);
    EXPECT_EQ(h.FindAttribute("symbol"), nullptr);
}

TEST(HighlighterAttributeList, RejectsDuplicateName) {
    TTestHighlighter h;
    try {
        h.AddAttribute("Space", u"Another space");
        FAIL() << "duplicate accepted";
    } catch (const EHighlighterError& e) {
        EXPECT_STREQ(e.what(), "String list does not allow duplicates");
    }
    EXPECT_EQ(h.AttributeCount(), 5);
}

TEST(HighlighterListeners, AttributeChangesReachHookedListeners) {
    TTestHighlighter h;
    std::vector<const THighlighterAttributes*> seen;
    int key = 0;
    h.HookAttributeChange(&key, [&](const THighlighterAttributes* a) { seen.push_back(a); });
    h.symbolAttri->SetStyle(kStyleBold);
    h.SetEnabled(true);  // unchanged: silent
    h.SetEnabled(false);
    EXPECT_EQ(seen, (std::vector<const THighlighterAttributes*>{h.symbolAttri, nullptr}));
    h.UnhookAttributeChange(&key);
    h.symbolAttri->SetStyle(0);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(HighlighterListeners, LoadingIsSilentUntilItsEnd) {
    TTestHighlighter h;
    std::vector<const THighlighterAttributes*> seen;
    int key = 0;
    h.HookAttributeChange(&key, [&](const THighlighterAttributes* a) { seen.push_back(a); });
    h.BeginLoading();
    h.keyAttri->SetForeground(RgbColor(128, 0, 128));
    h.commentAttri->SetForeground(0xFF00001D);
    EXPECT_TRUE(seen.empty());
    h.EndLoading();
    EXPECT_EQ(seen, (std::vector<const THighlighterAttributes*>{nullptr}));
    // The values loaded are overrides of the constructor's snapshot.
    EXPECT_EQ(h.keyAttri->StoredProperties().size(), 1u);
}

TEST(HighlighterAssign, CopiesAttributesByNameThenFilterAndEnabled) {
    TTestHighlighter source;
    source.symbolAttri->SetForeground(RgbColor(0, 128, 0));
    source.SetDefaultFilter("Test files (*.t)|*.t");
    source.SetEnabled(false);
    TTestHighlighter target;
    target.Assign(source);
    EXPECT_EQ(target.symbolAttri->Foreground(), 0x00008000u);
    EXPECT_EQ(target.symbolAttri->Name(), "Symbol");
    EXPECT_EQ(target.DefaultFilter(), "Test files (*.t)|*.t");
    EXPECT_FALSE(target.Enabled());
}

TEST(NotifyEventChain, FiresInOrderReplacesByKeyAndSurvivesRemovalWhileFiring) {
    TNotifyEventChain chain;
    std::vector<int> calls;
    int a = 0, b = 0, c = 0;
    chain.Add(&a, [&](const void* sender) {
        EXPECT_EQ(sender, &c);
        calls.push_back(1);
        chain.Remove(&b);  // b must not run in this firing
    });
    chain.Add(&b, [&](const void*) { calls.push_back(2); });
    chain.Add(&c, [&](const void*) { calls.push_back(3); });
    chain.Add(&c, [&](const void*) { calls.push_back(4); });  // replaces, keeps position
    EXPECT_EQ(chain.Count(), 3);
    chain.Fire(&c);
    EXPECT_EQ(calls, (std::vector<int>{1, 4}));
    EXPECT_FALSE(chain.Contains(&b));
    chain.Remove(&b);  // unknown key: ignored
    EXPECT_EQ(chain.Count(), 2);
}

}  // namespace
}  // namespace kelvara::highlight::test
