// The line store of the text view. All line texts live in one UTF-16 buffer; each line is a
// 16-byte record (where its text lies, its stored range state, its cached width after tab
// expansion and flags), so a large file costs no heap object per line. A loaded file's records
// are allocated exactly, with no growth slack; the buffer holds at most kMaxTextUnits UTF-16
// units and the store at most kMaxTextLines lines (std::length_error beyond).
//
// Every change is bracketed by BeginUpdate / EndUpdate; observers hear "changing" when the
// outermost bracket opens and "changed" when it closes, and in between what happened (cleared,
// inserted, deleted, replaced).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textview/text_file_loading.h"

namespace kelvara::textview {

class TCodeLineListObserver {
  public:
    virtual ~TCodeLineListObserver() = default;
    virtual void LinesChanging() {}
    virtual void LinesChanged() {}
    virtual void LinesCleared() {}
    virtual void LinesInserted(int /*index*/, int /*count*/) {}
    virtual void LinesDeleted(int /*index*/, int /*count*/) {}
    virtual void LinesReplaced(int /*index*/, int /*count*/) {}
};

class TCodeLineList {
  public:
    static constexpr int kUnscanned = -1;
    static constexpr int kMaxCachedWidth = (1 << 29) - 1;

    TCodeLineList() = default;
    TCodeLineList(const TCodeLineList&) = delete;
    TCodeLineList& operator=(const TCodeLineList&) = delete;

    void SetObserver(TCodeLineListObserver* observer) { observer_ = observer; }

    int Count() const { return static_cast<int>(records_.size()); }
    bool Empty() const { return records_.empty(); }
    // The view stays valid until the next change of the list.
    std::u16string_view Line(int index) const;
    std::u16string operator[](int index) const { return std::u16string(Line(index)); }

    void Add(std::u16string_view text) { Insert(Count(), text); }
    void Insert(int index, std::u16string_view text);
    void InsertLines(int index, const std::vector<std::u16string>& texts);
    void Put(int index, std::u16string_view text);
    void Delete(int index) { DeleteLines(index, 1); }
    void DeleteLines(int index, int count);
    void Clear();

    // Replaces the contents with the lines of a decoded text (buffer taken over, no copy) and
    // records the line-break kind found; observers hear one insertion of all lines.
    void SetText(std::u16string text, TextEncoding encoding = TextEncoding::EightBit);
    // Replaces the contents with a file's lines; a file that cannot be opened or decoded, or
    // that is too large to load within `memoryBudget` bytes (text_file_loading.h), leaves the
    // list unchanged (TextFileOpenError, TextEncodingError, TextFileTooLargeError).
    void LoadFromFile(const std::string& path, std::uint64_t memoryBudget = TextMemoryBudget());
    // All lines joined by `separator`.
    std::u16string Text(std::u16string_view separator = u"\n") const;

    int RangeState(int index) const { return records_[index].range; }
    void SetRangeState(int index, int state) { records_[index].range = state; }

    // Width in cells after expanding tabs (wide glyphs not counted); cached per line. The cache
    // of a line with tabs holds up to kMaxCachedWidth cells; a wider line reports that.
    int ExpandedWidth(int index) const;
    bool HasTabs(int index) const;
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int width);
    // Index of the widest line (-1 when empty) and its width.
    int LongestLineIndex() const;
    int MaxExpandedWidth() const;

    LineBreakKind LineBreak() const { return lineBreak_; }
    TextEncoding Encoding() const { return encoding_; }
    bool Streaming() const { return streaming_; }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Record capacity and the rule by which it grows: 16 records at a time up to 64, then by a
    // quarter of the current capacity.
    size_t Capacity() const { return capacity_; }
    static size_t GrownCapacity(size_t capacity);
    // Bytes held by the store (text buffer and records), for measurements.
    size_t MemoryUsed() const;

  private:
    enum : std::uint8_t {
        kFlagHasTabs = 1,
        kFlagHasNoTabs = 2,
        kFlagWidthUnknown = 4,
    };
    // Packed into 16 bytes: the width of a line without tabs is its length, so only lines with
    // tabs need the cached width, and 29 bits of it leave room for the three flags.
    struct Record {
        std::uint32_t start;  // in buffer_
        std::uint32_t length;
        std::int32_t range;
        mutable std::uint32_t width : 29;
        mutable std::uint32_t flags : 3;
    };
    static_assert(sizeof(Record) == kLineRecordBytes, "loading's memory limit counts on it");

    static Record FreshRecord(size_t start, size_t length);
    // Replaces the contents with `text`, which holds `count` lines.
    void AdoptText(std::u16string text, size_t count, TextEncoding encoding);
    // Appends text to the buffer (compacting it first when it would outgrow the offsets) and
    // returns where it starts.
    size_t AppendText(std::u16string_view text);
    Record MakeRecord(std::u16string_view text);
    void EnsureCapacity(size_t needed);
    void ReleaseText(const Record& record);
    void CompactIfWasteful();
    void Compact();
    void InvalidateLongest() { longestIndex_ = -1; }
    void Notify(void (TCodeLineListObserver::*event)(int, int), int index, int count);
    void ComputeWidth(const Record& record) const;

    std::u16string buffer_;
    std::vector<Record> records_;
    size_t capacity_ = 0;
    size_t wasted_ = 0;  // buffer characters no record refers to any more
    int tabWidth_ = 8;
    mutable int longestIndex_ = -1;
    LineBreakKind lineBreak_ = LineBreakKind::Dos;
    TextEncoding encoding_ = TextEncoding::EightBit;
    bool streaming_ = false;
    int updateCount_ = 0;
    TCodeLineListObserver* observer_ = nullptr;
};

}  // namespace kelvara::textview
