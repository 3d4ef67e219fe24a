// TCodeView: a read-mostly text control that shows the lines of its line store in a
// fixed-pitch font, with a gutter at the left and colouring from an optional highlighter.
//
// The highlighter is not owned: the view listens to it and drops it when it is destroyed.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "highlight/color_values.h"
#include "textview/code_line_list.h"
#include "textview/code_scroll_metrics.h"
#include "textview/code_text_editing.h"
#include "textview/code_token_source.h"

class QPainter;
class QTimer;

namespace kelvara::highlight {
class TCustomHighlighter;
}

namespace kelvara::textview {

class THighlighterTokenSource;
struct PaintRun;

enum TCodeViewOption : std::uint32_t {
    voAutoIndent = 1u << 0,
    voDragDropEditing = 1u << 1,
    voEnhanceEndKey = 1u << 2,
    voGroupUndo = 1u << 3,
    voScrollPastEol = 1u << 4,
    voShowScrollHint = 1u << 5,
    voSmartTabDelete = 1u << 6,
    voSmartTabs = 1u << 7,
    voTabsToSpaces = 1u << 8,
    voScrollPastEof = 1u << 9,
    voHideShowScrollbars = 1u << 10,
};
using TCodeViewOptions = std::uint32_t;

inline constexpr TCodeViewOptions kDefaultCodeViewOptions =
    voAutoIndent | voDragDropEditing | voEnhanceEndKey | voGroupUndo | voScrollPastEol |
    voShowScrollHint | voSmartTabDelete | voSmartTabs | voTabsToSpaces;

enum class TCaretShape { VerticalLine, HorizontalLine, HalfBlock, Block };
enum class TSelectionMode { Normal, Line, Column };
enum class TGutterBorderStyle { None, Middle, Right };
enum class TScrollHintFormat { TopLineOnly, TopToBottom };

struct TCodeGutter {
    bool visible = true;
    int width = 30;
    bool showLineNumbers = false;
    int leftOffset = 16;
    int rightOffset = 2;
    int digitCount = 4;
    highlight::ColorValue color = highlight::SystemColor(15);  // button face
    TGutterBorderStyle borderStyle = TGutterBorderStyle::Middle;
    highlight::ColorValue borderColor = highlight::SystemColor(5);  // window
    bool gradient = false;
    QFont font;
};

class TCustomCodeView : public QAbstractScrollArea, private TCodeLineListObserver {
    Q_OBJECT

  public:
    explicit TCustomCodeView(QWidget* parent = nullptr);
    ~TCustomCodeView() override;

    TCodeLineList& Lines() { return lines_; }
    const TCodeLineList& Lines() const { return lines_; }

    // Empties the lines, marks, bookmarks, undo and redo, and clears the modified flag; the
    // caret goes to line 1, column 1. The highlighter and the settings stay.
    void ResetContents();

