#include "textview/qt/code_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "testkit/temp_folder.h"
#include "textview/qt/code_view_colors.h"
#include "textview/test_highlighter.h"

namespace kelvara::textview {
namespace {

using highlight::SystemColor;
using test::TCommentTestHighlighter;

class CodeViewTest : public ::testing::Test {
  protected:
    CodeViewTest() {
        view.resize(800, 200);
        view.show();
        QApplication::processEvents();
    }

    void Load(std::u16string_view text) { view.Lines().SetText(std::u16string(text)); }
    QImage Render() {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        view.PaintArea(painter, image.rect());
        return image;
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    }

    TCodeView view;
};

TEST_F(CodeViewTest, DefaultSettings) {
    EXPECT_FALSE(view.ReadOnly());
    EXPECT_EQ(view.TabWidth(), 8);
    EXPECT_EQ(view.RightEdge(), 80);
    EXPECT_EQ(view.RightEdgeColor(), highlight::RgbColor(192, 192, 192));
    EXPECT_EQ(view.MaxScrollWidth(), 1024);
    EXPECT_EQ(view.ExtraLineSpacing(), 0);
    EXPECT_EQ(view.Color(), SystemColor(5));
    EXPECT_EQ(view.ActiveLineColor(), highlight::kColorNone);
    EXPECT_EQ(view.SelectedBackground(), SystemColor(13));
    EXPECT_EQ(view.SelectedForeground(), SystemColor(14));
    EXPECT_EQ(view.ScrollHintColor(), SystemColor(24));
    EXPECT_FALSE(view.WantTabs());
    EXPECT_FALSE(view.WordWrap());
    EXPECT_EQ(view.Options(), kDefaultCodeViewOptions);
    EXPECT_TRUE(view.Options() & voScrollPastEol);
    EXPECT_FALSE(view.Options() & voScrollPastEof);
    EXPECT_EQ(view.Highlighter(), nullptr);
    EXPECT_EQ(view.TextFont().pixelSize(), 13);
    EXPECT_TRUE(view.TextFont().fixedPitch());
    const TCodeGutter& gutter = view.Gutter();
    EXPECT_TRUE(gutter.visible);
    EXPECT_EQ(gutter.width, 30);
    EXPECT_FALSE(gutter.showLineNumbers);
    EXPECT_EQ(gutter.color, SystemColor(15));
    EXPECT_EQ(gutter.borderStyle, TGutterBorderStyle::Middle);
    EXPECT_EQ(gutter.font.pixelSize(), 11);
    EXPECT_EQ(view.TextStartX(), 32);
    EXPECT_EQ(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(view.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(CodeViewTest, ColourValuesMapToPaletteRoles) {
    const QPalette palette = view.palette();
    EXPECT_EQ(ToQColor(SystemColor(5), palette), palette.color(QPalette::Base));
    EXPECT_EQ(ToQColor(SystemColor(8), palette), palette.color(QPalette::Text));
    EXPECT_EQ(ToQColor(SystemColor(13), palette), palette.color(QPalette::Highlight));
    EXPECT_EQ(ToQColor(SystemColor(14), palette), palette.color(QPalette::HighlightedText));
    EXPECT_EQ(ToQColor(SystemColor(15), palette), palette.color(QPalette::Button));
    EXPECT_EQ(ToQColor(SystemColor(29), palette), palette.color(QPalette::Highlight));
    EXPECT_EQ(ToQColor(0x00800080, palette), QColor(128, 0, 128));
    EXPECT_FALSE(ToQColor(highlight::kColorNone, palette).isValid());
    EXPECT_EQ(PaletteRoleOfSystemColor(200), QPalette::Base);
}

TEST_F(CodeViewTest, LoadingWithAHighlighterScansEachLineOnce) {
    TCommentTestHighlighter highlighter;
    view.SetHighlighter(&highlighter);
    highlighter.ResetCount();
    Load(u"a /* open\nstill\nclosed */ b\nc");
    EXPECT_EQ(highlighter.StartedLines(), 4);
    EXPECT_EQ(view.Lines().RangeState(0), 1);
    EXPECT_EQ(view.Lines().RangeState(1), 1);
    EXPECT_EQ(view.Lines().RangeState(2), 0);
}

TEST_F(CodeViewTest, SettingTheSameHighlighterDoesNothing) {
    TCommentTestHighlighter first, second;
    Load(u"one\ntwo\nthree");
    view.SetHighlighter(&first);
    EXPECT_EQ(first.StartedLines(), 3);  // full rescan on a new highlighter
    const int repaints = view.RepaintRequests();
    view.SetHighlighter(&first);
    EXPECT_EQ(first.StartedLines(), 3);
    EXPECT_EQ(view.RepaintRequests(), repaints);

    // Another one: a full rescan with its states; an attribute change rescans too.
    view.SetHighlighter(&second);
    EXPECT_EQ(second.StartedLines(), 3);
    EXPECT_GT(view.RepaintRequests(), repaints);
    second.Identifier()->SetForeground(highlight::RgbColor(1, 2, 3));
    EXPECT_EQ(second.StartedLines(), 6);
    first.Identifier()->SetForeground(highlight::RgbColor(1, 2, 3));  // no longer listened to
    EXPECT_EQ(first.StartedLines(), 3);
    view.SetHighlighter(nullptr);
    second.Identifier()->SetForeground(highlight::RgbColor(4, 5, 6));
    EXPECT_EQ(second.StartedLines(), 6);
}

TEST_F(CodeViewTest, AnotherHighlighterRescansEveryLineWithItsStates) {
    TCommentTestHighlighter first(highlight::RgbColor(255, 0, 0), 1);
    TCommentTestHighlighter second(highlight::RgbColor(255, 0, 0), 7);
    view.SetHighlighter(&first);
    Load(u"/* a\nb\nc */\nd");
    EXPECT_EQ(view.Lines().RangeState(1), 1);
    view.SetHighlighter(&second);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(view.Lines().RangeState(i), i < 2 ? 7 : 0) << i;

    // Inserting a line inside the comment rescans only down to the first unchanged state.
    second.ResetCount();
    view.Lines().Insert(1, u"more");
    EXPECT_EQ(second.StartedLines(), 2);
    EXPECT_EQ(view.Lines().RangeState(1), 7);
}

TEST_F(CodeViewTest, ADestroyedHighlighterIsDropped) {
    Load(u"x = 1;");
    {
        TCommentTestHighlighter temporary;
        view.SetHighlighter(&temporary);
        EXPECT_EQ(view.Highlighter(), &temporary);
    }
    EXPECT_EQ(view.Highlighter(), nullptr);
    EXPECT_EQ(view.TokenSource(), nullptr);
    Render();  // paints without the highlighter
    TCommentTestHighlighter next;
    view.SetHighlighter(&next);
    EXPECT_EQ(next.StartedLines(), 1);
}

TEST_F(CodeViewTest, ResetContentsLeavesNothingToUndo) {
    Load(u"abc\ndef");
    view.SetCaretXY(4, 2);
    view.InsertText(u"xyz");
    EXPECT_TRUE(view.CanUndo());
    EXPECT_TRUE(view.Modified());
    view.SetTopLine(2);
    view.ResetContents();
    EXPECT_EQ(view.Lines().Count(), 0);
    EXPECT_FALSE(view.CanUndo());
    EXPECT_FALSE(view.CanRedo());
    EXPECT_FALSE(view.Modified());
    EXPECT_EQ(view.CaretX(), 1);
    EXPECT_EQ(view.CaretY(), 1);
    EXPECT_EQ(view.TopLine(), 1);
    EXPECT_FALSE(view.SelAvail());
}

TEST_F(CodeViewTest, EditingAndUndoWhenWritable) {
    Load(u"hello\nworld");
    view.SetCaretXY(6, 1);
    QTest::keyClicks(&view, "!");
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.Lines().Text(u"|"), u"hello!||world");
    view.Undo();
    view.Undo();
    EXPECT_EQ(view.Lines().Text(u"|"), u"hello|world");
    view.Redo();
    EXPECT_EQ(view.Lines().Text(u"|"), u"hello!|world");
    view.SetSelection(1, 1, 3, 2);
    view.DeleteForward();
    EXPECT_EQ(view.Lines().Text(u"|"), u"rld");
}

TEST_F(CodeViewTest, ReadOnlyRefusesEveryChangeButAllowsCaretAndCopy) {
    Load(u"first line\nsecond line");
    view.SetReadOnly(true);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    view.SetCaretXY(3, 1);

    QTest::keyClicks(&view, "typed");
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    view.SetSelection(1, 1, 6, 1);
    QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
    view.InsertText(u"direct");
    view.DeleteBackward();
    view.PasteFromClipboard();
    view.Undo();
    EXPECT_EQ(view.Lines().Text(u"|"), u"first line|second line");
    EXPECT_FALSE(view.Modified());
    EXPECT_FALSE(view.CanUndo());

    // The caret moves and a keyboard selection copies.
    view.SetCaretXY(1, 1);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.CaretX(), 2);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.SelText(), u"irst line\nse");
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("irst line\nse"));
}

TEST_F(CodeViewTest, MouseSelectsAndCopies) {
    Load(u"alpha beta\ngamma");
    view.SetReadOnly(true);
    const int y = view.LineHeight() / 2;
    const int x0 = view.TextStartX() + 6 * view.CharWidth();   // before "beta"
    const int x1 = view.TextStartX() + 10 * view.CharWidth();  // its end
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(x1, y),
                     view.viewport()->mapToGlobal(QPointF(x1, y)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    EXPECT_EQ(view.SelText(), u"beta");
    view.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("beta"));
}

TEST_F(CodeViewTest, WheelScrollsThreeLinesANotchAndAPageWithCtrl) {
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += u"line\n";
    Load(text);
    Wheel(-120);
    EXPECT_EQ(view.TopLine(), 4);
    Wheel(-60);
    EXPECT_EQ(view.TopLine(), 4);
    Wheel(-60);
    EXPECT_EQ(view.TopLine(), 7);
    Wheel(120);
    EXPECT_EQ(view.TopLine(), 4);
    Wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(view.TopLine(), 4 + view.LinesInWindow());
    Wheel(1200);
    EXPECT_EQ(view.TopLine(), 1);
}

TEST_F(CodeViewTest, ScrollBarsCoverTheScrollWidthAndScaleLongFiles) {
    Load(u"short");
    QScrollBar* horizontal = view.horizontalScrollBar();
    EXPECT_EQ(horizontal->maximum(), 1024 - view.CharsInWindow() + 1);
    EXPECT_EQ(horizontal->pageStep(), view.CharsInWindow());
    EXPECT_FALSE(view.verticalScrollBar()->isEnabled());  // everything fits

    std::u16string text;
    for (int i = 0; i < 100000; ++i)
        text += u"x\n";
    Load(text);
    QScrollBar* vertical = view.verticalScrollBar();
    EXPECT_TRUE(vertical->isEnabled());
    EXPECT_LE(vertical->maximum(), 32767);
    vertical->setValue(vertical->maximum() / 2);
    EXPECT_NEAR(view.TopLine(), 50000, 200);
}

TEST_F(CodeViewTest, TabAndColumnsOnScreen) {
    Load(u"\tx\nabc\tx");
    EXPECT_EQ(view.DisplayColumnOf(1, 2), 9);
    EXPECT_EQ(view.DisplayColumnOf(2, 5), 9);
    view.SetTabWidth(4);
    EXPECT_EQ(view.DisplayColumnOf(1, 2), 5);
    // Clicking on the x puts the caret before it.
    int x = 0, y = 0;
    view.PositionAt(QPoint(view.TextStartX() + 4 * view.CharWidth() + 1, 1), x, y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    // Scrolled sideways, the first visible cell is column LeftChar.
    Load(std::u16string(3000, u'a'));
    view.SetLeftChar(2000);
    EXPECT_EQ(view.LeftChar(), 1024 - view.CharsInWindow() + 1);  // the scroll width limits it
    view.PositionAt(QPoint(view.TextStartX() + 1, 1), x, y);
    EXPECT_EQ(x, view.LeftChar());
}

TEST_F(CodeViewTest, PaintsGutterRightEdgeSelectionAndTokenColours) {
    view.SetHighlighter(nullptr);
    TCommentTestHighlighter highlighter(highlight::RgbColor(255, 0, 0));
    Load(u"word word\nsecond");
    view.SetHighlighter(&highlighter);
    view.SetSelection(1, 2, 7, 2);
    const QImage image = Render();
    const QPalette palette = view.palette();
    const int midRow = view.LineHeight() / 2;

    EXPECT_EQ(image.pixelColor(0, midRow), palette.color(QPalette::Button));
    EXPECT_EQ(image.pixelColor(28, midRow), palette.color(QPalette::Base));  // border line
    EXPECT_EQ(image.pixelColor(29, midRow), palette.color(QPalette::Button));
    EXPECT_EQ(image.pixelColor(30, midRow), palette.color(QPalette::Base));  // text margin
    const int edge = view.TextStartX() + 80 * view.CharWidth();
    ASSERT_LT(edge, image.width());
    EXPECT_EQ(image.pixelColor(edge, midRow), QColor(192, 192, 192));

    auto count = [&](int row, auto matches) {
        int n = 0;
        for (int y = row * view.LineHeight(); y < (row + 1) * view.LineHeight(); ++y)
            for (int x = view.TextStartX(); x < view.TextStartX() + 12 * view.CharWidth(); ++x)
                n += matches(image.pixelColor(x, y));
        return n;
    };
    auto countColour = [&](int row, QColor colour) {
        return count(row, [colour](QColor c) { return c == colour; });
    };
    // Identifiers in red.
    EXPECT_GT(count(0, [](QColor c) { return c.red() > 200 && c.green() < 120 && c.blue() < 120; }),
              10);
    // The selected second line has the selection background behind its text.
    const QColor selection = palette.color(QPalette::Highlight);
    EXPECT_GT(countColour(1, selection), 6 * view.CharWidth());
    EXPECT_EQ(countColour(0, selection), 0);
    // A special line colour handler overrides the background of the line it names.
    view.ClearSelection();
    view.SetOnSpecialLineColors([](int line, highlight::ColorValue&, highlight::ColorValue& back) {
        back = highlight::RgbColor(0, 0, 255);
        return line == 2;
    });
    const QImage special = Render();
    EXPECT_EQ(
        special.pixelColor(view.TextStartX() + 8 * view.CharWidth(), view.LineHeight() + midRow),
        QColor(0, 0, 255));
    EXPECT_EQ(special.pixelColor(view.TextStartX() + 8 * view.CharWidth() + 40, midRow),
              palette.color(QPalette::Base));
    // Below the last line: background only.
    EXPECT_EQ(image.pixelColor(view.TextStartX() + 3, 3 * view.LineHeight() + 2),
              palette.color(QPalette::Base));
    view.SetHighlighter(nullptr);
}

}  // namespace
}  // namespace kelvara::textview
