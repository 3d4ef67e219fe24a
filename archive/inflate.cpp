#include "archive/inflate.h"

#include <algorithm>
#include <cstring>

#include "archive/archive_messages.h"
#include "archive/inflate_tables.h"

namespace kelvara::archive {
namespace {

constexpr size_t kInputSize = 65536;
constexpr size_t kInputPadding = 16;
constexpr size_t kRefillRead = 32768;
// The fast loop runs while this much input is buffered (two 8-byte refills) and a longest
// Deflate match still fits in the output.
constexpr ptrdiff_t kFastInput = 16;
constexpr ptrdiff_t kFastOutput = 258;
// The window buffer holds the history and several chunks, so the history is moved only now and
// then; the slack lets match copies run over by a few bytes.
constexpr size_t kChunksPerSlide = 4;
constexpr size_t kCopySlack = 16;

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline uint64_t LowBits(unsigned n) {
    return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
}

inline unsigned EntryBits(uint32_t e) {
    return e & 0xFF;
}
inline unsigned EntryExtra(uint32_t e) {
    return (e >> 8) & 0x1F;
}
inline uint32_t EntryValue(uint32_t e) {
    return e >> 16;
}

// Copies a match whose source may overlap the destination; may write up to 7 bytes past
// out + length.
inline void CopyMatch(uint8_t* out, size_t distance, size_t length) {
    const uint8_t* src = out - distance;
    uint8_t* end = out + length;
    if (distance >= 8) {
        do {
            std::memcpy(out, src, 8);
            out += 8;
            src += 8;
        } while (out < end);
    } else if (distance == 1) {
        std::memset(out, *src, length);
    } else {
        while (out < end)
            *out++ = *src++;
    }
}

}  // namespace

Inflater::Inflater(DeflateVariant variant, CompressedReader source)
    : variant_(variant),
      source_(std::move(source)),
      input_(new uint8_t[kInputSize + kInputPadding]),
      windowSize_(variant == DeflateVariant::kDeflate64 ? 65536 : 32768),
      bufferSize_(windowSize_ + kChunksPerSlide * kMaxChunk),
      window_(new uint8_t[bufferSize_ + kCopySlack]),
      dynamic_(new HuffmanTables) {
    in_ = inEnd_ = input_.get();
    chunk_ = window_.get();
}

Inflater::~Inflater() = default;

void Inflater::Reset(CompressedReader source) {
    source_ = std::move(source);
    state_ = State::kHeader;
    status_ = kDecodeOk;
    finalBlock_ = sourceEnded_ = false;
    in_ = inEnd_ = input_.get();
    bits_ = 0;
    bitCount_ = 0;
    pos_ = 0;
    chunk_ = window_.get();
    storedLeft_ = 0;
    pendingLength_ = pendingDistance_ = 0;
}

// Records why the stream failed; returns false for the caller to pass on.
bool Inflater::Fail(DecodeStatus status) {
    if (status_ == kDecodeOk)
        status_ = status;
    return false;
}

bool Inflater::Refill() {
    if (sourceEnded_)
        return false;
    const size_t kept = static_cast<size_t>(inEnd_ - in_);
    std::memmove(input_.get(), in_, kept);
    in_ = input_.get();
    inEnd_ = in_ + kept;
    const size_t got = source_(input_.get() + kept, std::min(kRefillRead, kInputSize - kept));
    if (got == 0) {
        sourceEnded_ = true;
        return false;
    }
    inEnd_ += got;
    return true;
}

// Buffers whole input bytes until at least n bits are there; false when the input ends first.
// The bits above the count are zero afterwards.
bool Inflater::FillBits(unsigned n) {
    bits_ &= LowBits(bitCount_);  // the fast loop may leave look-ahead bits above the count
    while (bitCount_ < n) {
        if (in_ == inEnd_ && !Refill())
            return false;
        bits_ |= static_cast<uint64_t>(*in_++) << bitCount_;
        bitCount_ += 8;
    }
    return true;
}

bool Inflater::NeedBits(unsigned n) {
    return FillBits(n) || Fail(kMsgUnexpectedEnd);
}

uint32_t Inflater::TakeBits(unsigned n) {
    const uint32_t v = static_cast<uint32_t>(bits_ & LowBits(n));
    bits_ >>= n;
    bitCount_ -= n;
    return v;
}

bool Inflater::ReadBlockHeader() {
    if (finalBlock_) {
        state_ = State::kDone;
        return true;
    }
    if (!NeedBits(3))
        return false;
    finalBlock_ = TakeBits(1) != 0;
    switch (TakeBits(2)) {
        case 0: {
            TakeBits(bitCount_ & 7);
            if (!NeedBits(32))
                return false;
            const uint32_t length = TakeBits(16);
            const uint32_t complement = TakeBits(16);
            if ((length ^ 0xFFFF) != complement)
                return Fail(kMsgBadBlock);
            storedLeft_ = length;
            state_ = State::kStored;
            return true;
        }
        case 1: {
            const HuffmanTables& fixed = FixedTables(variant_);
            litTable_ = fixed.lit;
            distTable_ = fixed.dist;
            state_ = State::kCodes;
            return true;
        }
        case 2:
            if (!ReadDynamicTables())
                return false;
            litTable_ = dynamic_->lit;
            distTable_ = dynamic_->dist;
            state_ = State::kCodes;
            return true;
        default:
            return Fail(kMsgBadBlock);  // block type 3 is reserved
    }
}

bool Inflater::ReadDynamicTables() {
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};
    if (!NeedBits(14))
        return false;
    const unsigned litCount = TakeBits(5) + 257;
    const unsigned distCount = TakeBits(5) + 1;
    const unsigned clCount = TakeBits(4) + 4;
    uint8_t clLengths[19] = {};
    for (unsigned i = 0; i < clCount; ++i) {
        if (!NeedBits(3))
            return false;
        clLengths[kOrder[i]] = static_cast<uint8_t>(TakeBits(3));
    }
    uint32_t clTable[1u << kCodeLengthRootBits];
    if (!BuildCodeLengthTable(clLengths, clTable))
        return Fail(kMsgBadBlock);