    highlight::TCustomHighlighter* Highlighter() const { return highlighter_; }
    void SetHighlighter(highlight::TCustomHighlighter* highlighter);
    // Any token source (not owned; the caller keeps it alive while set); SetHighlighter uses
    // one over the highlighter.
    TCodeTokenSource* TokenSource() const { return source_; }
    void SetTokenSource(TCodeTokenSource* source);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    int TabWidth() const { return lines_.TabWidth(); }
    void SetTabWidth(int width);
    int RightEdge() const { return rightEdge_; }
    void SetRightEdge(int column);
    highlight::ColorValue RightEdgeColor() const { return rightEdgeColor_; }
    void SetRightEdgeColor(highlight::ColorValue color);
    int MaxScrollWidth() const { return maxScrollWidth_; }
    void SetMaxScrollWidth(int columns);
    int ExtraLineSpacing() const { return extraLineSpacing_; }
    void SetExtraLineSpacing(int pixels);
    highlight::ColorValue Color() const { return color_; }
    void SetColor(highlight::ColorValue color);
    highlight::ColorValue ActiveLineColor() const { return activeLineColor_; }
    void SetActiveLineColor(highlight::ColorValue color);
    highlight::ColorValue SelectedBackground() const { return selectedBackground_; }
    highlight::ColorValue SelectedForeground() const { return selectedForeground_; }
    void SetSelectedColor(highlight::ColorValue background, highlight::ColorValue foreground);
    highlight::ColorValue ScrollHintColor() const { return scrollHintColor_; }
    TScrollHintFormat ScrollHintFormat() const { return scrollHintFormat_; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool want) { wantTabs_ = want; }
    bool WordWrap() const { return false; }
    TCaretShape InsertCaret() const { return insertCaret_; }
    TCaretShape OverwriteCaret() const { return overwriteCaret_; }
    TSelectionMode SelectionMode() const { return selectionMode_; }
    TCodeViewOptions Options() const { return options_; }
    void SetOptions(TCodeViewOptions options);
    const TCodeGutter& Gutter() const { return gutter_; }
    void SetGutter(const TCodeGutter& gutter);
    // The text font; the cell size follows from it.
    QFont TextFont() const { return textFont_; }
    void SetTextFont(const QFont& font);

    // Caret and selection, 1-based character and line.
    int CaretX() const { return caret_.chr + 1; }
    int CaretY() const { return caret_.line + 1; }
    void SetCaretXY(int x, int y);
    bool SelAvail() const { return anchor_ != caret_; }
    std::u16string SelText() const;
    void SetSelection(int startX, int startY, int endX, int endY);
    void SelectAll();
    void ClearSelection();

    // Commands; the editing ones do nothing while ReadOnly is set.
    void CopyToClipboard() const;
    void CutToClipboard();
    void PasteFromClipboard();
    void InsertText(std::u16string_view text);
    void DeleteForward();
    void DeleteBackward();
    void InsertLineBreak();
    bool CanUndo() const { return !readOnly_ && !undo_.Empty(); }
    bool CanRedo() const { return !readOnly_ && !redo_.Empty(); }
    void Undo();
    void Redo();
    bool Modified() const { return modified_; }

    // Lets the owner override a line's colours: called with the 1-based line; return true and
    // set the colours (kColorNone keeps the usual one) to use them.
    using SpecialLineColorsHandler = std::function<bool(int line, highlight::ColorValue& foreground,
                                                        highlight::ColorValue& background)>;
    void SetOnSpecialLineColors(SpecialLineColorsHandler handler);

    // Scrolling, 1-based.
    int TopLine() const { return topLine_; }
    void SetTopLine(int line);
    int LeftChar() const { return leftChar_; }
    void SetLeftChar(int column);
    int LinesInWindow() const;
    int CharsInWindow() const;
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }
    // x of the first text cell when scrolled to the left.
    int TextStartX() const { return GutterWidth() + 2; }
    int GutterWidth() const { return gutter_.visible ? gutter_.width : 0; }

    // Paints the client area part `area` (viewport coordinates) with `painter`.
    void PaintArea(QPainter& painter, const QRect& area);
    // How often the view asked for a repaint of any part of itself.
    int RepaintRequests() const { return repaintRequests_; }
    // Display column of a 1-based character of a line (1-based).
    int DisplayColumnOf(int line, int chr);
    // The viewport point's text position, 1-based.
    void PositionAt(QPoint point, int& x, int& y);
    QColor Resolve(highlight::ColorValue color) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // Line store notifications.
    void LinesChanged() override;
    void LinesCleared() override;
    void LinesInserted(int index, int count) override;
    void LinesDeleted(int index, int count) override;
    void LinesReplaced(int index, int count) override;

