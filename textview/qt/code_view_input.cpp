// Keyboard, mouse and wheel handling of the text view.
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "textview/code_text_layout.h"
#include "textview/qt/code_view.h"

namespace kelvara::textview {
namespace {

bool IsWordChar(char16_t c) {
    return c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z') || c >= 0xC0;
}

int FloorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

}  // namespace

TextPosition TCustomCodeView::WordStartBefore(TextPosition p) const {
    if (lines_.Empty())
        return p;
    const std::u16string_view text = lines_.Line(p.line);
    int i = std::min(p.chr, static_cast<int>(text.size()));
    if (i == 0)
        return p.line > 0
                   ? TextPosition{p.line - 1, static_cast<int>(lines_.Line(p.line - 1).size())}
                   : p;
    while (i > 0 && !IsWordChar(text[i - 1]))
        --i;
    while (i > 0 && IsWordChar(text[i - 1]))
        --i;
    return {p.line, i};
}

TextPosition TCustomCodeView::WordEndAfter(TextPosition p) const {
    if (lines_.Empty())
        return p;
    const std::u16string_view text = lines_.Line(p.line);
    const int size = static_cast<int>(text.size());
    int i = p.chr;
    if (i >= size)
        return p.line + 1 < lines_.Count() ? TextPosition{p.line + 1, 0} : p;
    while (i < size && IsWordChar(text[i]))
        ++i;
    while (i < size && !IsWordChar(text[i]))
        ++i;
    return {p.line, i};
}

bool TCustomCodeView::HandleNavigationKey(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int lineLength = lines_.Empty() ? 0 : static_cast<int>(lines_.Line(caret_.line).size());
    TextPosition to = caret_;
    switch (event->key()) {
        case Qt::Key_Left:
            to = ctrl ? WordStartBefore(caret_) : TextPosition{caret_.line, caret_.chr - 1};
            break;
        case Qt::Key_Right:
            to = ctrl ? WordEndAfter(caret_) : TextPosition{caret_.line, caret_.chr + 1};
            break;
        case Qt::Key_Up:
            if (ctrl) {
                SetTopLine(topLine_ - 1);
                return true;
            }
            to.line -= 1;
            break;
        case Qt::Key_Down:
            if (ctrl) {
                SetTopLine(topLine_ + 1);
                return true;
            }
            to.line += 1;
            break;
        case Qt::Key_Home:
            to = ctrl ? TextPosition{0, 0} : TextPosition{caret_.line, 0};
            break;
        case Qt::Key_End:
            if (ctrl) {
                const int last = std::max(lines_.Count() - 1, 0);
                to = {last, lines_.Empty() ? 0 : static_cast<int>(lines_.Line(last).size())};
            } else if (options_ & voEnhanceEndKey) {
                // First to the end of the text proper, then past trailing blanks.
                const std::u16string_view text =
                    lines_.Empty() ? std::u16string_view() : lines_.Line(caret_.line);
                int trimmed = static_cast<int>(text.size());
                while (trimmed > 0 && (text[trimmed - 1] == u' ' || text[trimmed - 1] == u'\t'))
                    --trimmed;
                to.chr = caret_.chr == trimmed ? lineLength : trimmed;
            } else {
                to.chr = lineLength;
            }
            break;
        case Qt::Key_PageUp:
            SetTopLine(topLine_ - std::max(LinesInWindow(), 1));
            to.line -= std::max(LinesInWindow(), 1);
            break;
        case Qt::Key_PageDown:
            SetTopLine(topLine_ + std::max(LinesInWindow(), 1));
            to.line += std::max(LinesInWindow(), 1);
            break;
        default:
            return false;
    }
    MoveCaret(to, shift);
    return true;
}

bool TCustomCodeView::HandleEditingKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Backspace:
            DeleteBackward();
            return true;
        case Qt::Key_Delete:
            if (event->modifiers() & Qt::ShiftModifier)
                CutToClipboard();
            else
                DeleteForward();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            InsertLineBreak();
            return true;
        case Qt::Key_Insert:
            if (event->modifiers() & Qt::ShiftModifier) {
                PasteFromClipboard();
                return true;
            }
            if (event->modifiers() & Qt::ControlModifier) {
                CopyToClipboard();
                return true;
            }
            return false;
        case Qt::Key_Tab:
            if (!wantTabs_)
                return false;
            InsertText(u"\t");
            return true;
        default:
            break;
    }
    const QString text = event->text();
    if (text.isEmpty() || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    InsertText(text.toStdU16String());
    return true;
}

