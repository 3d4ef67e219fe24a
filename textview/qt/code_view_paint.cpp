// Painting of the text view: gutter, lines from highlighter tokens in runs of equal look,
// selection, right edge and caret.
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

#include "textview/code_paint_runs.h"
#include "textview/code_text_layout.h"
#include "textview/qt/code_view.h"

namespace kelvara::textview {

using highlight::ColorValue;
using highlight::kColorNone;

int TCustomCodeView::CellsOf(char16_t c) {
    if (c < 0x80 || (c >= 0xD800 && c <= 0xDFFF))
        return 1;
    std::uint8_t& cells = cellCache_[c];
    if (cells == 0) {
        const double width = QFontMetricsF(textFont_).horizontalAdvance(QChar(c));
        cells = static_cast<std::uint8_t>(
            std::clamp(static_cast<int>(std::ceil(width / charWidth_ - 0.01)), 1, 8));
    }
    return cells;
}

std::u16string TCustomCodeView::DisplayTextOf(int line, size_t maxCells) {
    return ExpandForDisplay(
        lines_.Line(line), lines_.TabWidth(), [this](char16_t c) { return CellsOf(c); }, maxCells);
}

int TCustomCodeView::ColumnOfChar(int line, int chr) {
    // Only the characters before `chr` matter.
    const std::u16string_view text = lines_.Line(line);
    const std::u16string_view before =
        text.substr(0, chr <= 0 ? 0 : std::min(static_cast<size_t>(chr), text.size()));
    const std::u16string display =
        ExpandForDisplay(before, lines_.TabWidth(), [this](char16_t c) { return CellsOf(c); });
    return CharToColumn(display, chr);
}

const QRawFont& TCustomCodeView::RawFontFor(highlight::FontStyles style) {
    const int variant = style & (highlight::kStyleBold | highlight::kStyleItalic);
    if (!rawFontReady_[variant]) {
        rawFonts_[variant] =
            QRawFont::fromFont(FontFor(static_cast<highlight::FontStyles>(variant)));
        rawFontReady_[variant] = true;
    }
    return rawFonts_[variant];
}

void TCustomCodeView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    PaintArea(painter, event->rect());
}

void TCustomCodeView::PaintArea(QPainter& painter, const QRect& area) {
    PaintGutter(painter, area);
    const int textLeft = GutterWidth();
    if (area.right() < textLeft)
        return;

    const int textStart = TextStartX();
    const int scrolled = leftChar_ - 1;
    const int firstColumn = scrolled + std::max(0, (area.left() - textStart) / charWidth_);
    const int endColumn =
        scrolled + std::max(0, (area.right() + 1 - textStart + charWidth_ - 1) / charWidth_);
    const int firstRow = std::max(0, area.top() / lineHeight_);
    const int lastRow = area.bottom() / lineHeight_;
    const QColor background = Resolve(color_);
    const QRect textArea(textLeft, area.top(), area.right() + 1 - textLeft, area.height());

    for (int row = firstRow; row <= lastRow; ++row) {
        const int line = topLine_ - 1 + row;
        if (line >= lines_.Count()) {
            // Below the last line: the background colour only.
            painter.fillRect(QRect(textArea.left(), row * lineHeight_, textArea.width(),
                                   (lastRow - row + 1) * lineHeight_),
                             background);
            break;
        }
        PaintLine(painter, line, textArea, firstColumn, endColumn);
    }

    if (rightEdge_ > 0) {
        const int x = textStart + (rightEdge_ - scrolled) * charWidth_;
        if (x >= textArea.left() && x <= area.right()) {
            painter.fillRect(QRect(x, area.top(), 1, area.height()), Resolve(rightEdgeColor_));
        }
    }
    PaintCaret(painter);
}