    uint8_t lengths[288 + 32];
    const unsigned total = litCount + distCount;
    unsigned n = 0;
    while (n < total) {
        uint32_t e;
        if (!DecodeSymbol(clTable, kCodeLengthRootBits, e))
            return false;
        const unsigned symbol = EntryValue(e);
        if (symbol < 16) {
            lengths[n++] = static_cast<uint8_t>(symbol);
            continue;
        }
        unsigned repeat;
        uint8_t value = 0;
        if (symbol == 16) {
            if (n == 0)
                return Fail(kMsgBadBlock);  // nothing to repeat
            if (!NeedBits(2))
                return false;
            value = lengths[n - 1];
            repeat = 3 + TakeBits(2);
        } else if (symbol == 17) {
            if (!NeedBits(3))
                return false;
            repeat = 3 + TakeBits(3);
        } else {
            if (!NeedBits(7))
                return false;
            repeat = 11 + TakeBits(7);
        }
        if (n + repeat > total)
            return Fail(kMsgBadBlock);
        std::fill(lengths + n, lengths + n + repeat, value);
        n += repeat;
    }
    if (lengths[256] == 0)
        return Fail(kMsgBadBlock);  // no end-of-block code
    if (!BuildLiteralTable(variant_, lengths, litCount, dynamic_->lit) ||
        !BuildDistanceTable(variant_, lengths + litCount, distCount, dynamic_->dist)) {
        return Fail(kMsgBadBlock);
    }
    return true;
}

