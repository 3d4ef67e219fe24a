#include "textview/code_line_list.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

#include "platform/system_memory.h"
#include "textview/code_text_layout.h"
#include "textview/line_break_scan.h"

namespace kelvara::textview {
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
    if (needed > kMaxTextLines)
        throw std::length_error("Too many lines");
    size_t capacity = capacity_;
    while (capacity < needed)
        capacity = GrownCapacity(capacity);
    records_.reserve(capacity);
    capacity_ = capacity;
}

TCodeLineList::Record TCodeLineList::FreshRecord(size_t start, size_t length) {
    return Record{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length), kUnscanned,
                  0, kFlagWidthUnknown};
}

size_t TCodeLineList::AppendText(std::u16string_view text) {
    if (buffer_.size() + text.size() > kMaxTextUnits) {
        Compact();
        if (buffer_.size() + text.size() > kMaxTextUnits)
            throw std::length_error("Text too long");
    }
    const size_t start = buffer_.size();
    buffer_.append(text);
    return start;
}

TCodeLineList::Record TCodeLineList::MakeRecord(std::u16string_view text) {
    return FreshRecord(AppendText(text), text.size());
}

void TCodeLineList::ReleaseText(const Record& record) {
    wasted_ += record.length;
}

void TCodeLineList::CompactIfWasteful() {
    if (wasted_ < kCompactionThreshold || wasted_ < buffer_.size() / 2)
        return;
    Compact();
}

void TCodeLineList::Compact() {
    std::u16string compact;
    compact.reserve(buffer_.size() - wasted_);
    for (Record& r : records_) {
        const size_t start = compact.size();
        compact.append(buffer_, r.start, r.length);
        r.start = static_cast<std::uint32_t>(start);
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
        const size_t start = AppendText(text);  // may compact: r.start moves, r stays valid
        r.start = static_cast<std::uint32_t>(start);
        r.length = static_cast<std::uint32_t>(text.size());
    }
    r.width = 0;
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
    if (text.size() > kMaxTextUnits)
        throw std::length_error("Text too long");
    const size_t count = CountLinesOf(text.data(), text.size());
    if (count > kMaxTextLines)
        throw std::length_error("Too many lines");
    AdoptText(std::move(text), count, encoding);
}

void TCodeLineList::AdoptText(std::u16string text, size_t count, TextEncoding encoding) {
    // Allocated before anything changes, and exactly: a loaded file has no growth slack.
    std::vector<Record> records;
    records.reserve(count);
    platform::PreferHugePages(records.data(), count * sizeof(Record));
    BeginUpdate();
    streaming_ = true;
    Clear();
    buffer_ = std::move(text);
    records_ = std::move(records);
    capacity_ = count;
    lineBreak_ = ForEachLine(buffer_, [this](size_t start, size_t length) {
        records_.push_back(FreshRecord(start, length));
    });
    encoding_ = encoding;
    Notify(&TCodeLineListObserver::LinesInserted, 0, Count());
    streaming_ = false;
    EndUpdate();
}

void TCodeLineList::LoadFromFile(const std::string& path, std::uint64_t memoryBudget) {
    TextEncoding encoding = TextEncoding::EightBit;
    std::u16string text;
    std::uint64_t fileSize = 0;
    try {
        {
            const std::string bytes = ReadWholeFile(path, memoryBudget);
            fileSize = bytes.size();
            text = DecodeCharacters(bytes, encoding);
        }  // the raw bytes are gone before the records exist
        const size_t count = CountLinesOf(text.data(), text.size());
        CheckTextFits(path, fileSize, text.size(), count, memoryBudget);
        AdoptText(std::move(text), count, encoding);
    } catch (const std::bad_alloc&) {
        // Within the budget, yet the system (a process limit, say) refused the memory.
        throw TextFileTooLargeError("File \"" + path + "\" (" + std::to_string(fileSize) +
                                    " bytes) is too large to load: there is not enough memory");
    }
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
    r.width = tabs ? std::min(textview::ExpandedWidth(text, tabWidth_), kMaxCachedWidth) : 0;
    r.flags = tabs ? kFlagHasTabs : kFlagHasNoTabs;
}

int TCodeLineList::ExpandedWidth(int index) const {
    CheckIndex(index, Count());
    const Record& r = records_[index];
    ComputeWidth(r);
    if (r.flags & kFlagHasNoTabs)
        return static_cast<int>(std::min<std::uint32_t>(r.length, INT_MAX));
    return static_cast<int>(r.width);
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
            r.width = 0;
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

}  // namespace kelvara::textview