void TCustomCodeView::PaintGutter(QPainter& painter, const QRect& area) {
    const int width = GutterWidth();
    if (width <= 0 || area.left() >= width)
        return;
    const QRect gutterArea(0, area.top(), width, area.height());
    const QColor gutterColor = Resolve(gutter_.color);
    painter.fillRect(gutterArea, gutterColor);
    const QColor borderColor = Resolve(gutter_.borderColor);
    if (gutter_.borderStyle == TGutterBorderStyle::Middle) {
        painter.fillRect(QRect(width - 2, area.top(), 1, area.height()), borderColor);
        painter.fillRect(QRect(width - 1, area.top(), 1, area.height()), gutterColor);
    } else if (gutter_.borderStyle == TGutterBorderStyle::Right) {
        painter.fillRect(QRect(width - 1, area.top(), 1, area.height()), borderColor);
    }
    if (!gutter_.showLineNumbers)
        return;
    painter.setFont(gutter_.font);
    painter.setPen(palette().color(QPalette::ButtonText));
    const int firstRow = std::max(0, area.top() / lineHeight_);
    const int lastRow = area.bottom() / lineHeight_;
    for (int row = firstRow; row <= lastRow && topLine_ + row <= lines_.Count(); ++row) {
        const QRect cell(gutter_.leftOffset, row * lineHeight_,
                         width - gutter_.leftOffset - gutter_.rightOffset, lineHeight_);
        painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(topLine_ + row));
    }
}

void TCustomCodeView::PaintLine(QPainter& painter, int line, const QRect& area, int firstColumn,
                                int endColumn) {
    const std::u16string_view text = lines_.Line(line);
    // Nothing right of the visible columns is painted, so the rest is not laid out.
    const std::u16string display = DisplayTextOf(line, static_cast<size_t>(endColumn) + 1);
    const bool highlighted = source_ && source_->Enabled();

    TokenLook lineLook;
    lineLook.foreground = highlight::SystemColor(8);  // window text
    lineLook.background = color_;
    if (activeLineColor_ != kColorNone && line == caret_.line)
        lineLook.background = activeLineColor_;
    else if (highlighted && source_->WhitespaceBackground() != kColorNone)
        lineLook.background = source_->WhitespaceBackground();
    if (onSpecialLineColors_) {
        ColorValue foreground = kColorNone, background = kColorNone;
        if (onSpecialLineColors_(line + 1, foreground, background)) {
            if (foreground != kColorNone)
                lineLook.foreground = foreground;
            if (background != kColorNone)
                lineLook.background = background;
        }
    }

    LinePaintSetup setup;
    setup.display = display;
    setup.firstColumn = firstColumn;
    setup.endColumn = endColumn;
    setup.lineLook = lineLook;
    setup.selectedLook = TokenLook{selectedBackground_, selectedForeground_, 0};
    if (SelAvail()) {
        const TextPosition begin = std::min(anchor_, caret_);
        const TextPosition end = std::max(anchor_, caret_);
        if (line >= begin.line && line <= end.line) {
            setup.selectionStart = line == begin.line ? CharToColumn(display, begin.chr) : 0;
            setup.selectionEnd = line == end.line ? CharToColumn(display, end.chr) : INT_MAX;
        }
    }

    TLineRunBuilder builder(setup);
    if (highlighted) {
        if (line == 0)
            source_->ClearRangeState();
        else
            source_->RestoreRangeState(lines_.RangeState(line - 1));
        source_->StartLineExpanded(text, display, line);
        TokenLook look;
        while (!source_->LineFinished()) {
            const int start = source_->ExpandedTokenStart();
            if (start >= endColumn)
                break;  // nothing further is visible
            const int length = source_->ExpandedTokenLength();
            if (start + length > firstColumn)
                builder.AddToken(start, length, source_->CurrentTokenLook(look) ? &look : nullptr);
            source_->Advance();
        }
    } else {
        builder.AddPlainLine();
    }

    const int y = (line - (topLine_ - 1)) * lineHeight_;
    painter.fillRect(QRect(area.left(), y, area.width(), lineHeight_),
                     Resolve(lineLook.background));
    PaintRuns(painter, display, builder.Finish(), y);
}

