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
// The fast loop runs while its two 8-byte refills per round stay inside the buffered input, and
// while the chunk has room for the literals it writes per round; a match is cut at the chunk's
// end and finished by the next call. It is entered with room for one more refill, so that it
// always makes progress.
constexpr ptrdiff_t kFastRoundInput = 16;
constexpr ptrdiff_t kFastInput = kFastRoundInput + 8;
constexpr ptrdiff_t kFastOutput = 4;
// The window buffer holds the history and several chunks, so the history is moved only now and
// then; the slack takes what match copies write past the end of a match.
constexpr size_t kChunksPerSlide = 4;
constexpr size_t kCopyOverrun = 40;
constexpr size_t kCopySlack = 48;
static_assert(kCopySlack >= kCopyOverrun);

#if defined(__GNUC__) || defined(__clang__)
#define KELVARA_ALWAYS_INLINE __attribute__((always_inline))
#else
#define KELVARA_ALWAYS_INLINE
#endif

KELVARA_ALWAYS_INLINE inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

KELVARA_ALWAYS_INLINE inline void Store64(uint8_t* p, uint64_t v) {
    std::memcpy(p, &v, 8);
}

KELVARA_ALWAYS_INLINE inline void Copy8(uint8_t* out, const uint8_t* src) {
    Store64(out, Load64(src));
}

KELVARA_ALWAYS_INLINE inline void Copy16(uint8_t* out, const uint8_t* src) {
    uint8_t v[16];
    std::memcpy(v, src, 16);
    std::memcpy(out, v, 16);
}

KELVARA_ALWAYS_INLINE inline uint64_t LowBits(unsigned n) {
    return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
}

// The base of a length or distance entry plus its extra bits, which follow the code in bits.
KELVARA_ALWAYS_INLINE inline size_t EntryBase(uint32_t e, uint64_t bits) {
    return EntryValue(e) + ((bits & ((uint64_t{1} << EntryTotalBits(e)) - 1)) >> EntryCodeBits(e));
}

// Copies a match whose source may overlap the destination; may write up to kCopyOverrun bytes
// past out + length (and never before out).
KELVARA_ALWAYS_INLINE inline void CopyMatch(uint8_t* out, size_t distance, size_t length) {
    const uint8_t* src = out - distance;
    uint8_t* const end = out + length;
    if (distance >= 8) {
        // Each word is read after the words before it are written, so overlap is harmless. Most
        // matches are short: five words without a test cover them.
        Copy8(out, src);
        Copy8(out + 8, src + 8);
        Copy8(out + 16, src + 16);
        Copy8(out + 24, src + 24);
        Copy8(out + 32, src + 32);
        if (length > 40) {
            out += 40;
            src += 40;
            if (distance >= 16) {
                do {
                    Copy16(out, src);
                    out += 16;
                    src += 16;
                } while (out < end);
            } else {
                do {
                    Copy8(out, src);
                    out += 8;
                    src += 8;
                } while (out < end);
            }
        }
    } else if (distance == 1) {
        const uint64_t v = uint64_t{0x0101010101010101} * *src;
        do {
            Store64(out, v);
            out += 8;
        } while (out < end);
    } else {
        // A period shorter than a word: the first word byte by byte, then whole words from the
        // nearest multiple of the period that lies a word or more back.
        static constexpr uint8_t kStride[8] = {0, 0, 8, 9, 8, 10, 12, 14};
        for (int i = 0; i < 8; ++i)
            out[i] = src[i];
        src = out + 8 - kStride[distance];
        out += 8;
        while (out < end) {
            Copy8(out, src);
            out += 8;
            src += 8;
        }
    }
}

enum class FastExit { kRoom, kEndOfBlock, kBadData };

// What the fast loop works on: copied in from the decoder and back.
struct FastState {
    const uint8_t* in;
    const uint8_t* inLimit;  // a round may start at or before it
    uint64_t bits;
    unsigned count;
    uint8_t* out;
    uint8_t* outEnd;
    const uint8_t* windowStart;
    const uint32_t* lit;
    const uint32_t* dist;
    size_t pendingLength = 0;
    size_t pendingDistance = 0;
    FastExit exit = FastExit::kRoom;
};

