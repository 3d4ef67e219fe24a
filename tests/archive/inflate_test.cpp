// The Deflate decoder on hand-made bit streams: block kinds, the Deflate64 differences, damaged
// streams and output split into chunks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/inflate.h"
#include "testkit/bit_writer.h"

namespace {

using kelvara::archive::DeflateVariant;
using kelvara::archive::Inflater;
using kelvara::test::BitWriter;

// Decodes the whole stream in chunks of chunkSize; last gets the final result code.
std::string Decode(const std::string& stream, DeflateVariant variant, long* last = nullptr,
                   size_t chunkSize = Inflater::kMaxChunk) {
    size_t pos = 0;
    Inflater inflater(variant, [&](uint8_t* buffer, size_t n) {
        n = std::min(n, stream.size() - pos);
        std::memcpy(buffer, stream.data() + pos, n);
        pos += n;
        return n;
    });
    std::string out;
    long r;
    while ((r = inflater.Inflate(chunkSize)) > 0) {
        EXPECT_LE(static_cast<size_t>(r), chunkSize);
        out.append(reinterpret_cast<const char*>(inflater.Chunk()), static_cast<size_t>(r));
        if (out.size() > (1u << 24))
            break;
    }
    if (last)
        *last = r;
    return out;
}

TEST(Inflate, StoredThenFixedBlockWithOverlappingMatch) {
    BitWriter w;
    w.Bits(0, 1);  // not final, stored
    w.Bits(0, 2);
    w.AlignToByte();
    w.Bits(3, 16);
    w.Bits(0xFFFC, 16);
    for (char c : std::string("abc"))
        w.Byte(static_cast<uint8_t>(c));
    w.Bits(1, 1);  // final, fixed codes
    w.Bits(1, 2);
    w.Literal('d');
    w.LengthCode(258);  // length 4
    w.Code(3, 5);       // distance 4
    w.LengthCode(257);  // length 3
    w.Code(0, 5);       // distance 1: repeats the last byte
    w.EndOfBlock();
    long last = 99;
    EXPECT_EQ(Decode(w.Bytes(), DeflateVariant::kDeflate, &last), "abcdabcdddd");
    EXPECT_EQ(last, Inflater::kEndOfData);
}

TEST(Inflate, DamagedStreamsEndWithAnError) {
    BitWriter badType;
    badType.Bits(1, 1);
    badType.Bits(3, 2);
    long last = 0;
    EXPECT_EQ(Decode(badType.Bytes(), DeflateVariant::kDeflate, &last), "");
    EXPECT_EQ(last, Inflater::kDataError);

    BitWriter tooFar;  // a distance reaching before the start of the output
    tooFar.Bits(1, 1);
    tooFar.Bits(1, 2);
    tooFar.Literal('a');
    tooFar.LengthCode(257);
    tooFar.Code(4, 5);  // distance 5
    EXPECT_EQ(Decode(tooFar.Bytes(), DeflateVariant::kDeflate, &last), "a");
    EXPECT_EQ(last, Inflater::kDataError);

    BitWriter badLength;  // stored length and its complement disagree
    badLength.Bits(1, 1);
    badLength.Bits(0, 2);
    badLength.AlignToByte();
    badLength.Bits(5, 16);
    badLength.Bits(5, 16);
    Decode(badLength.Bytes(), DeflateVariant::kDeflate, &last);
    EXPECT_EQ(last, Inflater::kDataError);

    // A block that never ends, cut off: whatever was decoded comes out, then the stream stops.
    BitWriter cut;
    cut.Bits(1, 1);
    cut.Bits(1, 2);
    for (int i = 0; i < 1000; ++i)
        cut.Literal('a' + i % 26);
    const std::string out = Decode(cut.Bytes(), DeflateVariant::kDeflate, &last);
    EXPECT_GE(out.size(), 990u);
    EXPECT_LE(out.size(), 1010u);
    EXPECT_EQ(out.substr(0, 26), "abcdefghijklmnopqrstuvwxyz");
}

// Length code 285 and distance codes 30 and 31 differ between the two variants.
TEST(Inflate, Deflate64LengthAndDistanceCodes) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    w.Literal('z');
    w.LengthCode(285);
    w.Bits(997, 16);  // Deflate64: length 3 + 997
    w.Code(0, 5);
    w.EndOfBlock();
    long last = 0;
    EXPECT_EQ(Decode(w.Bytes(), DeflateVariant::kDeflate64, &last), std::string(1001, 'z'));
    EXPECT_EQ(last, Inflater::kEndOfData);
    // The same match split over small chunks.
    EXPECT_EQ(Decode(w.Bytes(), DeflateVariant::kDeflate64, &last, 100), std::string(1001, 'z'));

    BitWriter plain;  // in Deflate, 285 is 258 with no extra bits
    plain.Bits(1, 1);
    plain.Bits(1, 2);
    plain.Literal('z');
    plain.LengthCode(285);
    plain.Code(0, 5);
    plain.EndOfBlock();
    EXPECT_EQ(Decode(plain.Bytes(), DeflateVariant::kDeflate, &last), std::string(259, 'z'));

    BitWriter farCode;  // distance code 30 only exists in Deflate64
    farCode.Bits(1, 1);
    farCode.Bits(1, 2);
    farCode.Literal('a');
    farCode.LengthCode(257);
    farCode.Code(30, 5);
    farCode.Bits(0, 14);
    Decode(farCode.Bytes(), DeflateVariant::kDeflate, &last);
    EXPECT_EQ(last, Inflater::kDataError);
    Decode(farCode.Bytes(), DeflateVariant::kDeflate64, &last);
    EXPECT_EQ(last, Inflater::kDataError);  // valid code, but 32,769 back is before the start
}

TEST(Inflate, ResetStartsAFreshStream) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    w.Literal('q');
    w.EndOfBlock();
    const std::string s = w.Bytes();
    size_t pos = 0;
    auto source = [&](uint8_t* buffer, size_t n) {
        n = std::min(n, s.size() - pos);
        std::memcpy(buffer, s.data() + pos, n);
        pos += n;
        return n;
    };
    Inflater inflater(DeflateVariant::kDeflate, source);
    ASSERT_EQ(inflater.Inflate(10), 1);
    EXPECT_EQ(inflater.Inflate(10), Inflater::kEndOfData);
    pos = 0;
    inflater.Reset(source);
    ASSERT_EQ(inflater.Inflate(10), 1);
    EXPECT_EQ(*inflater.Chunk(), 'q');
}

}  // namespace