void TCustomCodeView::PaintRuns(QPainter& painter, const std::u16string& display,
                                const std::vector<PaintRun>& runs, int y) {
    const int origin = TextStartX() - (leftChar_ - 1) * charWidth_;
    const qreal baseline = y + ascent_;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    std::vector<QChar> chars;
    std::vector<int> columns;
    std::vector<std::pair<QString, int>> fallbacks;
    for (const PaintRun& run : runs) {
        const QRect cells(origin + run.column * charWidth_, y, run.length * charWidth_,
                          lineHeight_);
        painter.fillRect(cells, Resolve(run.look.background));

        // Every drawn character starts at the first cell it owns (its fillers come first).
        chars.clear();
        columns.clear();
        fallbacks.clear();
        int glyphStart = run.column;
        while (glyphStart > 0 && display[glyphStart - 1] == kFillerChar)
            --glyphStart;
        const int runEnd = run.column + run.length;
        for (int column = run.column; column < runEnd; ++column) {
            const char16_t c = display[column];
            if (c == kFillerChar)
                continue;
            if (c >= 0xD800 && c <= 0xDFFF) {
                // A pair goes to the font machinery as one character.
                if (c <= 0xDBFF && column + 1 < static_cast<int>(display.size()))
                    fallbacks.push_back(
                        {QString(QChar(c)) + QChar(display[column + 1]), glyphStart});
            } else if (c > u' ') {
                chars.push_back(QChar(c));
                columns.push_back(glyphStart);
            }
            glyphStart = column + 1;
        }
        if (chars.empty() && fallbacks.empty())
            continue;

        const QRawFont& raw = RawFontFor(run.look.style);
        painter.setPen(Resolve(run.look.foreground));
        glyphs.resize(static_cast<qsizetype>(chars.size()));
        int count = static_cast<int>(chars.size());
        if (count > 0)
            raw.glyphIndexesForChars(chars.data(), count, glyphs.data(), &count);
        positions.clear();
        QList<quint32> drawable;
        drawable.reserve(glyphs.size());
        for (size_t i = 0; i < chars.size(); ++i) {
            const int column = columns[i];
            if (static_cast<int>(i) < count && glyphs[static_cast<qsizetype>(i)] != 0) {
                drawable.push_back(glyphs[static_cast<qsizetype>(i)]);
                positions.push_back(QPointF(origin + column * charWidth_, baseline));
            } else {
                // Not in the text font: let the font machinery find one.
                fallbacks.push_back({QString(chars[i]), column});
            }
        }
        if (!fallbacks.empty()) {
            painter.setFont(FontFor(run.look.style));
            for (const auto& [textOf, column] : fallbacks)
                painter.drawText(QPointF(origin + column * charWidth_, baseline), textOf);
        }
        if (drawable.isEmpty())
            continue;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(raw);
        glyphRun.setGlyphIndexes(drawable);
        glyphRun.setPositions(positions);
        glyphRun.setUnderline(run.look.style & highlight::kStyleUnderline);
        glyphRun.setStrikeOut(run.look.style & highlight::kStyleStrikeOut);
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
}

void TCustomCodeView::PaintCaret(QPainter& painter) {
    if (!hasFocus() || !caretShown_ || lines_.Empty())
        return;
    const int row = caret_.line - (topLine_ - 1);
    if (row < 0 || row * lineHeight_ >= viewport()->height())
        return;
    const int column = ColumnOfChar(caret_.line, caret_.chr) - (leftChar_ - 1);
    if (column < 0)
        return;
    const int x = TextStartX() + column * charWidth_;
    painter.fillRect(QRect(x, row * lineHeight_, 2, lineHeight_), palette().color(QPalette::Text));
}

}  // namespace kelvara::textview