    void HighlighterChanged();
    void HighlighterFreed();
    void RecomputeCellSize();
    void UpdateScrollBars();
    void InvalidateAll();
    void InvalidateLines(int first, int last);  // 0-based, inclusive; last < 0: to the end
    void EnsureCaretVisible();
    void MoveCaret(TextPosition to, bool extendSelection);
    void ReplaceSelection(std::u16string_view text);
    void RecordEdit(TUndoList::Item::Kind kind, TextPosition start, TextPosition end,
                    std::u16string text, TextPosition caretBefore);
    void ApplyUndoItem(const TUndoList::Item& item, TUndoList& inverse);
    bool HandleNavigationKey(QKeyEvent* event);
    bool HandleEditingKey(QKeyEvent* event);
    TextPosition WordStartBefore(TextPosition p) const;
    TextPosition WordEndAfter(TextPosition p) const;
    int CaretLimitChar() const;
    void ShowScrollHint();

    // Painting.
    std::u16string DisplayTextOf(int line, size_t maxCells = std::u16string::npos);
    int ColumnOfChar(int line, int chr);  // 0-based both
    int CellsOf(char16_t c);
    const QRawFont& RawFontFor(highlight::FontStyles style);
    QFont FontFor(highlight::FontStyles style) const;
    void PaintGutter(QPainter& painter, const QRect& area);
    void PaintLine(QPainter& painter, int line, const QRect& area, int firstColumn, int endColumn);
    void PaintRuns(QPainter& painter, const std::u16string& display,
                   const std::vector<PaintRun>& runs, int y);
    void PaintCaret(QPainter& painter);

    TCodeLineList lines_;
    highlight::TCustomHighlighter* highlighter_ = nullptr;
    std::unique_ptr<THighlighterTokenSource> highlighterSource_;
    TCodeTokenSource* source_ = nullptr;

    bool readOnly_ = false;
    int rightEdge_ = 80;
    highlight::ColorValue rightEdgeColor_ = highlight::RgbColor(192, 192, 192);
    int maxScrollWidth_ = 1024;
    int extraLineSpacing_ = 0;
    highlight::ColorValue color_ = highlight::SystemColor(5);
    highlight::ColorValue activeLineColor_ = highlight::kColorNone;
    highlight::ColorValue selectedBackground_ = highlight::SystemColor(13);
    highlight::ColorValue selectedForeground_ = highlight::SystemColor(14);
    highlight::ColorValue scrollHintColor_ = highlight::SystemColor(24);
    TScrollHintFormat scrollHintFormat_ = TScrollHintFormat::TopLineOnly;
    bool wantTabs_ = false;
    TCaretShape insertCaret_ = TCaretShape::VerticalLine;
    TCaretShape overwriteCaret_ = TCaretShape::Block;
    TSelectionMode selectionMode_ = TSelectionMode::Normal;
    TCodeViewOptions options_ = kDefaultCodeViewOptions;
    TCodeGutter gutter_;
    QFont textFont_;

    int charWidth_ = 8;
    int lineHeight_ = 16;
    int ascent_ = 12;
    std::array<QRawFont, 4> rawFonts_;  // by bold / italic
    std::array<bool, 4> rawFontReady_{};
    std::vector<std::uint8_t> cellCache_;  // per UTF-16 code unit; 0 = not measured

    TextPosition caret_;
    TextPosition anchor_;
    bool mouseSelecting_ = false;
    bool caretShown_ = true;
    QTimer* caretTimer_ = nullptr;
    int topLine_ = 1;
    int leftChar_ = 1;
    bool syncingBars_ = false;
    TWheelAccumulator wheel_;

    TUndoList undo_;
    TUndoList redo_;
    bool modified_ = false;
    std::vector<int> marks_;
    std::array<int, 10> bookmarks_{};
    int repaintRequests_ = 0;
    SpecialLineColorsHandler onSpecialLineColors_;
};

// The published form of the view.
class TCodeView : public TCustomCodeView {
    Q_OBJECT

  public:
    explicit TCodeView(QWidget* parent = nullptr) : TCustomCodeView(parent) {}
};

}  // namespace kelvara::textview
