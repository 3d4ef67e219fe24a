#include "textview/qt/code_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "textview/code_highlighter_source.h"
#include "textview/code_range_scan.h"
#include "textview/code_text_layout.h"
#include "textview/qt/code_view_colors.h"

namespace kelvara::textview {

using highlight::ColorValue;

namespace {

QFont MonospaceFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

TCustomCodeView::TCustomCodeView(QWidget* parent)
    : QAbstractScrollArea(parent), textFont_(MonospaceFont(13)) {
    gutter_.font = MonospaceFont(11);
    lines_.SetObserver(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    caretTimer_ = new QTimer(this);
    caretTimer_->setInterval(
        QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(caretTimer_, &QTimer::timeout, this, [this] {
        caretShown_ = !caretShown_;
        InvalidateLines(caret_.line, caret_.line);
    });
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this] { ShowScrollHint(); });
    bookmarks_.fill(-1);
    RecomputeCellSize();
    UpdateScrollBars();
}

TCustomCodeView::~TCustomCodeView() {
    if (source_)
        source_->SetChangeListener({});
    lines_.SetObserver(nullptr);
}

// ---------------------------------------------------------------- contents

void TCustomCodeView::ResetContents() {
    lines_.Clear();
    marks_.clear();
    bookmarks_.fill(-1);
    undo_.Clear();
    redo_.Clear();
    modified_ = false;
}

void TCustomCodeView::LinesCleared() {
    caret_ = anchor_ = TextPosition{};
    topLine_ = 1;
    leftChar_ = 1;
    mouseSelecting_ = false;
    InvalidateAll();
}

void TCustomCodeView::LinesInserted(int index, int count) {
    if (source_)
        ScanChangedRanges(lines_, *source_, index, count);
    InvalidateLines(index, -1);
}

void TCustomCodeView::LinesDeleted(int index, int /*count*/) {
    if (source_ && index < lines_.Count())
        ScanRangesFrom(lines_, *source_, index);
    InvalidateLines(index, -1);
}

void TCustomCodeView::LinesReplaced(int index, int count) {
    if (source_)
        ScanChangedRanges(lines_, *source_, index, count);
    InvalidateLines(index, -1);
}

void TCustomCodeView::LinesChanged() {
    const int lastLine = std::max(lines_.Count() - 1, 0);
    caret_.line = std::min(caret_.line, lastLine);
    anchor_.line = std::min(anchor_.line, lastLine);
    UpdateScrollBars();
    SetTopLine(topLine_);
}

// ---------------------------------------------------------------- highlighter

void TCustomCodeView::SetHighlighter(highlight::TCustomHighlighter* highlighter) {
    if (highlighter == highlighter_)
        return;
    if (source_)
        source_->SetChangeListener({});
    source_ = nullptr;
    highlighterSource_.reset();
    highlighter_ = highlighter;
    if (highlighter) {
        highlighterSource_ =
            std::make_unique<THighlighterTokenSource>(*highlighter, [this] { HighlighterFreed(); });
        source_ = highlighterSource_.get();
        source_->SetChangeListener([this] { HighlighterChanged(); });
    }
    HighlighterChanged();
}

void TCustomCodeView::HighlighterFreed() {
    // Called while the highlighter is being destroyed: forget it without calling it.
    source_ = nullptr;
    highlighter_ = nullptr;
    highlighterSource_.reset();
    RecomputeCellSize();
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetTokenSource(TCodeTokenSource* source) {
    if (source == source_)
        return;
    if (source_)
        source_->SetChangeListener({});
    highlighterSource_.reset();
    highlighter_ = nullptr;
    source_ = source;
    if (source_)
        source_->SetChangeListener([this] { HighlighterChanged(); });
    HighlighterChanged();
}

void TCustomCodeView::HighlighterChanged() {
    RecomputeCellSize();
    if (source_) {
        lines_.BeginUpdate();
        ScanAllRanges(lines_, *source_);
        lines_.EndUpdate();
    }
    UpdateScrollBars();
    InvalidateAll();
}

// ---------------------------------------------------------------- settings

void TCustomCodeView::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
}

void TCustomCodeView::SetTabWidth(int width) {
    width = std::clamp(width, 1, 256);
    if (width == lines_.TabWidth())
        return;
    lines_.SetTabWidth(width);
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetRightEdge(int column) {
    rightEdge_ = column;
    InvalidateAll();
}

void TCustomCodeView::SetRightEdgeColor(ColorValue color) {
    rightEdgeColor_ = color;
    InvalidateAll();
}

void TCustomCodeView::SetMaxScrollWidth(int columns) {
    maxScrollWidth_ = std::max(columns, 1);
    UpdateScrollBars();
    SetLeftChar(leftChar_);
}

void TCustomCodeView::SetExtraLineSpacing(int pixels) {
    extraLineSpacing_ = pixels;
    RecomputeCellSize();
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetColor(ColorValue color) {
    color_ = color;
    InvalidateAll();
}

void TCustomCodeView::SetActiveLineColor(ColorValue color) {
    activeLineColor_ = color;
    InvalidateAll();
}

void TCustomCodeView::SetSelectedColor(ColorValue background, ColorValue foreground) {
    selectedBackground_ = background;
    selectedForeground_ = foreground;
    InvalidateAll();
}

void TCustomCodeView::SetOptions(TCodeViewOptions options) {
    options_ = options;
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetGutter(const TCodeGutter& gutter) {
    gutter_ = gutter;
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetOnSpecialLineColors(SpecialLineColorsHandler handler) {
    onSpecialLineColors_ = std::move(handler);
    InvalidateAll();
}

void TCustomCodeView::SetTextFont(const QFont& font) {
    textFont_ = font;
    RecomputeCellSize();
    UpdateScrollBars();
    InvalidateAll();
}

QColor TCustomCodeView::Resolve(ColorValue color) const {
    return ToQColor(color, palette());
}

QFont TCustomCodeView::FontFor(highlight::FontStyles style) const {
    QFont font = textFont_;
    font.setBold(style & highlight::kStyleBold);
    font.setItalic(style & highlight::kStyleItalic);
    return font;
}

void TCustomCodeView::RecomputeCellSize() {
    // Every style variant in use must fit the same cell.
    const highlight::FontStyles used = source_ ? source_->StylesUsed() : 0;
    double width = 1;
    int height = 1, ascent = 1;
    for (highlight::FontStyles variant = 0; variant < 4; ++variant) {
        if ((variant & used) != variant)
            continue;
        const QFont font = FontFor(variant);
        const QFontMetricsF metrics(font);
        width = std::max(width, metrics.horizontalAdvance(QLatin1Char('W')));
        height = std::max(height, static_cast<int>(std::ceil(metrics.height())));
        ascent = std::max(ascent, static_cast<int>(std::ceil(metrics.ascent())));
    }
    charWidth_ = std::max(1, static_cast<int>(std::ceil(width - 0.01)));
    lineHeight_ = std::max(1, height + extraLineSpacing_);
    ascent_ = ascent;
    rawFontReady_.fill(false);
    cellCache_.assign(0x10000, 0);
}

// ---------------------------------------------------------------- scrolling

int TCustomCodeView::LinesInWindow() const {
    return std::max(0, viewport()->height() / lineHeight_);
}

int TCustomCodeView::CharsInWindow() const {
    return std::max(0, (viewport()->width() - TextStartX()) / charWidth_);
}

void TCustomCodeView::UpdateScrollBars() {
    syncingBars_ = true;
    const int columns =
        (options_ & voScrollPastEol) ? maxScrollWidth_ : std::max(lines_.MaxExpandedWidth(), 1);
    const int rows = std::max(lines_.Count(), 1) +
                     ((options_ & voScrollPastEof) ? std::max(LinesInWindow() - 1, 0) : 0);
    auto apply = [](QScrollBar* bar, int range, int page, int position) {
        const ScrollBarFigures figures = ComputeScrollBar(range, page, position);
        bar->setRange(1, std::max(1, figures.maximum - figures.page + 1));
        bar->setPageStep(std::max(figures.page, 1));
        bar->setSingleStep(1);
        bar->setValue(figures.position);
        bar->setEnabled(page < range);
    };
    apply(horizontalScrollBar(), columns, CharsInWindow(), leftChar_);
    apply(verticalScrollBar(), rows, LinesInWindow(), topLine_);
    syncingBars_ = false;
}

void TCustomCodeView::SetTopLine(int line) {
    const int last = (options_ & voScrollPastEof)
                         ? std::max(lines_.Count(), 1)
                         : std::max(1, lines_.Count() - LinesInWindow() + 1);
    line = std::clamp(line, 1, last);
    if (line == topLine_)
        return;
    topLine_ = line;
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::SetLeftChar(int column) {
    const int limit = (options_ & voScrollPastEol) ? maxScrollWidth_ : lines_.MaxExpandedWidth();
    column = std::clamp(column, 1, std::max(1, limit - CharsInWindow() + 1));
    if (column == leftChar_)
        return;
    leftChar_ = column;
    UpdateScrollBars();
    InvalidateAll();
}

void TCustomCodeView::scrollContentsBy(int, int) {
    if (syncingBars_)
        return;
    const int columns =
        (options_ & voScrollPastEol) ? maxScrollWidth_ : std::max(lines_.MaxExpandedWidth(), 1);
    const int rows = std::max(lines_.Count(), 1);
    SetLeftChar(PositionFromBar(horizontalScrollBar()->value(), columns));
    SetTopLine(PositionFromBar(verticalScrollBar()->value(), rows));
}

void TCustomCodeView::ShowScrollHint() {
    if (!(options_ & voShowScrollHint))
        return;
    const int line =
        PositionFromBar(verticalScrollBar()->sliderPosition(), std::max(lines_.Count(), 1));
    QToolTip::showText(QCursor::pos(), QStringLiteral("Top Line: %1").arg(line), this);
}

void TCustomCodeView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    SetTopLine(topLine_);
    SetLeftChar(leftChar_);
}

void TCustomCodeView::InvalidateAll() {
    ++repaintRequests_;
    viewport()->update();
}

void TCustomCodeView::InvalidateLines(int first, int last) {
    ++repaintRequests_;
    const int top = (first - (topLine_ - 1)) * lineHeight_;
    const int bottom = last < 0 ? viewport()->height() : (last - (topLine_ - 1) + 1) * lineHeight_;
    if (bottom <= 0 || top >= viewport()->height())
        return;
    viewport()->update(QRect(0, std::max(top, 0), viewport()->width(), bottom - std::max(top, 0)));
}

void TCustomCodeView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        InvalidateAll();
}

// ---------------------------------------------------------------- caret and selection

int TCustomCodeView::CaretLimitChar() const {
    // With scrolling past the line end the caret may stand anywhere up to the scroll width.
    if (options_ & voScrollPastEol)
        return std::max(maxScrollWidth_ - 1, 0);
    return 0;
}

void TCustomCodeView::SetCaretXY(int x, int y) {
    MoveCaret(TextPosition{y - 1, x - 1}, false);
}

void TCustomCodeView::MoveCaret(TextPosition to, bool extendSelection) {
    const int lastLine = std::max(lines_.Count() - 1, 0);
    to.line = std::clamp(to.line, 0, lastLine);
    const int lineLength = lines_.Empty() ? 0 : static_cast<int>(lines_.Line(to.line).size());
    to.chr = std::clamp(to.chr, 0, std::max(lineLength, CaretLimitChar()));
    const int oldLine = caret_.line;
    const bool hadSelection = SelAvail();
    caret_ = to;
    if (!extendSelection)
        anchor_ = caret_;
    caretShown_ = true;
    if (hadSelection || SelAvail())
        InvalidateAll();
    else {
        InvalidateLines(oldLine, oldLine);
        InvalidateLines(caret_.line, caret_.line);
    }
    EnsureCaretVisible();
}

void TCustomCodeView::EnsureCaretVisible() {
    if (caret_.line + 1 < topLine_)
        SetTopLine(caret_.line + 1);
    else if (LinesInWindow() > 0 && caret_.line + 1 >= topLine_ + LinesInWindow())
        SetTopLine(caret_.line + 2 - LinesInWindow());
    if (lines_.Empty())
        return;
    const int column = DisplayColumnOf(caret_.line + 1, caret_.chr + 1);
    if (column < leftChar_)
        SetLeftChar(column);
    else if (CharsInWindow() > 0 && column >= leftChar_ + CharsInWindow())
        SetLeftChar(column - CharsInWindow() + 1);
}

int TCustomCodeView::DisplayColumnOf(int line, int chr) {
    if (line < 1 || line > lines_.Count())
        return chr;
    return ColumnOfChar(line - 1, chr - 1) + 1;
}

std::u16string TCustomCodeView::SelText() const {
    return TextBetween(lines_, anchor_, caret_);
}

void TCustomCodeView::SetSelection(int startX, int startY, int endX, int endY) {
    MoveCaret(TextPosition{startY - 1, startX - 1}, false);
    MoveCaret(TextPosition{endY - 1, endX - 1}, true);
}

void TCustomCodeView::SelectAll() {
    if (lines_.Empty())
        return;
    const int last = lines_.Count() - 1;
    anchor_ = TextPosition{0, 0};
    caret_ = TextPosition{last, static_cast<int>(lines_.Line(last).size())};
    InvalidateAll();
}

void TCustomCodeView::ClearSelection() {
    if (!SelAvail())
        return;
    anchor_ = caret_;
    InvalidateAll();
}

// ---------------------------------------------------------------- commands

void TCustomCodeView::CopyToClipboard() const {
    if (!SelAvail())
        return;
    QApplication::clipboard()->setText(QString::fromStdU16String(SelText()));
}

void TCustomCodeView::CutToClipboard() {
    if (readOnly_ || !SelAvail())
        return;
    CopyToClipboard();
    ReplaceSelection(u"");
}

void TCustomCodeView::PasteFromClipboard() {
    if (readOnly_)
        return;
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        ReplaceSelection(text.toStdU16String());
}

void TCustomCodeView::InsertText(std::u16string_view text) {
    ReplaceSelection(text);
}

void TCustomCodeView::InsertLineBreak() {
    ReplaceSelection(u"\n");
}

void TCustomCodeView::DeleteForward() {
    if (readOnly_ || lines_.Empty())
        return;
    if (!SelAvail()) {
        const int length = static_cast<int>(lines_.Line(caret_.line).size());
        if (caret_.chr < length)
            anchor_ = TextPosition{caret_.line, caret_.chr + 1};
        else if (caret_.line + 1 < lines_.Count())
            anchor_ = TextPosition{caret_.line + 1, 0};
        else
            return;
    }
    ReplaceSelection(u"");
}

void TCustomCodeView::DeleteBackward() {
    if (readOnly_ || lines_.Empty())
        return;
    if (!SelAvail()) {
        const int length = static_cast<int>(lines_.Line(caret_.line).size());
        if (caret_.chr > length)
            return MoveCaret(TextPosition{caret_.line, caret_.chr - 1}, false);
        if (caret_.chr > 0)
            anchor_ = TextPosition{caret_.line, caret_.chr - 1};
        else if (caret_.line > 0)
            anchor_ = TextPosition{caret_.line - 1,
                                   static_cast<int>(lines_.Line(caret_.line - 1).size())};
        else
            return;
    }
    ReplaceSelection(u"");
}

void TCustomCodeView::ReplaceSelection(std::u16string_view text) {
    if (readOnly_)
        return;
    const TextPosition caretBefore = caret_;
    lines_.BeginUpdate();
    if (SelAvail()) {
        const TextPosition begin = std::min(anchor_, caret_);
        const TextPosition end = std::max(anchor_, caret_);
        std::u16string removed = TextBetween(lines_, begin, end);
        DeleteBetween(lines_, begin, end);
        RecordEdit(TUndoList::Item::Kind::Deleted, begin, end, std::move(removed), caretBefore);
        caret_ = begin;
    }
    if (!text.empty()) {
        const TextPosition start = caret_;
        const TextPosition end = InsertTextAt(lines_, start, text);
        RecordEdit(TUndoList::Item::Kind::Inserted, start, end, std::u16string(text), caretBefore);
        caret_ = end;
    }
    anchor_ = caret_;
    lines_.EndUpdate();
    EnsureCaretVisible();
    InvalidateAll();
}

void TCustomCodeView::RecordEdit(TUndoList::Item::Kind kind, TextPosition start, TextPosition end,
                                 std::u16string text, TextPosition caretBefore) {
    undo_.Add(TUndoList::Item{kind, start, end, std::move(text), caretBefore});
    redo_.Clear();
    modified_ = true;
}

void TCustomCodeView::ApplyUndoItem(const TUndoList::Item& item, TUndoList& inverse) {
    using Kind = TUndoList::Item::Kind;
    TUndoList::Item flipped = item;
    lines_.BeginUpdate();
    if (item.kind == Kind::Inserted) {
        DeleteBetween(lines_, item.start, item.end);
        caret_ = item.start;
        flipped.kind = Kind::Deleted;
    } else {
        caret_ = InsertTextAt(lines_, item.start, item.text);
        flipped.kind = Kind::Inserted;
    }
    anchor_ = caret_;
    lines_.EndUpdate();
    inverse.Add(std::move(flipped));
    modified_ = true;
    EnsureCaretVisible();
    InvalidateAll();
}

void TCustomCodeView::Undo() {
    if (!CanUndo())
        return;
    ApplyUndoItem(undo_.Pop(), redo_);
}

void TCustomCodeView::Redo() {
    if (!CanRedo())
        return;
    ApplyUndoItem(redo_.Pop(), undo_);
}

}  // namespace kelvara::textview