bool Inflater::DecodeSymbol(const uint32_t* table, unsigned rootBits, uint32_t& entry) {
    // Near the end of the data fewer bits than the longest code may be left: the zeros above
    // them serve the look-up only, and a code longer than what is left means the data is cut.
    FillBits(kMaxCodeBits);
    uint32_t e = table[bits_ & LowBits(rootBits)];
    unsigned used = 0;
    if (e & kLinkFlag) {
        used = rootBits;
        e = table[EntryValue(e) + ((bits_ >> rootBits) & LowBits(EntryExtra(e)))];
    }
    used += EntryBits(e);
    if (used > bitCount_)
        return Fail(kMsgUnexpectedEnd);
    if ((e & kEndFlag) && EntryValue(e) != 0)
        return Fail(kMsgBadBlock);  // a code the block's tables leave unused
    TakeBits(used);
    entry = e;
    return true;
}

void Inflater::CopyPending(uint8_t*& out, uint8_t* outEnd) {
    const size_t n = std::min(pendingLength_, static_cast<size_t>(outEnd - out));
    CopyMatch(out, pendingDistance_, n);
    out += n;
    pendingLength_ -= n;
}

bool Inflater::CopyStored(uint8_t*& out, uint8_t* outEnd) {
    // Whole bytes still in the bit buffer come first.
    bits_ &= LowBits(bitCount_);
    while (storedLeft_ && out < outEnd && bitCount_ >= 8) {
        *out++ = static_cast<uint8_t>(TakeBits(8));
        --storedLeft_;
    }
    while (storedLeft_ && out < outEnd) {
        if (in_ == inEnd_ && !Refill())
            return Fail(kMsgUnexpectedEnd);
        const size_t n =
            std::min({static_cast<size_t>(storedLeft_), static_cast<size_t>(outEnd - out),
                      static_cast<size_t>(inEnd_ - in_)});
        std::memcpy(out, in_, n);
        out += n;
        in_ += n;
        storedLeft_ -= static_cast<uint32_t>(n);
    }
    if (storedLeft_ == 0)
        state_ = State::kHeader;
    return true;
}

// The inner loop: runs while input and output have room for a whole symbol and match, with a
// 64-bit bit buffer refilled eight bytes at a time.
bool Inflater::DecodeFast(uint8_t*& outRef, uint8_t* outEnd) {
    uint8_t* out = outRef;
    const uint8_t* in = in_;
    const uint8_t* const inLimit = inEnd_ - kFastInput;
    uint8_t* const outLimit = outEnd - kFastOutput;
    const uint8_t* const windowStart = window_.get();
    const uint32_t* const lit = litTable_;
    const uint32_t* const dist = distTable_;
    uint64_t bits = bits_;
    unsigned count = bitCount_;
    bool ok = true;

    auto refill = [&] {
        bits |= Load64(in) << count;
        in += (63 - count) >> 3;
        count |= 56;
    };
    auto consume = [&](unsigned n) {
        bits >>= n;
        count -= n;
    };

    while (in <= inLimit && out <= outLimit) {
        refill();
        uint32_t e = lit[bits & LowBits(kLitRootBits)];
        if (e & kLinkFlag) {
            consume(kLitRootBits);
            e = lit[EntryValue(e) + (bits & LowBits(EntryExtra(e)))];
        }
        consume(EntryBits(e));
        if (e & kLiteralFlag) {
            *out++ = static_cast<uint8_t>(EntryValue(e));
            // A second literal often fits in the bits already loaded.
            e = lit[bits & LowBits(kLitRootBits)];
            if ((e & kLiteralFlag) && EntryBits(e) <= count) {
                consume(EntryBits(e));
                *out++ = static_cast<uint8_t>(EntryValue(e));
            }
            continue;
        }
        if (e & kEndFlag) {
            if (EntryValue(e) != 0)
                ok = false;
            else
                state_ = State::kHeader;
            break;
        }
        size_t length = EntryValue(e) + (bits & LowBits(EntryExtra(e)));
        consume(EntryExtra(e));
        if (count < 32)
            refill();
        e = dist[bits & LowBits(kDistRootBits)];
        if (e & kLinkFlag) {
            consume(kDistRootBits);
            e = dist[EntryValue(e) + (bits & LowBits(EntryExtra(e)))];
        }
        if (e & kEndFlag) {
            ok = false;
            break;
        }
        consume(EntryBits(e));
        const size_t distance = EntryValue(e) + (bits & LowBits(EntryExtra(e)));
        consume(EntryExtra(e));
        if (distance > static_cast<size_t>(out - windowStart)) {
            ok = false;
            break;
        }
        const size_t room = static_cast<size_t>(outEnd - out);
        if (length > room) {  // only Deflate64 matches can be this long
            pendingLength_ = length - room;
            pendingDistance_ = distance;
            length = room;
        }
        CopyMatch(out, distance, length);
        out += length;
        if (pendingLength_)
            break;
    }

    // Hand back whole unread bytes so the slow path and stored blocks see them.
    const unsigned unread = count >> 3;
    in -= unread;
    count -= unread * 8;
    in_ = in;
    bits_ = bits;
    bitCount_ = count;
    outRef = out;
    // The fast loop never reads past the input it has, so its only failure is invalid data.
    return ok || Fail(kMsgBadBlock);
}

