// The Deflate decoder's fast paths on generated streams whose output is known: overlapping
// matches of every short distance, matches cut at chunk ends and reaching across the window's
// moves, long codes that need sub-tables, input handed over in pieces of every size, streams that
// end on the last bit of the input, and Deflate64's long lengths and far distances.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_messages.h"
#include "archive/inflate.h"
#include "inflate_decoding.h"
#include "testkit/deflate_stream_writer.h"

namespace {

using kelvara::archive::DecodeStatus;
using kelvara::archive::DeflateVariant;
using kelvara::archive::Inflater;
using kelvara::archive::kDecodeOk;
using kelvara::archive::kMsgUnexpectedEnd;
using kelvara::test::CanonicalCodes;
using kelvara::test::DeflateWriter;

constexpr unsigned kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr unsigned kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr unsigned kDistBase[32] = {1,    2,    3,    4,     5,     7,     9,     13,
                                    17,   25,   33,   49,    65,    97,    129,   193,
                                    257,  385,  513,  769,   1025,  1537,  2049,  3073,
                                    4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr unsigned kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                     7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

// Writes literals and matches into one block, with the fixed codes or with given code lengths,
// and keeps the output they stand for.
class Script {
  public:
    // With split, the fixed-code blocks are not final and Split() starts new ones; Finish() then
    // closes the stream with an empty final stored block.
    Script(DeflateVariant variant, std::vector<uint8_t> lit = {}, std::vector<uint8_t> dist = {},
           bool split = false)
        : variant_(variant), lit_(std::move(lit)), dist_(std::move(dist)), split_(split) {
        if (lit_.empty()) {
            w_.BlockHeader(!split_, 1);
        } else {
            w_.DynamicHeader(true, lit_, dist_);
            litCodes_ = CanonicalCodes(lit_);
            distCodes_ = CanonicalCodes(dist_);
        }
    }

    void Literal(uint8_t b) {
        Symbol(b);
        expected_ += static_cast<char>(b);
    }

    void Match(unsigned length, unsigned distance) {
        ASSERT_GE(distance, 1u);
        ASSERT_LE(distance, expected_.size());
        if (variant_ == DeflateVariant::kDeflate64 && length > 257) {
            Symbol(285);
            w_.Bits(length - 3, 16);
        } else {
            unsigned i = 28;
            while (kLengthBase[i] > length)
                --i;
            if (variant_ == DeflateVariant::kDeflate64 && i == 28)
                i = 27;  // 285 means something else there
            Symbol(257 + i);
            w_.Bits(length - kLengthBase[i], kLengthExtra[i]);
        }
        unsigned d = 31;
        while (kDistBase[d] > distance)
            --d;
        if (dist_.empty())
            w_.Distance(d);
        else
            w_.Code(distCodes_[d], dist_[d]);
        w_.Bits(distance - kDistBase[d], kDistExtra[d]);
        for (unsigned k = 0; k < length; ++k)
            expected_ += expected_[expected_.size() - distance];
    }

    void Split() {
        ASSERT_TRUE(split_);
        Symbol(256);
        w_.BlockHeader(false, 1);
    }

    // Ends the block. With endOnByte (fixed codes only) 9-bit literals come first until the
    // 7-bit end-of-block code ends on a byte.
    std::string Finish(bool endOnByte = false) {
        if (endOnByte) {
            EXPECT_TRUE(lit_.empty());
            while ((w_.BitCount() + 7) % 8 != 0)
                Literal(0xC8);
        }
        Symbol(256);
        if (split_)
            w_.StoredHeader(true, 0, 0xFFFF);
        return w_.Bytes();
    }

    const std::string& Expected() const { return expected_; }
    size_t Size() const { return expected_.size(); }

  private:
    void Symbol(unsigned s) {
        if (lit_.empty()) {
            if (s < 256)
                w_.Literal(s);
            else if (s == 256)
                w_.EndOfBlock();
            else
                w_.LengthCode(s);
        } else {
            ASSERT_GT(lit_[s], 0) << s;
            w_.Code(litCodes_[s], lit_[s]);
        }
    }

    DeflateVariant variant_;
    DeflateWriter w_;
    std::vector<uint8_t> lit_, dist_;
    std::vector<uint32_t> litCodes_, distCodes_;
    bool split_ = false;
    std::string expected_;
};

using kelvara::test::Decode;
using kelvara::test::Decoded;

void ExpectDecodes(const std::string& stream, const std::string& expected, DeflateVariant variant,
                   std::vector<size_t> chunks = {Inflater::kMaxChunk, 1000, 257, 7, 1}) {
    for (size_t chunk : chunks) {
        SCOPED_TRACE("chunk " + std::to_string(chunk));
        const Decoded d = Decode(stream, variant, chunk);
        EXPECT_EQ(d.status, kDecodeOk);
        EXPECT_TRUE(d.finished);
        ASSERT_EQ(d.out.size(), expected.size());
        EXPECT_TRUE(d.out == expected);
    }
}

// Distinct bytes to copy from, so a copy from the wrong place shows.
void Prefix(Script& s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        s.Literal(static_cast<uint8_t>(i * 7 + 1));
}

TEST(InflateFastPaths, EveryShortDistanceWithEveryLength) {
    for (DeflateVariant variant : {DeflateVariant::kDeflate, DeflateVariant::kDeflate64}) {
        Script s(variant);
        Prefix(s, 40);
        for (unsigned distance = 1; distance <= 20; ++distance) {
            for (unsigned length : {3u,  4u,  5u,  7u,  8u,  9u,  15u, 16u,  17u,  23u, 24u,
                                    25u, 31u, 39u, 40u, 41u, 48u, 63u, 100u, 257u, 258u}) {
                s.Match(length, distance);
                s.Literal(static_cast<uint8_t>(distance * 31 + length));
            }
        }
        ExpectDecodes(s.Finish(), s.Expected(), variant);
    }
}

// Long matches at the far end of the window while the decoder's buffer moves its history many
// times, and matches of every length that end at or run over the end of a chunk.
TEST(InflateFastPaths, MatchesAcrossChunkEndsAndWindowMoves) {
    Script s(DeflateVariant::kDeflate);
    std::mt19937 rng(7);
    for (int i = 0; i < 32768; ++i)
        s.Literal(static_cast<uint8_t>(rng()));
    while (s.Size() < 600000) {
        s.Match(258, 32768);
        s.Match(3 + rng() % 256, 1 + rng() % 32768);
        s.Literal(static_cast<uint8_t>(rng()));
        s.Match(3 + rng() % 10, 1 + rng() % 9);
    }
    ExpectDecodes(s.Finish(), s.Expected(), DeflateVariant::kDeflate,
                  {Inflater::kMaxChunk, 32767, 4096, 1001, 258, 5});
}

TEST(InflateFastPaths, Deflate64LongLengthsAndFarDistances) {
    Script s(DeflateVariant::kDeflate64);
    std::mt19937 rng(64);
    for (int i = 0; i < 65536; ++i)
        s.Literal(static_cast<uint8_t>(rng()));
    s.Match(65538, 65536);  // the longest match from the farthest point
    s.Match(65538, 1);
    s.Match(40000, 49153);  // distance codes 30 and 31
    s.Match(1000, 32769);
    s.Match(258, 65535);
    s.Match(259, 3);
    while (s.Size() < 700000) {
        s.Match(3 + rng() % 70000, 1 + rng() % 65536);
        s.Literal(static_cast<uint8_t>(rng()));
        s.Match(3 + rng() % 300, 1 + rng() % 8);
    }
    ExpectDecodes(s.Finish(), s.Expected(), DeflateVariant::kDeflate64,
                  {Inflater::kMaxChunk, 12345, 999, 3});
}

// Literal/length and distance codes of up to 15 bits, longer than the tables' first level: a
// complete literal/length code (7/8 + 1/16 + 15/256 + 14/4096 + 16/32768 = 1) and an incomplete
// distance code.
TEST(InflateFastPaths, LongCodesThroughSubTables) {
    std::vector<uint8_t> lit(277, 0);
    std::vector<unsigned> literals, lengthSymbols;
    for (unsigned c = 'a'; c <= 'g'; ++c)
        lit[c] = 3, literals.push_back(c);
    lit[256] = 4;
    for (unsigned c = 'A'; c <= 'O'; ++c)
        lit[c] = 8, literals.push_back(c);
    for (unsigned c = 257; c <= 270; ++c)
        lit[c] = 12, lengthSymbols.push_back(c);
    for (unsigned c = '0'; c <= '9'; ++c)
        lit[c] = 15, literals.push_back(c);
    for (unsigned c = 271; c <= 276; ++c)
        lit[c] = 15, lengthSymbols.push_back(c);
    std::vector<uint8_t> dist(30, 0);
    for (unsigned d = 0; d < 30; ++d)
        dist[d] = d < 3 ? 2 : d < 10 ? 5 : d < 20 ? 9 : 15;

    Script s(DeflateVariant::kDeflate, lit, dist);
    std::mt19937 rng(15);
    for (int i = 0; i < 100; ++i)
        s.Literal(static_cast<uint8_t>(literals[rng() % literals.size()]));
    while (s.Size() < 200000) {
        for (int k = rng() % 6; k > 0; --k)
            s.Literal(static_cast<uint8_t>(literals[rng() % literals.size()]));
        const unsigned code = lengthSymbols[rng() % lengthSymbols.size()] - 257;
        const unsigned length = kLengthBase[code] + (rng() & ((1u << kLengthExtra[code]) - 1));
        unsigned d;
        do {
            d = rng() % 30;
        } while (kDistBase[d] > s.Size());
        const unsigned distance = std::min<unsigned>(kDistBase[d] + rng() % (1u << kDistExtra[d]),
                                                     static_cast<unsigned>(s.Size()));
        s.Match(length, distance);
    }
    ExpectDecodes(s.Finish(), s.Expected(), DeflateVariant::kDeflate);
}

// The source hands over the input in pieces of every size, down to one byte, so the input buffer
// holds anything from nothing to plenty whenever the fast loop is entered or left; short blocks
// make it leave often, with bits of the next block already buffered.
TEST(InflateFastPaths, InputInPiecesOfEverySize) {
    Script s(DeflateVariant::kDeflate, {}, {}, true);
    std::mt19937 rng(3);
    Prefix(s, 300);
    while (s.Size() < 20000) {
        for (int k = rng() % 5; k > 0; --k)
            s.Literal(static_cast<uint8_t>('a' + rng() % 26));
        s.Match(3 + rng() % 60, 1 + rng() % std::min<size_t>(s.Size(), 300));
        if (rng() % 4 == 0)
            s.Split();
    }
    const std::string stream = s.Finish();
    for (size_t piece = 1; piece <= 70; ++piece) {
        SCOPED_TRACE("piece " + std::to_string(piece));
        for (size_t chunk : {Inflater::kMaxChunk, size_t{333}, size_t{5}}) {
            const Decoded d = Decode(stream, DeflateVariant::kDeflate, chunk, piece);
            EXPECT_EQ(d.status, kDecodeOk);
            EXPECT_TRUE(d.finished);
            EXPECT_TRUE(d.out == s.Expected());
        }
    }
}

// A stream whose end-of-block code takes the last bit of the last byte decodes whole however
// it is fed; the same stream one byte short is cut, after a prefix of the output.
TEST(InflateFastPaths, StreamEndingOnTheLastBitOfTheInput) {
    for (size_t size : {size_t{0}, size_t{5}, size_t{30}, size_t{100}, size_t{5000}}) {
        SCOPED_TRACE(size);
        Script s(DeflateVariant::kDeflate);
        Prefix(s, 20);
        while (s.Size() < size) {
            s.Match(3 + s.Size() % 40, 1 + s.Size() % 20);
            s.Literal(static_cast<uint8_t>(s.Size()));
        }
        const std::string stream = s.Finish(true);
        for (size_t piece : {size_t{1}, size_t{9}, size_t{1} << 20}) {
            const Decoded d = Decode(stream, DeflateVariant::kDeflate, 100, piece);
            EXPECT_EQ(d.status, kDecodeOk);
            EXPECT_TRUE(d.finished);
            EXPECT_TRUE(d.out == s.Expected());
            const Decoded cut =
                Decode(stream.substr(0, stream.size() - 1), DeflateVariant::kDeflate, 100, piece);
            EXPECT_EQ(cut.status, kMsgUnexpectedEnd);
            EXPECT_FALSE(cut.finished);
            EXPECT_LT(cut.out.size(), s.Expected().size());
            EXPECT_EQ(s.Expected().compare(0, cut.out.size(), cut.out), 0);
        }
    }
}

// Random scripts of literals and matches for both variants, decoded with random chunk sizes.
TEST(InflateFastPaths, RandomScriptsDecodeToTheirOutput) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 12; ++round) {
        const DeflateVariant variant =
            round % 2 ? DeflateVariant::kDeflate64 : DeflateVariant::kDeflate;
        const size_t window = variant == DeflateVariant::kDeflate64 ? 65536 : 32768;
        const unsigned maxLength = variant == DeflateVariant::kDeflate64 ? 65538 : 258;
        Script s(variant);
        s.Literal(static_cast<uint8_t>(rng()));
        const size_t target = 1000 + rng() % 150000;
        while (s.Size() < target) {
            const unsigned kind = rng() % 10;
            if (kind < 4) {
                s.Literal(static_cast<uint8_t>(rng() % (kind < 2 ? 8 : 256)));
                continue;
            }
            const size_t reach = std::min(s.Size(), window);
            const unsigned distance = static_cast<unsigned>(
                kind < 7 ? 1 + rng() % std::min<size_t>(reach, 12) : 1 + rng() % reach);
            const unsigned length = kind == 9 ? 3 + rng() % (maxLength - 2) : 3 + rng() % 40;
            s.Match(length, distance);
        }
        const std::string stream = s.Finish(round % 3 == 0);
        SCOPED_TRACE(round);
        ExpectDecodes(stream, s.Expected(), variant, {Inflater::kMaxChunk, 1 + rng() % 5000});
    }
}

}  // namespace
