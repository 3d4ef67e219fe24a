#include "textview/code_line_list.h"

#include <gtest/gtest.h>

#include "testkit/temp_folder.h"

namespace kelvara::textview {
namespace {

// Records the notifications as short strings.
struct EventLog : TCodeLineListObserver {
    std::vector<std::string> events;
    void LinesChanging() override { events.push_back("changing"); }
    void LinesChanged() override { events.push_back("changed"); }
    void LinesCleared() override { events.push_back("cleared"); }
    void LinesInserted(int i, int n) override { Add("inserted", i, n); }
    void LinesDeleted(int i, int n) override { Add("deleted", i, n); }
    void LinesReplaced(int i, int n) override { Add("replaced", i, n); }
    void Add(const char* what, int i, int n) {
        events.push_back(std::string(what) + " " + std::to_string(i) + "+" + std::to_string(n));
    }
};

using Events = std::vector<std::string>;

TEST(CodeLineList, CapacityGrowsBySixteenThenByAQuarter) {
    EXPECT_EQ(TCodeLineList::GrownCapacity(0), 16u);
    EXPECT_EQ(TCodeLineList::GrownCapacity(64), 80u);
    EXPECT_EQ(TCodeLineList::GrownCapacity(80), 100u);

    TCodeLineList lines;
    lines.Add(u"x");
    EXPECT_EQ(lines.Capacity(), 16u);
    for (int i = 0; i < 64; ++i)
        lines.Add(u"x");
    EXPECT_EQ(lines.Capacity(), 80u);
}

TEST(CodeLineList, ChangesAreBracketedAndNested) {
    TCodeLineList lines;
    EventLog log;
    lines.SetObserver(&log);
    lines.Add(u"a");
    EXPECT_EQ(log.events, (Events{"changing", "inserted 0+1", "changed"}));

    log.events.clear();
    lines.BeginUpdate();
    lines.Insert(0, u"b");
    lines.Put(1, u"c");
    lines.Delete(0);
    lines.EndUpdate();
    EXPECT_EQ(log.events,
              (Events{"changing", "inserted 0+1", "replaced 1+1", "deleted 0+1", "changed"}));
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines[0], u"c");
}

TEST(CodeLineList, SetTextClearsThenInsertsAllLinesUnscanned) {
    TCodeLineList lines;
    lines.Add(u"old");
    EventLog log;
    lines.SetObserver(&log);
    lines.SetText(u"one\ntwo\n", TextEncoding::Utf8);
    EXPECT_EQ(log.events, (Events{"changing", "cleared", "inserted 0+3", "changed"}));
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines[1], u"two");
    EXPECT_EQ(lines[2], u"");
    EXPECT_EQ(lines.RangeState(0), TCodeLineList::kUnscanned);
    EXPECT_EQ(lines.LineBreak(), LineBreakKind::Unix);
    EXPECT_EQ(lines.Encoding(), TextEncoding::Utf8);
}

TEST(CodeLineList, EditsKeepOtherLinesIntact) {
    TCodeLineList lines;
    lines.SetText(u"alpha\r\nbeta\r\ngamma");
    lines.Put(1, u"b");                         // shorter: in place
    lines.Put(0, u"a much longer first line");  // longer: moved
    lines.InsertLines(1, {u"x", u"y"});
    lines.DeleteLines(3, 10);  // clipped to the end
    EXPECT_EQ(lines.Text(u"|"), u"a much longer first line|x|y");

    // Enough replaced text to make the buffer compact itself.
    const std::u16string big(700000, u'q');
    for (int i = 0; i < 4; ++i)
        lines.Put(1, big + std::u16string(static_cast<size_t>(i + 1), u'!'));
    EXPECT_EQ(lines[1].size(), big.size() + 4);
    EXPECT_EQ(lines[0], u"a much longer first line");
    EXPECT_LT(lines.MemoryUsed(), 4 * big.size() * sizeof(char16_t));
    EXPECT_THROW(lines.Line(3), std::out_of_range);
}

TEST(CodeLineList, WidthsFollowTheTabWidth) {
    TCodeLineList lines;
    lines.SetText(u"abc\tx\n\t\nplain text here");
    EXPECT_EQ(lines.ExpandedWidth(0), 9);
    EXPECT_TRUE(lines.HasTabs(0));
    EXPECT_FALSE(lines.HasTabs(2));
    EXPECT_EQ(lines.LongestLineIndex(), 2);
    lines.SetTabWidth(20);
    EXPECT_EQ(lines.ExpandedWidth(0), 21);
    EXPECT_EQ(lines.ExpandedWidth(1), 20);
    EXPECT_EQ(lines.LongestLineIndex(), 0);
    EXPECT_EQ(lines.MaxExpandedWidth(), 21);
}

