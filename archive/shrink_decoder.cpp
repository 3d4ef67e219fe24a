#include "archive/shrink_decoder.h"

#include <new>
#include <optional>
#include <vector>

#include "archive/archive_messages.h"

namespace kelvara::archive {

namespace {

constexpr int kCodeCount = 8192;
constexpr int kMaxCode = kCodeCount - 1;
constexpr uint32_t kControlCode = 256;
constexpr int kFirstFreeCode = 257;
constexpr int kMinCodeSize = 9;
constexpr int kMaxCodeSize = 13;
constexpr size_t kStackSize = 8192;
constexpr int32_t kFree = -1;

class Unshrinker {
  public:
    Unshrinker(LegacyBitReader& in, LegacyOutput& out)
        : in_(in),
          out_(out),
          parent_(kCodeCount, kFree),
          char_(kCodeCount, 0),
          children_(kCodeCount, 0),
          stack_(kStackSize) {
        for (int code = 0; code < 256; ++code)
            char_[code] = static_cast<uint8_t>(code);
        freeList_.reserve(kCodeCount);
        leaves_.reserve(kCodeCount);
        for (int code = kFirstFreeCode; code <= kMaxCode; ++code)
            freeList_.push_back(code);
    }

    DecodeStatus Run() {
        uint32_t first = in_.Bits(codeSize_);
        if (in_.Overrun() || first > 255)
            return kMsgBadBlock;
        out_.Put(static_cast<uint8_t>(first));
        int32_t prev = static_cast<int32_t>(first);
        uint8_t prevFirstChar = static_cast<uint8_t>(first);

        for (;;) {
            const uint32_t code = in_.Bits(codeSize_);
            if (in_.Overrun())
                return kDecodeOk;  // the input ended; the caller compares the size
            if (code == kControlCode) {
                if (const DecodeStatus status = Control(); status != kDecodeOk)
                    return status;
                continue;
            }
            if (code > kMaxCode)
                return kMsgBadBlock;
            uint8_t firstChar;
            if (!EmitString(static_cast<int32_t>(code), prev, prevFirstChar, firstChar))
                return kMsgStackOverflow;
            AddCode(prev, firstChar);
            prev = static_cast<int32_t>(code);
            prevFirstChar = firstChar;
        }
    }

  private:
    DecodeStatus Control() {
        const uint32_t what = in_.Bits(codeSize_);
        if (in_.Overrun())
            return kDecodeOk;  // ended inside the control sequence
        if (what == 1 && codeSize_ < kMaxCodeSize) {
            ++codeSize_;
        } else if (what == 2) {
            PartialClear();
        } else {
            return kMsgBadBlock;
        }
        return kDecodeOk;
    }

    bool IsFree(int32_t code) const { return code >= kFirstFreeCode && parent_[code] == kFree; }

    // Writes the string of `code` and gives its first character; false, with nothing written,
    // when the string does not fit the stack. A free code is the one being defined right now:
    // the previous string followed by its own first character.
    bool EmitString(int32_t code, int32_t prev, uint8_t prevFirstChar, uint8_t& firstChar) {
        size_t depth = 0;
        int32_t link = code;
        if (IsFree(code)) {
            stack_[depth++] = prevFirstChar;
            link = prev;
        }
        while (link >= kFirstFreeCode && parent_[link] != kFree) {
            if (depth == kStackSize - 1)
                return false;
            stack_[depth++] = char_[link];
            link = parent_[link];
        }
        // The chain ends at a literal, or at a free code in a damaged stream.
        if (link >= 0 && link != static_cast<int32_t>(kControlCode)) {
            if (depth == kStackSize - 1)
                return false;
            stack_[depth++] = char_[link];
        }
        firstChar = stack_[depth - 1];
        while (depth > 0)
            out_.Put(stack_[--depth]);
        return true;
    }

    void AddCode(int32_t prev, uint8_t firstChar) {
        if (nextFree_ >= freeList_.size())
            return;
        const int32_t code = freeList_[nextFree_++];
        parent_[code] = prev;
        char_[code] = firstChar;
        ++children_[prev];
    }

    // Frees every code that no other code extends; the free list is rebuilt in ascending
    // order so that the lowest free code is handed out first.
    void PartialClear() {
        leaves_.clear();
        for (int32_t code = kFirstFreeCode; code <= kMaxCode; ++code) {
            if (children_[code] == 0)
                leaves_.push_back(code);
        }
        for (auto it = leaves_.rbegin(); it != leaves_.rend(); ++it) {
            const int32_t parent = parent_[*it];
            if (parent == kFree)
                continue;
            --children_[parent];
            parent_[*it] = kFree;
        }
        freeList_.clear();
        for (int32_t code = kFirstFreeCode; code <= kMaxCode; ++code) {
            if (parent_[code] == kFree)
                freeList_.push_back(code);
        }
        nextFree_ = 0;
    }

    LegacyBitReader& in_;
    LegacyOutput& out_;
    std::vector<int32_t> parent_;
    std::vector<uint8_t> char_;
    std::vector<uint32_t> children_;
    std::vector<uint8_t> stack_;
    std::vector<int32_t> freeList_;
    std::vector<int32_t> leaves_;
    size_t nextFree_ = 0;
    int codeSize_ = kMinCodeSize;
};

}  // namespace

DecodeStatus Unshrink(LegacyBitReader& in, LegacyOutput& out) {
    std::optional<Unshrinker> unshrinker;
    try {
        unshrinker.emplace(in, out);
    } catch (const std::bad_alloc&) {
        return kDecodeNoTables;
    }
    return unshrinker->Run();
}

}  // namespace kelvara::archive