// One symbol at a time with bounds-checked input: near the end of the data or of the chunk.
bool Inflater::DecodeSlow(uint8_t*& out, uint8_t* outEnd) {
    while (out < outEnd) {
        uint32_t e;
        if (!DecodeSymbol(litTable_, kLitRootBits, e))
            return false;
        if (e & kLiteralFlag) {
            *out++ = static_cast<uint8_t>(EntryValue(e));
            continue;
        }
        if (e & kEndFlag) {
            state_ = State::kHeader;
            return true;
        }
        if (!NeedBits(EntryExtra(e)))
            return false;
        const size_t length = EntryValue(e) + TakeBits(EntryExtra(e));
        if (!DecodeSymbol(distTable_, kDistRootBits, e))
            return false;
        if (!NeedBits(EntryExtra(e)))
            return false;
        const size_t distance = EntryValue(e) + TakeBits(EntryExtra(e));
        if (distance > static_cast<size_t>(out - window_.get()))
            return Fail(kMsgBadBlock);  // reaches back before the first output byte
        pendingLength_ = length;
        pendingDistance_ = distance;
        CopyPending(out, outEnd);
        // Leave for the fast loop once there is room again.
        if (inEnd_ - in_ >= kFastInput && outEnd - out >= kFastOutput)
            return true;
    }
    return true;
}

size_t Inflater::Inflate(size_t maxBytes) {
    maxBytes = std::min(maxBytes, kMaxChunk);
    if (state_ == State::kError)
        return 0;
    if (pos_ + maxBytes > bufferSize_) {
        const size_t keep = std::min(pos_, windowSize_);
        std::memmove(window_.get(), window_.get() + pos_ - keep, keep);
        pos_ = keep;
    }
    uint8_t* const start = window_.get() + pos_;
    uint8_t* out = start;
    uint8_t* const outEnd = start + maxBytes;
    bool ok = true;
    while (ok && out < outEnd && state_ != State::kDone) {
        if (pendingLength_) {
            CopyPending(out, outEnd);
            continue;
        }
        switch (state_) {
            case State::kHeader:
                ok = ReadBlockHeader();
                break;
            case State::kStored:
                ok = CopyStored(out, outEnd);
                break;
            case State::kCodes:
                if (inEnd_ - in_ < kFastInput)
                    Refill();
                if (inEnd_ - in_ >= kFastInput && outEnd - out >= kFastOutput) {
                    ok = DecodeFast(out, outEnd);
                } else {
                    ok = DecodeSlow(out, outEnd);
                }
                break;
            default:
                ok = Fail(kMsgBadBlock);
        }
    }
    if (!ok)
        state_ = State::kError;
    const size_t produced = static_cast<size_t>(out - start);
    pos_ += produced;
    chunk_ = start;
    return produced;
}

}  // namespace kelvara::archive