void TCustomCodeView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        CopyToClipboard();
    } else if (event == QKeySequence::Cut) {
        CutToClipboard();
    } else if (event == QKeySequence::Paste) {
        PasteFromClipboard();
    } else if (event == QKeySequence::Undo) {
        Undo();
    } else if (event == QKeySequence::Redo) {
        Redo();
    } else if (event == QKeySequence::SelectAll) {
        SelectAll();
    } else if (!HandleNavigationKey(event) && !HandleEditingKey(event)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TCustomCodeView::focusNextPrevChild(bool next) {
    // Tab stays inside only when the view wants tabs.
    return wantTabs_ ? false : QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomCodeView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty())
        InsertText(event->commitString().toStdU16String());
    event->accept();
}

void TCustomCodeView::PositionAt(QPoint point, int& x, int& y) {
    const int row = FloorDiv(point.y(), lineHeight_);
    const int line = std::clamp(topLine_ - 1 + row, 0, std::max(lines_.Count() - 1, 0));
    const int column = std::max(
        0, leftChar_ - 1 + FloorDiv(point.x() - TextStartX() + charWidth_ / 2, charWidth_));
    const int chr =
        lines_.Empty() ? column
                       : ColumnToChar(DisplayTextOf(line, static_cast<size_t>(column) + 1), column);
    x = chr + 1;
    y = line + 1;
}

void TCustomCodeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    int x = 1, y = 1;
    PositionAt(event->position().toPoint(), x, y);
    MoveCaret(TextPosition{y - 1, x - 1}, event->modifiers() & Qt::ShiftModifier);
    mouseSelecting_ = true;
    event->accept();
}

void TCustomCodeView::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseSelecting_ || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls a line at a time.
    if (point.y() < 0)
        SetTopLine(topLine_ - 1);
    else if (point.y() >= viewport()->height())
        SetTopLine(topLine_ + 1);
    int x = 1, y = 1;
    PositionAt(point, x, y);
    MoveCaret(TextPosition{y - 1, x - 1}, true);
    event->accept();
}

void TCustomCodeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        mouseSelecting_ = false;
    event->accept();
}

void TCustomCodeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || lines_.Empty())
        return;
    int x = 1, y = 1;
    PositionAt(event->position().toPoint(), x, y);
    const std::u16string_view text = lines_.Line(y - 1);
    int start = std::min(x - 1, static_cast<int>(text.size()));
    int end = start;
    while (start > 0 && IsWordChar(text[start - 1]))
        --start;
    while (end < static_cast<int>(text.size()) && IsWordChar(text[end]))
        ++end;
    MoveCaret(TextPosition{y - 1, start}, false);
    MoveCaret(TextPosition{y - 1, end}, true);
    mouseSelecting_ = false;
    event->accept();
}

void TCustomCodeView::wheelEvent(QWheelEvent* event) {
    const int notches = wheel_.TakeNotches(event->angleDelta().y());
    if (notches != 0) {
        const int perNotch = (event->modifiers() & Qt::ControlModifier)
                                 ? std::max(LinesInWindow(), 1)
                                 : TWheelAccumulator::kLinesPerNotch;
        SetTopLine(topLine_ - notches * perNotch);
    }
    event->accept();
}

void TCustomCodeView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    caretShown_ = true;
    caretTimer_->start();
    InvalidateLines(caret_.line, caret_.line);
}

void TCustomCodeView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretTimer_->stop();
    InvalidateLines(caret_.line, caret_.line);
}

}  // namespace kelvara::textview
