#include "preview/code_line_list.h"

#include <algorithm>
#include <stdexcept>

#include "preview/code_text_layout.h"

namespace kelvara::preview {
namespace {

// Below this many wasted characters the buffer is never compacted.
constexpr size_t kCompactionThreshold = 1 << 20;

void CheckIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

std::u16string_view TCodeLineList::Line(int index) const {
    CheckIndex(index, Count());
    const Record& r = records_[index];
    return std::u16string_view(buffer_).substr(r.start, r.length);
}

size_t TCodeLineList::GrownCapacity(size_t capacity) {
    return capacity <= 64 ? capacity + 16 : capacity + capacity / 4;
}

void TCodeLineList::EnsureCapacity(size_t needed) {
    if (needed <= capacity_)
        return;
    size_t capacity = capacity_;
    while (capacity < needed)
        capacity = GrownCapacity(capacity);
    records_.reserve(capacity);
    capacity_ = capacity;
}

TCodeLineList::Record TCodeLineList::MakeRecord(std::u16string_view text) {
    Record r{buffer_.size(), static_cast<std::uint32_t>(text.size()), kUnscanned, -1,
             kFlagWidthUnknown};
    buffer_.append(text);
    return r;
}

void TCodeLineList::ReleaseText(const Record& record) {
    wasted_ += record.length;
}

void TCodeLineList::CompactIfWasteful() {
    if (wasted_ < kCompactionThreshold || wasted_ < buffer_.size() / 2)
        return;
    std::u16string compact;
    compact.reserve(buffer_.size() - wasted_);
    for (Record& r : records_) {
        const size_t start = compact.size();
        compact.append(buffer_, r.start, r.length);
        r.start = start;
    }
    buffer_ = std::move(compact);
    wasted_ = 0;
}

void TCodeLineList::Notify(void (TCodeLineListObserver::*event)(int, int), int index, int count) {
    if (observer_ && count > 0)
        (observer_->*event)(index, count);
}

void TCodeLineList::BeginUpdate() {
    if (updateCount_++ == 0 && observer_)
        observer_->LinesChanging();
}

void TCodeLineList::EndUpdate() {
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0 && observer_)
        observer_->LinesChanged();
}

void TCodeLineList::Insert(int index, std::u16string_view text) {
    if (index < 0 || index > Count())
        CheckIndex(index, Count());
    BeginUpdate();
    EnsureCapacity(records_.size() + 1);
    records_.insert(records_.begin() + index, MakeRecord(text));
    InvalidateLongest();
    Notify(&TCodeLineListObserver::LinesInserted, index, 1);
    EndUpdate();
}

void TCodeLineList::InsertLines(int index, const std::vector<std::u16string>& texts) {
    if (index < 0 || index > Count())
        CheckIndex(index, Count());
    if (texts.empty())
        return;
    BeginUpdate();
    EnsureCapacity(records_.size() + texts.size());
    std::vector<Record> added;
    added.reserve(texts.size());
    for (const auto& text : texts)
        added.push_back(MakeRecord(text));
    records_.insert(records_.begin() + index, added.begin(), added.end());
    InvalidateLongest();
    Notify(&TCodeLineListObserver::LinesInserted, index, static_cast<int>(texts.size()));
    EndUpdate();
}

void TCodeLineList::Put(int index, std::u16string_view text) {
    CheckIndex(index, Count());
    BeginUpdate();
    Record& r = records_[index];
    if (text.size() <= r.length) {
        // Fits where the old text was: overwrite in place.
        std::copy(text.begin(), text.end(), buffer_.begin() + static_cast<ptrdiff_t>(r.start));
        wasted_ += r.length - text.size();
        r.length = static_cast<std::uint32_t>(text.size());
    } else {
        ReleaseText(r);
        const Record fresh = MakeRecord(text);
        r.start = fresh.start;
        r.length = fresh.length;
    }
    r.width = -1;
    r.flags = kFlagWidthUnknown;
    InvalidateLongest();
    CompactIfWasteful();
    Notify(&TCodeLineListObserver::LinesReplaced, index, 1);
    EndUpdate();
}

void TCodeLineList::DeleteLines(int index, int count) {
    if (count <= 0)
        return;
    CheckIndex(index, Count());
    count = std::min(count, Count() - index);
    BeginUpdate();
    for (int i = index; i < index + count; ++i)
        ReleaseText(records_[i]);
    records_.erase(records_.begin() + index, records_.begin() + index + count);
    InvalidateLongest();
    CompactIfWasteful();
    Notify(&TCodeLineListObserver::LinesDeleted, index, count);
    EndUpdate();
}

void TCodeLineList::Clear() {
    BeginUpdate();
    records_.clear();
    records_.shrink_to_fit();
    capacity_ = 0;
    buffer_ = std::u16string();
    wasted_ = 0;
    InvalidateLongest();
    if (observer_)
        observer_->LinesCleared();
    EndUpdate();
}

void TCodeLineList::SetText(std::u16string text, TextEncoding encoding) {
    BeginUpdate();
    streaming_ = true;
    Clear();
    buffer_ = std::move(text);
    // Count first so the records are allocated once.
    size_t count = 0;
    ForEachLine(buffer_, [&count](size_t, size_t) { ++count; });
    records_.reserve(count);
    capacity_ = count;
    lineBreak_ = ForEachLine(buffer_, [this](size_t start, size_t length) {
        records_.push_back(
            {start, static_cast<std::uint32_t>(length), kUnscanned, -1, kFlagWidthUnknown});
    });
    encoding_ = encoding;
    Notify(&TCodeLineListObserver::LinesInserted, 0, Count());
    streaming_ = false;
    EndUpdate();
}

void TCodeLineList::LoadFromFile(const std::string& path) {
    TextEncoding encoding = TextEncoding::EightBit;
    std::u16string text;
    {
        const std::string bytes = ReadWholeFile(path);
        text = DecodeCharacters(bytes, encoding);
    }  // the raw bytes are gone before the records exist
    SetText(std::move(text), encoding);
}

std::u16string TCodeLineList::Text(std::u16string_view separator) const {
    std::u16string out;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0)
            out.append(separator);
        out.append(Line(i));
    }
    return out;
}

