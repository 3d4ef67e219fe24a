// Entries whose compressed data is invalid or cut short: each failure is reported once for its
// entry, what was decoded stays on disk and counted, and the entry's verdict fails, whatever
// its CRC field says.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "legacy_test_support.h"
#include "testkit/deflate_stream_writer.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

using namespace kelvara::archive;
namespace fs = std::filesystem;

// An entry of these compressed bytes that claims to decode to `size` bytes with this CRC.
ZipEntrySpec Compressed(const std::string& name, uint16_t method, const std::string& data,
                        uint32_t size, uint32_t crc) {
    ZipEntrySpec e;
    e.name = name;
    e.method = method;
    e.data = data;
    e.sizeFromData = false;
    e.uncompressedSize = size;
    e.computeCrc = false;
    e.crc = crc;
    return e;
}

class DecoderFailures : public testing::Test {
  protected:
    int Extract(const std::vector<ZipEntrySpec>& entries) {
        Prepare(zip_, dir_, BuildZipOf(entries));
        Record(zip_, rec_);
        return zip_.Extract();
    }
    std::string Out(const std::string& name) const { return dir_ / ("out/" + name); }
    // The only report about this entry, 0 when there is none (-1 for several).
    int ReportFor(const std::string& name) const {
        int id = 0;
        for (const auto& [errorId, file] : rec_.errors) {
            if (file == Out(name))
                id = id == 0 ? errorId : -1;
        }
        return id;
    }
    bool Passed(const std::string& name) const {
        for (const auto& [path, passed] : rec_.ends) {
            if (path == Out(name))
                return passed;
        }
        ADD_FAILURE() << "no verdict for " << name;
        return true;
    }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

// The first match of a Deflate64 stream reaches back before the first output byte. The CRC
// field is 0, which an empty file matches: only the decoder's status can fail the verdict.
TEST_F(DecoderFailures, Deflate64MatchBeforeTheFirstByteIsABadBlock) {
    DeflateWriter w;
    w.BlockHeader(true, 1);
    w.LengthCode(260);  // length 6
    w.Distance(0);      // distance 1
    w.EndOfBlock();
    EXPECT_EQ(Extract({Compressed("far.bin", kMethodDeflate64, w.Bytes(), 6, 0)}), 1);
    EXPECT_EQ(ReportFor("far.bin"), kMsgBadBlock);
    EXPECT_EQ(fs::file_size(Out("far.bin")), 0u);
    EXPECT_FALSE(Passed("far.bin"));
}

TEST_F(DecoderFailures, InvalidDeflateDataIsABadBlockAfterWhatCameBefore) {
    DeflateWriter badCode;  // fixed length symbol 286 has a code but no meaning
    badCode.BlockHeader(true, 1);
    badCode.Literal('x');
    badCode.LengthCode(286);
    badCode.Distance(0);
    badCode.EndOfBlock();
    DeflateWriter badType;  // a stored block, then the reserved block type 3
    badType.StoredHeader(false, 2, 0xFFFD);
    badType.Byte('o');
    badType.Byte('k');
    badType.BlockHeader(true, 3);
    badType.Bits(0, 16);
    DeflateWriter badLength;  // stored length 4 with a complement that does not match
    badLength.StoredHeader(true, 4, 4);
    badLength.Bits(0x64636261, 32);
    EXPECT_EQ(Extract({Compressed("code.txt", kMethodDeflated, badCode.Bytes(), 5, 0),
                       Compressed("type.txt", kMethodDeflated, badType.Bytes(), 5, 0),
                       Compressed("length.txt", kMethodDeflate64, badLength.Bytes(), 4, 0)}),
              3);
    EXPECT_EQ(rec_.errors.size(), 3u);
    EXPECT_EQ(ReportFor("code.txt"), kMsgBadBlock);
    EXPECT_EQ(ReadFile(Out("code.txt")), "x");
    EXPECT_EQ(ReportFor("type.txt"), kMsgBadBlock);
    EXPECT_EQ(ReadFile(Out("type.txt")), "ok");
    EXPECT_EQ(ReportFor("length.txt"), kMsgBadBlock);
    EXPECT_EQ(ReadFile(Out("length.txt")), "");
    EXPECT_FALSE(Passed("code.txt"));
    EXPECT_FALSE(Passed("type.txt"));
    EXPECT_FALSE(Passed("length.txt"));
}

// A real Deflate entry cut in half: what the first half encodes reaches the file, and not one
// byte more (no padding decoded as data); then the end is reported.
TEST_F(DecoderFailures, CutDeflateEntryKeepsATruePrefixAndReportsTheEnd) {
    const auto entries = LocalEntries(ReadFile(TestData("zip/info_deflate1.zip")));
    ASSERT_EQ(entries.size(), 2u);
    const LocalEntry& text = entries[1];
    ASSERT_EQ(text.method, kMethodDeflated);
    const std::string original = ReadFile(TestData("zip/content/text.txt"));
    ASSERT_EQ(original.size(), text.uncompressedSize);

    std::vector<ZipEntrySpec> cut;
    for (size_t keep : {size_t{0}, size_t{1}, text.data.size() / 2, text.data.size() - 20}) {
        cut.push_back(Compressed("cut" + std::to_string(keep) + ".txt", kMethodDeflated,
                                 text.data.substr(0, keep),
                                 static_cast<uint32_t>(text.uncompressedSize), text.crc));
    }
    // A stream that ends cleanly, short of the declared size.
    DeflateWriter shortStream;
    shortStream.BlockHeader(true, 1);
    shortStream.Literal('a');
    shortStream.EndOfBlock();
    cut.push_back(Compressed("short.txt", kMethodDeflated, shortStream.Bytes(), 10, 0));

    EXPECT_EQ(Extract(cut), 5);
    EXPECT_EQ(rec_.errors.size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        const std::string& name = cut[i].name;
        SCOPED_TRACE(name);
        EXPECT_EQ(ReportFor(name), kMsgUnexpectedEnd);
        EXPECT_FALSE(Passed(name));
        const std::string out = ReadFile(Out(name));
        EXPECT_LT(out.size(), original.size());
        EXPECT_TRUE(original.compare(0, out.size(), out) == 0);
    }
    EXPECT_GT(fs::file_size(Out(cut[2].name)), original.size() / 4);
    EXPECT_EQ(ReportFor("short.txt"), kMsgUnexpectedEnd);
    EXPECT_EQ(ReadFile(Out("short.txt")), "a");
}

TEST_F(DecoderFailures, StoredDataEndingEarlyIsReported) {
    ZipEntrySpec whole;
    whole.name = "whole.txt";
    whole.data = "complete";
    EXPECT_EQ(Extract({Compressed("short.txt", kMethodStored, "only this", 100, 0), whole}), 2);
    EXPECT_EQ(ReportFor("short.txt"), kMsgUnexpectedEnd);
    EXPECT_EQ(ReadFile(Out("short.txt")), "only this");
    EXPECT_FALSE(Passed("short.txt"));
    EXPECT_EQ(ReportFor("whole.txt"), 0);
    EXPECT_TRUE(Passed("whole.txt"));
}

TEST_F(DecoderFailures, LegacyStreamsEndingEarlyAreReported) {
    const LocalEntry shrunk = LocalEntries(ReadFile(TestData("zip/legacy/SHRUNK.ZIP")))[0];
    const LocalEntry imploded =
        LocalEntries(ReadFile(TestData("zip/legacy/lorem-ipsum-implode.zip")))[0];
    std::string text;
    for (int i = 0; text.size() < 20000; ++i)
        text += "widget " + std::to_string(i % 97) + " package\n";
    const std::string reduced = Reduce(text, 3);

    auto half = [](const LocalEntry& e, const std::string& name) {
        ZipEntrySpec spec = Compressed(name, e.method, e.data.substr(0, e.data.size() / 2),
                                       static_cast<uint32_t>(e.uncompressedSize), e.crc);
        spec.flags = e.flags;  // the implode variant
        return spec;
    };
    EXPECT_EQ(Extract({half(shrunk, "shrunk.txt"), half(imploded, "imploded.txt"),
                       Compressed("reduced.txt", kMethodReducedFactor3,
                                  reduced.substr(0, reduced.size() / 2),
                                  static_cast<uint32_t>(text.size()), Crc32Of(text))}),
              3);
    EXPECT_EQ(rec_.errors.size(), 3u);
    const std::pair<const char*, std::string> full[] = {
        {"shrunk.txt", DecodeEntry(shrunk).output},
        {"imploded.txt", DecodeEntry(imploded).output},
        {"reduced.txt", text}};
    for (const auto& [name, expected] : full) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReportFor(name), kMsgUnexpectedEnd);
        EXPECT_FALSE(Passed(name));
        const std::string out = ReadFile(Out(name));
        EXPECT_GT(out.size(), 0u);
        EXPECT_LT(out.size(), expected.size());
        EXPECT_TRUE(expected.compare(0, out.size(), out) == 0);
    }
}