// The inner loop: runs while input and output have room for a whole round, with a 64-bit bit
// buffer refilled without branches. After a refill it holds at least 56 bits, enough for up to
// four literals from the root table or one length and distance (Deflate64's longer lengths and
// distances take a second refill). The next literal/length entry is looked up before the match is
// copied. It stops before a round that could need more than inLimit + 16 input bytes or could write
// a literal past outEnd; a match is cut at outEnd and its rest left pending.
template <bool kDeflate64>
KELVARA_ALWAYS_INLINE inline void FastLoop(FastState& f) {
    const uint8_t* in = f.in;
    const uint8_t* const inLimit = f.inLimit;
    uint8_t* out = f.out;
    uint8_t* const outEnd = f.outEnd;
    uint8_t* const outLimit = outEnd - kFastOutput;
    const uint8_t* const windowStart = f.windowStart;
    const uint32_t* const lit = f.lit;
    const uint32_t* const dist = f.dist;
    constexpr uint64_t kLitMask = (uint64_t{1} << kLitRootBits) - 1;
    constexpr uint64_t kDistMask = (uint64_t{1} << kDistRootBits) - 1;
    uint64_t bits = f.bits;
    unsigned count = f.count;
    size_t pendingLength = 0;
    size_t pendingDistance = 0;
    FastExit exit = FastExit::kRoom;

    // Loads the next eight input bytes above the bits held and keeps the whole bytes among
    // them; the bits above the count are input too, so a second load just ORs the same bits in.
    auto refill = [&] {
        bits |= Load64(in) << count;
        in += (63 - count) >> 3;
        count |= 56;
    };
    auto consume = [&](uint32_t e) {
        bits >>= EntryTotalBits(e);
        count -= EntryTotalBits(e);
    };
    auto literal = [&](uint32_t e) { *out++ = static_cast<uint8_t>(EntryValue(e)); };

    refill();
    uint32_t e = lit[bits & kLitMask];
    // At the top of each round the buffer holds 56 bits or more and e is the entry they start with.
    while (in <= inLimit && out <= outLimit) {
        if (e & kLiteralFlag) {
            // Each root literal takes at most 11 bits: four of them leave 12 for the next look-up.
            consume(e);
            literal(e);
            e = lit[bits & kLitMask];
            if (e & kLiteralFlag) {
                consume(e);
                literal(e);
                e = lit[bits & kLitMask];
                if (e & kLiteralFlag) {
                    consume(e);
                    literal(e);
                    e = lit[bits & kLitMask];
                    if (e & kLiteralFlag) {
                        consume(e);
                        literal(e);
                        e = lit[bits & kLitMask];
                    }
                }
            }
            refill();
            continue;
        }
        if (e & (kLinkFlag | kEndFlag)) {
            if (e & kLinkFlag) {
                e = lit[EntryValue(e) + ((bits >> kLitRootBits) & LowBits(EntryCodeBits(e)))];
                if (e & kLiteralFlag) {
                    consume(e);
                    literal(e);
                    e = lit[bits & kLitMask];
                    refill();
                    continue;
                }
            }
            if (e & kEndFlag) {
                if (EntryValue(e) != 0) {
                    exit = FastExit::kBadData;  // a code the block's tables leave unused
                } else {
                    consume(e);
                    exit = FastExit::kEndOfBlock;
                }
                break;
            }
        }
        size_t length = EntryBase(e, bits);
        consume(e);
        // A Deflate length and distance take at most 20 + 28 bits; Deflate64's take up to 31 + 29.
        if constexpr (kDeflate64)
            refill();
        uint32_t d = dist[bits & kDistMask];
        if (d & (kLinkFlag | kEndFlag)) {
            if (d & kLinkFlag)
                d = dist[EntryValue(d) + ((bits >> kDistRootBits) & LowBits(EntryCodeBits(d)))];
            if (d & kEndFlag) {
                exit = FastExit::kBadData;
                break;
            }
        }
        const size_t distance = EntryBase(d, bits);
        consume(d);
        // Right after a refill all 64 bits are input, and at most 48 are used since (29 after
        // Deflate64's second refill), so the next entry is looked up while the buffer refills.
        e = lit[bits & kLitMask];
        refill();
        if (distance > static_cast<size_t>(out - windowStart)) {
            exit = FastExit::kBadData;  // reaches back before the first output byte
            break;
        }
        const size_t room = static_cast<size_t>(outEnd - out);
        if (length > room) {  // the rest is copied into the next chunk
            pendingLength = length - room;
            pendingDistance = distance;
            CopyMatch(out, distance, room);
            out += room;
            break;
        }
        CopyMatch(out, distance, length);
        out += length;
    }
    f.in = in;
    f.bits = bits;
    f.count = count;
    f.out = out;
    f.pendingLength = pendingLength;
    f.pendingDistance = pendingDistance;
    f.exit = exit;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same loop compiled for processors with BMI2, whose shifts and masks by a register count
// take one instruction and leave the flags alone.
template <bool kDeflate64>
__attribute__((target("bmi2"))) void FastLoopBmi2(FastState& f) {
    FastLoop<kDeflate64>(f);
}
template <bool kDeflate64>
void FastLoopGeneric(FastState& f) {
    FastLoop<kDeflate64>(f);
}
void RunFastLoop(FastState& f, bool deflate64) {
    static const bool bmi2 = __builtin_cpu_supports("bmi2");
    if (deflate64)
        bmi2 ? FastLoopBmi2<true>(f) : FastLoopGeneric<true>(f);
    else
        bmi2 ? FastLoopBmi2<false>(f) : FastLoopGeneric<false>(f);
}
#else
void RunFastLoop(FastState& f, bool deflate64) {
    deflate64 ? FastLoop<true>(f) : FastLoop<false>(f);
}
#endif

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
    if (bitCount_ >= n)
        return true;
    if (inEnd_ - in_ >= 8) {
        // Whole bytes from one load, as in the fast loop: the bits above the count are either
        // zero or the same input bits.
        bits_ |= Load64(in_) << bitCount_;
        in_ += (63 - bitCount_) >> 3;
        bitCount_ |= 56;
        return true;
    }
    bits_ &= LowBits(bitCount_);  // the zeros above the count stand in for input that isn't there
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
    if (e & kLinkFlag)
        e = table[EntryValue(e) + ((bits_ >> rootBits) & LowBits(EntryCodeBits(e)))];
    if (EntryCodeBits(e) > bitCount_)
        return Fail(kMsgUnexpectedEnd);
    if ((e & kEndFlag) && EntryValue(e) != 0)
        return Fail(kMsgBadBlock);  // a code the block's tables leave unused
    TakeBits(EntryCodeBits(e));
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

bool Inflater::DecodeFast(uint8_t*& out, uint8_t* outEnd) {
    FastState f;
    f.in = in_;
    f.inLimit = inEnd_ - kFastRoundInput;
    f.bits = bits_;
    f.count = bitCount_;
    f.out = out;
    f.outEnd = outEnd;
    f.windowStart = window_.get();
    f.lit = litTable_;
    f.dist = distTable_;
    RunFastLoop(f, variant_ == DeflateVariant::kDeflate64);
    // Hand back whole unread bytes so the slow path and stored blocks see them; only bytes read
    // here, since those held before may no longer be in the input buffer.
    const unsigned unread = std::min(f.count >> 3, static_cast<unsigned>(f.in - in_));
    in_ = f.in - unread;
    bits_ = f.bits;
    bitCount_ = f.count - unread * 8;
    out = f.out;
    pendingLength_ = f.pendingLength;
    pendingDistance_ = f.pendingDistance;
    if (f.exit == FastExit::kEndOfBlock)
        state_ = State::kHeader;
    // The fast loop never reads past the input it has, so its only failure is invalid data.
    return f.exit != FastExit::kBadData || Fail(kMsgBadBlock);
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
        unsigned extra = EntryTotalBits(e) - EntryCodeBits(e);
        if (!NeedBits(extra))
            return false;
        const size_t length = EntryValue(e) + TakeBits(extra);
        if (!DecodeSymbol(distTable_, kDistRootBits, e))
            return false;
        extra = EntryTotalBits(e) - EntryCodeBits(e);
        if (!NeedBits(extra))
            return false;
        const size_t distance = EntryValue(e) + TakeBits(extra);
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