void TCodeLineList::ComputeWidth(const Record& r) const {
    if (!(r.flags & kFlagWidthUnknown))
        return;
    const std::u16string_view text = std::u16string_view(buffer_).substr(r.start, r.length);
    const bool tabs = text.find(u'\t') != std::u16string_view::npos;
    r.width = tabs ? preview::ExpandedWidth(text, tabWidth_) : static_cast<std::int32_t>(r.length);
    r.flags = tabs ? kFlagHasTabs : kFlagHasNoTabs;
}

int TCodeLineList::ExpandedWidth(int index) const {
    CheckIndex(index, Count());
    ComputeWidth(records_[index]);
    return records_[index].width;
}

bool TCodeLineList::HasTabs(int index) const {
    CheckIndex(index, Count());
    ComputeWidth(records_[index]);
    return records_[index].flags & kFlagHasTabs;
}

void TCodeLineList::SetTabWidth(int width) {
    if (width < 1)
        width = 1;
    if (width == tabWidth_)
        return;
    tabWidth_ = width;
    // Only lines with tabs change width.
    for (Record& r : records_)
        if (!(r.flags & kFlagHasNoTabs)) {
            r.width = -1;
            r.flags = kFlagWidthUnknown;
        }
    InvalidateLongest();
}

int TCodeLineList::LongestLineIndex() const {
    if (longestIndex_ < 0 && !records_.empty()) {
        int best = 0, bestWidth = -1;
        for (int i = 0; i < Count(); ++i) {
            const int width = ExpandedWidth(i);
            if (width > bestWidth) {
                bestWidth = width;
                best = i;
            }
        }
        longestIndex_ = best;
    }
    return longestIndex_;
}

int TCodeLineList::MaxExpandedWidth() const {
    const int index = LongestLineIndex();
    return index < 0 ? 0 : ExpandedWidth(index);
}

size_t TCodeLineList::MemoryUsed() const {
    return buffer_.capacity() * sizeof(char16_t) + records_.capacity() * sizeof(Record);
}

}  // namespace kelvara::preview