// The legacy decoders' own messages arrive as their status and are reported for the entry.
TEST_F(DecoderFailures, LegacyDecoderErrorsAreReportedForTheirEntry) {
    BitWriter badControl;  // shrink: control code 256 followed by 3
    for (uint32_t code : {uint32_t{'x'}, uint32_t{'y'}, kShrinkControl, uint32_t{3}})
        badControl.Bits(code, 9);
    BitWriter cycle;  // shrink: codes defined through each other never reach a literal
    for (uint32_t code : {uint32_t{'a'}, uint32_t{300}, uint32_t{258}})
        cycle.Bits(code, 9);
    for (int i = 0; i < 40; ++i)
        cycle.Bits('b', 9);
    for (uint32_t code : {uint32_t{258}, uint32_t{'c'}, uint32_t{300}})
        cycle.Bits(code, 9);
    BitWriter ambiguous;  // implode: 64 one-bit codes
    PutUniformTree(ambiguous, 64, 1);
    PutUniformTree(ambiguous, 64, 6);
    ambiguous.Bits(0xFFFF, 16);
    BitWriter followers;  // reduce: a follower set of 33 characters
    followers.Bits(33, 6);
    for (int i = 0; i < 33; ++i)
        followers.Bits('f', 8);

    EXPECT_EQ(Extract({Compressed("control.txt", kMethodShrunk, badControl.Bytes(), 10, 0),
                       Compressed("cycle.txt", kMethodShrunk, cycle.Bytes(), 100, 0),
                       Compressed("tree.txt", kMethodImploded, ambiguous.Bytes(), 10, 0),
                       Compressed("sets.txt", kMethodReducedFactor1, followers.Bytes(), 10, 0)}),
              4);
    EXPECT_EQ(rec_.errors.size(), 4u);
    EXPECT_EQ(ReportFor("control.txt"), kMsgBadBlock);
    EXPECT_EQ(ReadFile(Out("control.txt")), "xy");
    EXPECT_EQ(ReportFor("cycle.txt"), kMsgStackOverflow);
    EXPECT_GT(fs::file_size(Out("cycle.txt")), 40u);
    EXPECT_EQ(ReportFor("tree.txt"), kMsgAmbiguousTree);
    EXPECT_EQ(fs::file_size(Out("tree.txt")), 0u);
    EXPECT_EQ(ReportFor("sets.txt"), kMsgBadBlock);
    for (const char* name : {"control.txt", "cycle.txt", "tree.txt", "sets.txt"})
        EXPECT_FALSE(Passed(name)) << name;
}

}  // namespace
}  // namespace kelvara::test
