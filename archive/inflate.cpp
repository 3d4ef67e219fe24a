#include "archive/inflate.h"

#include <algorithm>
#include <cstring>

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
// Zero bytes the decoder may take past the end of the data before the stream counts as cut.
constexpr unsigned kMaxOverrun = 8;

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

Inflater::Inflater(DeflateVariant variant, InflateSource source)
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

void Inflater::Reset(InflateSource source) {
    source_ = std::move(source);
    state_ = State::kHeader;
    finalBlock_ = sourceEnded_ = false;
    in_ = inEnd_ = input_.get();
    bits_ = 0;
    bitCount_ = overrun_ = 0;
    pos_ = 0;
    chunk_ = window_.get();
    storedLeft_ = 0;
    pendingLength_ = pendingDistance_ = 0;
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

bool Inflater::NeedBits(unsigned n) {
    bits_ &= LowBits(bitCount_);  // the fast loop may leave look-ahead bits above the count
    while (bitCount_ < n) {
        if (in_ == inEnd_ && !Refill()) {
            if (++overrun_ > kMaxOverrun)
                return false;
            bitCount_ += 8;
            continue;
        }
        bits_ |= static_cast<uint64_t>(*in_++) << bitCount_;
        bitCount_ += 8;
    }
    return true;
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
                return false;
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
            return false;
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
        return false;

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
            if (n == 0 || !NeedBits(2))
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
            return false;
        std::fill(lengths + n, lengths + n + repeat, value);
        n += repeat;
    }
    if (lengths[256] == 0)
        return false;  // no end-of-block code
    return BuildLiteralTable(variant_, lengths, litCount, dynamic_->lit) &&
           BuildDistanceTable(variant_, lengths + litCount, distCount, dynamic_->dist);
}

bool Inflater::DecodeSymbol(const uint32_t* table, unsigned rootBits, uint32_t& entry) {
    if (!NeedBits(kMaxCodeBits))
        return false;
    uint32_t e = table[bits_ & LowBits(rootBits)];
    if (e & kLinkFlag) {
        TakeBits(rootBits);
        e = table[EntryValue(e) + (bits_ & LowBits(EntryExtra(e)))];
    }
    if ((e & kEndFlag) && EntryValue(e) != 0)
        return false;
    TakeBits(EntryBits(e));
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
            return false;
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
    return ok;
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
            return false;
        pendingLength_ = length;
        pendingDistance_ = distance;
        CopyPending(out, outEnd);
        // Leave for the fast loop once there is room again.
        if (inEnd_ - in_ >= kFastInput && outEnd - out >= kFastOutput)
            return true;
    }
    return true;
}

long Inflater::Inflate(size_t maxBytes) {
    maxBytes = std::min(maxBytes, kMaxChunk);
    if (state_ == State::kError)
        return kDataError;
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
                ok = false;
        }
    }
    if (!ok)
        state_ = State::kError;
    const size_t produced = static_cast<size_t>(out - start);
    pos_ += produced;
    chunk_ = start;
    if (produced)
        return static_cast<long>(produced);
    return ok ? kEndOfData : kDataError;
}

}  // namespace kelvara::archive