TEST(CodeLineList, FailedLoadLeavesLinesAsTheyWere) {
    test::TempFolder dir;
    TCodeLineList lines;
    lines.Add(u"kept");
    EXPECT_THROW(lines.LoadFromFile(dir / "none.txt"), TextFileOpenError);
    test::WriteFile(dir / "odd.txt", "\xFF\xFE\x41");
    EXPECT_THROW(lines.LoadFromFile(dir / "odd.txt"), TextEncodingError);
    EXPECT_EQ(lines.Text(), u"kept");
    EXPECT_EQ(lines.UpdateCount(), 0);

    test::WriteFile(dir / "ok.txt", "a\r\n");
    lines.LoadFromFile(dir / "ok.txt");
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.LineBreak(), LineBreakKind::Dos);
}

TEST(CodeLineList, LoadedLinesCostSixteenBytesEachBeyondTheirText) {
    test::TempFolder dir;
    test::WriteFile(dir / "empty.txt", std::string(100000, '\n'));
    TCodeLineList lines;
    lines.LoadFromFile(dir / "empty.txt");
    ASSERT_EQ(lines.Count(), 100001);
    EXPECT_EQ(lines.Capacity(), 100001u);
    EXPECT_LE(lines.MemoryUsed(), 100000 * sizeof(char16_t) + 100001 * kLineRecordBytes + 64);
    // Records keep every field: range state, cached width and flags.
    lines.SetRangeState(100000, 7);
    EXPECT_EQ(lines.RangeState(100000), 7);
    EXPECT_EQ(lines.RangeState(99999), TCodeLineList::kUnscanned);
    EXPECT_EQ(lines.ExpandedWidth(5), 0);
    EXPECT_FALSE(lines.HasTabs(5));
}

TEST(CodeLineList, FileBeyondTheMemoryBudgetIsRefusedAndLinesKept) {
    test::TempFolder dir;
    const std::string path = dir / "lines.txt";
    test::WriteFile(path, std::string(1000, '\n'));  // 1001 lines: 2000 + 16016 bytes loaded
    TCodeLineList lines;
    lines.Add(u"kept");
    // 3000 bytes for reading and decoding: refused from the file's size, before reading.
    // Then the lines do not fit.
    for (std::uint64_t budget : {2999u, 18015u}) {
        try {
            lines.LoadFromFile(path, budget);
            FAIL() << budget;
        } catch (const TextFileTooLargeError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(
                          "File \"" + path + "\" (1000 bytes) is too large to load: it needs", 0),
                      0u)
                << e.what();
        }
        EXPECT_EQ(lines.Text(), u"kept");
        EXPECT_EQ(lines.UpdateCount(), 0);
    }
    lines.LoadFromFile(path, 18016);
    EXPECT_EQ(lines.Count(), 1001);
    EXPECT_THROW(LoadTextFileBuffer(path, 18015), TextFileTooLargeError);
    EXPECT_EQ(LoadTextFileBuffer(path, 18016).lines.size(), 1001u);
}

TEST(CodeLineList, EndlessDeviceIsCutOffAtTheLimit) {
    TCodeLineList lines;
    try {
        lines.LoadFromFile("/dev/zero", 3 << 20);
        FAIL();
    } catch (const TextFileTooLargeError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "File \"/dev/zero\" (more than 1048576 bytes) is too large to load", 0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(lines.Empty());
}

TEST(CodeLineList, TextBeyondTheStoreOffsetsOrLineNumbersIsRefused) {
    const std::uint64_t plenty = ~std::uint64_t{0};
    EXPECT_NO_THROW(CheckTextFits("f", 1, kMaxTextUnits, kMaxTextLines, plenty));
    EXPECT_THROW(CheckTextFits("f", 1, kMaxTextUnits + 1, 1, plenty), TextFileTooLargeError);
    try {
        CheckTextFits("big.txt", 5, 1, kMaxTextLines + 1, plenty);
        FAIL();
    } catch (const TextFileTooLargeError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File \"big.txt\" (5 bytes) is too large to load: it has more than 2147483647 "
                  "lines");
    }
    // The need saturates instead of wrapping round to a small number.
    EXPECT_THROW(CheckTextFits("f", 1, 1, kMaxTextLines, kMaxTextLines * 16),
                 TextFileTooLargeError);
}

}  // namespace
}  // namespace kelvara::textview
