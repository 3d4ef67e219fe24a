#include "textview/code_range_scan.h"

#include <gtest/gtest.h>

namespace kelvara::textview {
namespace {

// State = 1 inside a block that "{" opens and "}" closes; logs the scanned line indices.
struct BraceScanner : TRangeScanner {
    int state = 0;
    std::vector<int> scanned;
    void ClearRangeState() override { state = 0; }
    void RestoreRangeState(int s) override { state = s; }
    void ScanLine(std::u16string_view line, int index) override {
        scanned.push_back(index);
        for (char16_t c : line) {
            if (c == u'{')
                state = 1;
            if (c == u'}')
                state = 0;
        }
    }
    int CurrentRangeState() override { return state; }
};

std::vector<int> States(const TCodeLineList& lines) {
    std::vector<int> out;
    for (int i = 0; i < lines.Count(); ++i)
        out.push_back(lines.RangeState(i));
    return out;
}

TEST(CodeRangeScan, FullScanCarriesTheStateFromLineToLine) {
    TCodeLineList lines;
    lines.SetText(u"a\n{\nb\n}\nc");
    BraceScanner scanner;
    scanner.state = 1;  // must be cleared first
    ScanAllRanges(lines, scanner);
    EXPECT_EQ(States(lines), (std::vector<int>{0, 1, 1, 0, 0}));
    EXPECT_EQ(scanner.scanned.size(), 5u);
}

TEST(CodeRangeScan, RescanAfterInsertStopsAtFirstUnchangedState) {
    TCodeLineList lines;
    lines.SetText(u"a\nb\nc\nd\ne");
    BraceScanner scanner;
    ScanAllRanges(lines, scanner);

    // A neutral line: it and the line after it are scanned, then the states agree.
    lines.Insert(2, u"x");
    scanner.scanned.clear();
    ScanChangedRanges(lines, scanner, 2, 1);
    EXPECT_EQ(scanner.scanned, (std::vector<int>{2, 3}));

    // An opening brace changes every state below it.
    lines.Insert(1, u"{");
    scanner.scanned.clear();
    ScanChangedRanges(lines, scanner, 1, 1);
    EXPECT_EQ(scanner.scanned, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(States(lines), (std::vector<int>{0, 1, 1, 1, 1, 1, 1}));

    // Closing it again just after: the scan starts from the stored state of the line above.
    lines.Put(3, u"}");
    scanner.scanned.clear();
    ScanChangedRanges(lines, scanner, 3, 1);
    EXPECT_EQ(scanner.scanned, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(States(lines), (std::vector<int>{0, 1, 1, 0, 0, 0, 0}));
}

TEST(CodeRangeScan, MultiLineInsertIsCoveredDespiteEarlyStops) {
    TCodeLineList lines;
    lines.SetText(u"a\nb");
    BraceScanner scanner;
    ScanAllRanges(lines, scanner);
    lines.InsertLines(1, {u"p", u"q", u"r"});
    // Pretend line 2 was already scanned with its right state: the first pass stops there and a
    // second one covers the rest of the inserted lines.
    lines.SetRangeState(1, 0);
    lines.SetRangeState(2, 0);
    scanner.scanned.clear();
    ScanChangedRanges(lines, scanner, 1, 3);
    EXPECT_EQ(scanner.scanned, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(States(lines), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST(CodeRangeScan, EmptyListAndOutOfRangeStarts) {
    TCodeLineList lines;
    BraceScanner scanner;
    ScanAllRanges(lines, scanner);
    EXPECT_EQ(ScanRangesFrom(lines, scanner, 0), 0);
    lines.Add(u"{");
    EXPECT_EQ(ScanRangesFrom(lines, scanner, 5), 1);
    EXPECT_TRUE(scanner.scanned.empty());
}

}  // namespace
}  // namespace kelvara::textview
