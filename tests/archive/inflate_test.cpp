// The Deflate decoder on hand-made bit streams: block kinds, the Deflate64 differences, damaged
// and cut streams (each failure a status, never a byte that was not in the stream) and output
// split into chunks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/archive_messages.h"
#include "archive/inflate.h"
#include "inflate_decoding.h"
#include "testkit/deflate_stream_writer.h"

namespace {

using kelvara::archive::DecodeStatus;
using kelvara::archive::DeflateVariant;
using kelvara::archive::Inflater;
using kelvara::archive::kDecodeOk;
using kelvara::archive::kMsgBadBlock;
using kelvara::archive::kMsgUnexpectedEnd;
using kelvara::test::CanonicalCodes;
using BitWriter = kelvara::test::DeflateWriter;

using kelvara::test::Decode;
using kelvara::test::Decoded;

TEST(Inflate, StoredThenFixedBlockWithOverlappingMatch) {
    BitWriter w;
    w.StoredHeader(false, 3, 0xFFFC);
    for (char c : std::string("abc"))
        w.Byte(static_cast<uint8_t>(c));
    w.BlockHeader(true, 1);
    w.Literal('d');
    w.LengthCode(258);  // length 4
    w.Distance(3);      // distance 4
    w.LengthCode(257);  // length 3
    w.Distance(0);      // distance 1: repeats the last byte
    w.EndOfBlock();
    const Decoded d = Decode(w.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "abcdabcdddd");
    EXPECT_EQ(d.status, kDecodeOk);
    EXPECT_TRUE(d.finished);
}

TEST(Inflate, InvalidDataIsABadBlockAfterWhatCameBefore) {
    BitWriter badType;  // block type 3 is reserved
    badType.BlockHeader(true, 3);
    Decoded d = Decode(badType.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "");
    EXPECT_EQ(d.status, kMsgBadBlock);

    BitWriter badLength;  // stored length and its complement disagree
    badLength.StoredHeader(true, 5, 5);
    for (int i = 0; i < 5; ++i)
        badLength.Byte('s');
    d = Decode(badLength.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "");
    EXPECT_EQ(d.status, kMsgBadBlock);

    BitWriter tooFar;  // a distance reaching before the start of the output
    tooFar.BlockHeader(true, 1);
    tooFar.Literal('a');
    tooFar.LengthCode(257);
    tooFar.Distance(4);  // distance 5
    tooFar.EndOfBlock();
    d = Decode(tooFar.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "a");
    EXPECT_EQ(d.status, kMsgBadBlock);

    // Length symbols 286 and 287 have fixed codes but no meaning.
    BitWriter badSymbol;
    badSymbol.BlockHeader(true, 1);
    badSymbol.Literal('x');
    badSymbol.LengthCode(286);
    badSymbol.Distance(0);
    badSymbol.EndOfBlock();
    d = Decode(badSymbol.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "x");
    EXPECT_EQ(d.status, kMsgBadBlock);
}

// A dynamic block's own tables: a repeat with nothing to repeat, over-subscribed lengths, no
// end-of-block code, and a code that its incomplete table leaves unused.
TEST(Inflate, UnusableDynamicTablesAndUnusedCodesAreBadBlocks) {
    std::vector<uint8_t> lit(257, 0);
    lit['a'] = 1;
    lit[256] = 2;  // the code 11 stays unused
    const std::vector<uint8_t> dist = {1};

    BitWriter unused;
    unused.DynamicHeader(true, lit, dist);
    unused.Code(0, 1);  // 'a'
    unused.Code(3, 2);  // unused
    unused.Code(2, 2);
    Decoded d = Decode(unused.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, "a");
    EXPECT_EQ(d.status, kMsgBadBlock);

    std::vector<uint8_t> over = lit;
    over['b'] = 1;
    over['c'] = 1;  // three 1-bit codes
    BitWriter oversubscribed;
    oversubscribed.DynamicHeader(true, over, dist);
    oversubscribed.Bits(0, 16);
    EXPECT_EQ(Decode(oversubscribed.Bytes(), DeflateVariant::kDeflate).status, kMsgBadBlock);

    std::vector<uint8_t> noEnd = lit;
    noEnd[256] = 0;
    BitWriter withoutEnd;
    withoutEnd.DynamicHeader(true, noEnd, dist);
    withoutEnd.Bits(0, 16);
    EXPECT_EQ(Decode(withoutEnd.Bytes(), DeflateVariant::kDeflate).status, kMsgBadBlock);

    BitWriter repeatFirst;  // code-length symbol 16 before any length: the header by hand
    repeatFirst.BlockHeader(true, 2);
    repeatFirst.Bits(0, 5);
    repeatFirst.Bits(0, 5);
    repeatFirst.Bits(0, 4);  // four code-length lengths: 16, 17, 18, 0
    repeatFirst.Bits(1, 3);
    repeatFirst.Bits(0, 3);
    repeatFirst.Bits(0, 3);
    repeatFirst.Bits(1, 3);
    repeatFirst.Code(1, 1);  // 16 (code 1 after 0's code 0)
    repeatFirst.Bits(0, 2);
    repeatFirst.Bits(0, 16);
    EXPECT_EQ(Decode(repeatFirst.Bytes(), DeflateVariant::kDeflate).status, kMsgBadBlock);
}

// The stream's last bits are never padded out into symbols: the 1-bit code 0 stands for 'a',
// so zeros past the end would decode as more of them.
TEST(Inflate, CutStreamNeverDecodesPastItsLastBit) {
    std::vector<uint8_t> lit(258, 0);
    lit['a'] = 1;
    lit[256] = 2;
    lit[257] = 2;
    BitWriter w;
    w.DynamicHeader(true, lit, {1, 1});
    const size_t header = w.BitCount();
    do {
        w.Code(0, 1);
    } while (w.BitCount() % 8 != 0 || w.BitCount() < header + 100);
    const size_t encoded = w.BitCount() - header;
    const Decoded d = Decode(w.Bytes(), DeflateVariant::kDeflate);
    EXPECT_EQ(d.out, std::string(encoded, 'a'));
    EXPECT_EQ(d.status, kMsgUnexpectedEnd);
    EXPECT_FALSE(d.finished);

    // A fixed block cut after its last literal: its spare bits are too few for any symbol.
    BitWriter fixed;
    fixed.BlockHeader(true, 1);
    for (int i = 0; i < 1000; ++i)
        fixed.Literal('a' + i % 26);
    const Decoded f = Decode(fixed.Bytes(), DeflateVariant::kDeflate);
    ASSERT_EQ(f.out.size(), 1000u);
    EXPECT_EQ(f.out.substr(0, 26), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(f.status, kMsgUnexpectedEnd);
}

// Every cut of a stream with all three block kinds, long enough for the fast loop, gives a
// prefix of the whole output and reports the end; only the whole stream finishes cleanly.
TEST(Inflate, EveryCutGivesAPrefixAndUnexpectedEnd) {
    BitWriter w;
    w.StoredHeader(false, 40, 0xFFD7);
    for (int i = 0; i < 40; ++i)
        w.Byte(static_cast<uint8_t>('A' + i % 7));
    w.BlockHeader(false, 1);
    for (int i = 0; i < 200; ++i) {
        w.Literal('a' + i % 13);
        if (i % 5 == 4) {
            w.LengthCode(265 + i % 4);  // lengths 11..17 with one extra bit
            w.Bits(i & 1, 1);
            w.Distance(6);  // distance 9..12
            w.Bits(i & 3, 2);
        }
    }
    w.EndOfBlock();
    std::vector<uint8_t> lit(258, 0);
    lit['x'] = 1;
    lit[256] = 2;
    lit[257] = 2;
    w.DynamicHeader(true, lit, {1, 1});
    for (int i = 0; i < 30; ++i)
        w.Code(0, 1);
    w.Code(3, 2);  // length 3
    w.Code(1, 1);  // distance 2
    w.Code(2, 2);  // end of block
    const std::string stream = w.Bytes();
    const Decoded whole = Decode(stream, DeflateVariant::kDeflate);
    ASSERT_EQ(whole.status, kDecodeOk);
    ASSERT_TRUE(whole.finished);
    ASSERT_GT(whole.out.size(), 800u);
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        for (size_t chunk : {Inflater::kMaxChunk, size_t{100}}) {
            const Decoded d = Decode(stream.substr(0, cut), DeflateVariant::kDeflate, chunk);
            EXPECT_EQ(d.status, kMsgUnexpectedEnd);
            EXPECT_LT(d.out.size(), whole.out.size());
            EXPECT_EQ(whole.out.compare(0, d.out.size(), d.out), 0);
        }
    }
}

// Length code 285 and distance codes 30 and 31 differ between the two variants.
TEST(Inflate, Deflate64LengthAndDistanceCodes) {
    BitWriter w;
    w.BlockHeader(true, 1);
    w.Literal('z');
    w.LengthCode(285);
    w.Bits(997, 16);  // Deflate64: length 3 + 997
    w.Distance(0);
    w.EndOfBlock();
    EXPECT_EQ(Decode(w.Bytes(), DeflateVariant::kDeflate64).out, std::string(1001, 'z'));
    // The same match split over small chunks.
    const Decoded small = Decode(w.Bytes(), DeflateVariant::kDeflate64, 100);
    EXPECT_EQ(small.out, std::string(1001, 'z'));
    EXPECT_EQ(small.status, kDecodeOk);

    BitWriter plain;  // in Deflate, 285 is 258 with no extra bits
    plain.BlockHeader(true, 1);
    plain.Literal('z');
    plain.LengthCode(285);
    plain.Distance(0);
    plain.EndOfBlock();
    EXPECT_EQ(Decode(plain.Bytes(), DeflateVariant::kDeflate).out, std::string(259, 'z'));

    BitWriter farCode;  // distance code 30 only exists in Deflate64
    farCode.BlockHeader(true, 1);
    farCode.Literal('a');
    farCode.LengthCode(257);
    farCode.Distance(30);
    farCode.Bits(0, 14);
    farCode.EndOfBlock();
    EXPECT_EQ(Decode(farCode.Bytes(), DeflateVariant::kDeflate).status, kMsgBadBlock);
    // A valid code in Deflate64, but 32,769 back is before the start.
    const Decoded far64 = Decode(farCode.Bytes(), DeflateVariant::kDeflate64);
    EXPECT_EQ(far64.out, "a");
    EXPECT_EQ(far64.status, kMsgBadBlock);

    // A first symbol that is a match has nothing to copy from.
    BitWriter matchFirst;
    matchFirst.BlockHeader(true, 1);
    matchFirst.LengthCode(260);
    matchFirst.Distance(0);
    matchFirst.EndOfBlock();
    const Decoded first = Decode(matchFirst.Bytes(), DeflateVariant::kDeflate64);
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(first.status, kMsgBadBlock);
}

TEST(Inflate, ResetStartsAFreshStreamAfterEndOrFailure) {
    BitWriter w;
    w.BlockHeader(true, 1);
    w.Literal('q');
    w.EndOfBlock();
    std::string s = w.Bytes();
    size_t pos = 0;
    auto source = [&](uint8_t* buffer, size_t n) {
        n = std::min(n, s.size() - pos);
        std::memcpy(buffer, s.data() + pos, n);
        pos += n;
        return n;
    };
    Inflater inflater(DeflateVariant::kDeflate, source);
    ASSERT_EQ(inflater.Inflate(10), 1u);
    EXPECT_EQ(inflater.Inflate(10), 0u);
    EXPECT_TRUE(inflater.Finished());
    EXPECT_EQ(inflater.Status(), kDecodeOk);

    s = std::string(1, '\x07');  // block type 3
    pos = 0;
    inflater.Reset(source);
    EXPECT_EQ(inflater.Inflate(10), 0u);
    EXPECT_EQ(inflater.Status(), kMsgBadBlock);

    s = w.Bytes();
    pos = 0;
    inflater.Reset(source);
    ASSERT_EQ(inflater.Inflate(10), 1u);
    EXPECT_EQ(*inflater.Chunk(), 'q');
    EXPECT_EQ(inflater.Inflate(10), 0u);
    EXPECT_EQ(inflater.Status(), kDecodeOk);
}

}  // namespace
