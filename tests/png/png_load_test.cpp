// Loading crafted files: the chunk loop, header checks, streamed image data and the errors.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/qt/png_draw.h"
#include "testkit/png_files.h"
#include "testkit/temp_folder.h"

namespace kelvara::png {
namespace {

using test::BuildPng;
using test::IhdrData;
using test::MakeSampleImage;
using test::PngChunk;
using test::PngSignature;
using test::ZlibCompress;

void Load(TPngGraphic& graphic, const std::string& file) {
    std::istringstream stream(file);
    graphic.LoadFromStream(stream);
}

std::vector<std::string> ChunkNames(const TPngGraphic& graphic) {
    std::vector<std::string> names;
    for (const auto& chunk : graphic.Chunks()) {
        names.push_back(chunk->Name());
    }
    return names;
}

// A grey 8-bit image whose rows are the given bytes, with filter type 0.
std::string GreyFile(uint32_t width, uint32_t height, const std::string& between = "") {
    const std::string raw(size_t(width + 1) * height, '\0');
    return PngSignature() + PngChunk("IHDR", IhdrData(width, height, 8, 0)) + between +
           PngChunk("IDAT", ZlibCompress(raw)) + PngChunk("IEND", "");
}

template <class Error>
void ExpectLoadFails(const std::string& file) {
    TPngGraphic graphic;
    EXPECT_THROW(Load(graphic, file), Error);
}

TEST(PngLoadTest, BadSignatureFailsBeforeAnyChunkIsRead) {
    TPngGraphic graphic;
    Load(graphic, GreyFile(2, 2));
    std::string file = GreyFile(2, 2);
    file[1] = 'p';
    EXPECT_THROW(Load(graphic, file), EPNGInvalidFileHeader);
    EXPECT_TRUE(graphic.Empty());
    EXPECT_EQ(graphic.Width(), 0u);
    ExpectLoadFails<EPNGInvalidFileHeader>("");
    ExpectLoadFails<EPNGInvalidFileHeader>(PngSignature().substr(0, 5));
}

TEST(PngLoadTest, ChunkOrderErrors) {
    const std::string header = PngChunk("IHDR", IhdrData(2, 2, 8, 0));
    const std::string data = PngChunk("IDAT", ZlibCompress(std::string(6, '\0')));
    ExpectLoadFails<EPNGIHDRNotFirst>(PngSignature() + PngChunk("gAMA", "\0\0\0\1") + header +
                                      data + PngChunk("IEND", ""));
    ExpectLoadFails<EPNGIHDRNotFirst>(PngSignature() + PngChunk("cHRM", std::string(32, 'c')) +
                                      header + data + PngChunk("IEND", ""));
    ExpectLoadFails<EPNGNoImageData>(PngSignature() + header + PngChunk("IEND", ""));
    ExpectLoadFails<EPngUnexpectedEnd>(PngSignature() + header + data);
    ExpectLoadFails<EPNGUnknownCriticalChunk>(PngSignature() + header + PngChunk("ABCD", "x") +
                                              data + PngChunk("IEND", ""));
    // Names are matched exactly: a lower-case "idat" is an unknown ancillary chunk.
    ExpectLoadFails<EPNGNoImageData>(PngSignature() + header + PngChunk("idat", "x") +
                                     PngChunk("IEND", ""));
}

TEST(PngLoadTest, ChromaticitiesAreSkippedUncheckedAndUnknownAncillaryChunksKept) {
    std::string chrm = PngChunk("cHRM", std::string(32, 'c'));
    chrm[chrm.size() - 1] ^= 0x55;  // a wrong check value goes unnoticed
    TPngGraphic graphic;
    Load(graphic, GreyFile(3, 2, chrm + PngChunk("abCd", "kept data")));
    EXPECT_EQ(ChunkNames(graphic), (std::vector<std::string>{"IHDR", "abCd", "IDAT", "IEND"}));
    EXPECT_EQ(std::string(graphic.Chunks()[1]->Data().begin(), graphic.Chunks()[1]->Data().end()),
              "kept data");

    std::string badAncillary = PngChunk("abCd", "kept data");
    badAncillary[badAncillary.size() - 1] ^= 1;
    ExpectLoadFails<EPngInvalidCRC>(GreyFile(3, 2, badAncillary));
}

TEST(PngLoadTest, HeaderChecks) {
    const auto withHeader = [](const std::string& ihdr) {
        return PngSignature() + PngChunk("IHDR", ihdr) +
               PngChunk("IDAT", ZlibCompress(std::string(4, '\0'))) + PngChunk("IEND", "");
    };
    ExpectLoadFails<EPngInvalidIHDR>(withHeader(IhdrData(1, 1, 8, 0).substr(0, 12)));
    ExpectLoadFails<EPNGSizeExceeds>(withHeader(IhdrData(65536, 1, 8, 0)));
    ExpectLoadFails<EPNGSizeExceeds>(withHeader(IhdrData(1, 0x80000000u, 8, 0)));
    ExpectLoadFails<EPNGUnknownCompression>(withHeader(IhdrData(1, 1, 8, 0, 0, 1)));
    ExpectLoadFails<EPNGUnknownInterlace>(withHeader(IhdrData(1, 1, 8, 0, 2)));
    // Allowed by the size check but far beyond what the stores may take.
    ExpectLoadFails<EPNGOutMemory>(withHeader(IhdrData(65535, 65535, 8, 6)));

    TPngGraphic wide;
    Load(wide, GreyFile(65535, 1));
    EXPECT_EQ(wide.Width(), 65535u);
    EXPECT_EQ(wide.Height(), 1u);
}

TEST(PngLoadTest, ImageDataMustBeConsecutive) {
    const auto image = MakeSampleImage(9, 7, 8, 2, 3);
    const std::string compressed = ZlibCompress(test::FilteredImageData(image, false));
    const std::string head = PngSignature() + PngChunk("IHDR", IhdrData(9, 7, 8, 2));
    const std::string first = PngChunk("IDAT", compressed.substr(0, 20));
    const std::string rest = PngChunk("IDAT", compressed.substr(20));
    ExpectLoadFails<EPNGMissingMultipleIDAT>(head + first + PngChunk("tEXt", "a\0b") + rest +
                                             PngChunk("IEND", ""));

    // Split into many chunks, some empty, the data decodes the same.
    std::string split = head;
    for (size_t at = 0; at < compressed.size(); at += 3) {
        split += PngChunk("IDAT", compressed.substr(at, 3)) + PngChunk("IDAT", "");
    }
    split += PngChunk("IEND", "");
    TPngGraphic graphic;
    Load(graphic, split);
    EXPECT_EQ(test::ReferenceOverWhite(split).pixels,
              test::ReferenceOverWhite(head + PngChunk("IDAT", compressed) + PngChunk("IEND", ""))
                  .pixels);
    const QImage drawn = RenderPngOverWhite(graphic);
    EXPECT_EQ(drawn.pixel(8, 6) & 0xFFFFFF, test::ReferenceOverWhite(split).pixels.back());

    // A later run of image data after other chunks is ignored.
    Load(graphic, head + PngChunk("IDAT", compressed) + PngChunk("tEXt", "a\0b") +
                      PngChunk("IDAT", "garbage") + PngChunk("IEND", ""));
    EXPECT_EQ(ChunkNames(graphic), (std::vector<std::string>{"IHDR", "IDAT", "tEXt", "IEND"}));
}

TEST(PngLoadTest, ImageDataErrors) {
    const std::string head = PngSignature() + PngChunk("IHDR", IhdrData(4, 4, 8, 0));
    const std::string end = PngChunk("IEND", "");
    try {
        TPngGraphic graphic;
        Load(graphic, head + PngChunk("IDAT", "\x78\x9c\xff\xff\xff\xff") + end);
        FAIL() << "garbage inflated";
    } catch (const EPNGZLIBError& error) {
        EXPECT_EQ(
            std::string(error.what())
                .rfind("Could not decompress the image because it contains invalid compressed "
                       "data.\r\n Description: ",
                       0),
            0u);
        EXPECT_GT(std::string(error.what()).size(), 90u);
    }
    // A check value is verified once the chunk's data is used up.
    std::string data = PngChunk("IDAT", ZlibCompress(std::string(20, '\0')));
    data[data.size() - 2] ^= 8;
    ExpectLoadFails<EPngInvalidCRC>(head + data + end);
}

TEST(PngLoadTest, ShortStreamLeavesTheRemainingRowsZero) {
    // Two of four rows of white, then the compressed stream ends.
    const std::string raw = std::string("\0\xff\xff", 3) + std::string("\0\xff\xff", 3);
    TPngGraphic graphic;
    Load(graphic, PngSignature() + PngChunk("IHDR", IhdrData(2, 4, 8, 0)) +
                      PngChunk("IDAT", ZlibCompress(raw)) + PngChunk("IEND", ""));
    const QImage drawn = RenderPngOverWhite(graphic);
    EXPECT_EQ(drawn.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(drawn.pixel(0, 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(drawn.pixel(1, 3) & 0xFFFFFF, 0u);
}

TEST(PngLoadTest, FilterTypesAboveFourLeaveTheScanlineAsItIs) {
    // Rows: filter 5 and 200 with raw bytes; then Up over the second row.
    const std::string raw = std::string("\x05\x10\x20\x30", 4) +
                            std::string("\xc8\x01\x02\x03", 4) + std::string("\x02\x01\x01\x01", 4);
    TPngGraphic graphic;
    Load(graphic, PngSignature() + PngChunk("IHDR", IhdrData(3, 3, 8, 0)) +
                      PngChunk("IDAT", ZlibCompress(raw)) + PngChunk("IEND", ""));
    const TPngImage& image = graphic.Header().Image();
    EXPECT_EQ(image.BitmapRow(0)[0], 0x10);
    EXPECT_EQ(image.BitmapRow(0)[2], 0x30);
    EXPECT_EQ(image.BitmapRow(1)[1], 0x02);
    EXPECT_EQ(image.BitmapRow(2)[2], 0x04);
}

TEST(PngLoadTest, InternalLayoutIsBottomUpWithPaddedRows) {
    TPngGraphic graphic;
    auto image = MakeSampleImage(5, 3, 16, 6, 11);
    Load(graphic, BuildPng(image, false));
    const TPngImage& stores = graphic.Header().Image();
    EXPECT_EQ(stores.bitmapBits, 24);
    EXPECT_EQ(stores.rowBytes, 16u);  // 15 bytes padded to 4
    EXPECT_EQ(stores.bitmap.size(), 48u);
    EXPECT_EQ(stores.lowBytes.size(), 48u);
    EXPECT_EQ(stores.alpha.size(), 15u);
    // Image row 0 is the last row in memory; blue first, then green and red.
    EXPECT_EQ(stores.bitmap[32], image.At(0, 0, 2) >> 8);
    EXPECT_EQ(stores.bitmap[34], image.At(0, 0, 0) >> 8);
    EXPECT_EQ(stores.lowBytes[32 + 3], image.At(1, 0, 2) & 0xFF);
    EXPECT_EQ(stores.alpha[5 + 4], image.At(4, 1, 3) >> 8);

    const auto grey2 = MakeSampleImage(3, 1, 2, 0, 5);
    Load(graphic, BuildPng(grey2, false));
    EXPECT_EQ(graphic.Header().Image().bitmapBits, 4);
    EXPECT_EQ(graphic.Header().Image().IndexAt(2, 0), grey2.At(2, 0, 0) * 5u);
}

TEST(PngLoadTest, PaletteAndTransparencyLimits) {
    const std::string header = PngChunk("IHDR", IhdrData(1, 1, 8, 3));
    const std::string rest =
        PngChunk("IDAT", ZlibCompress(std::string(2, '\0'))) + PngChunk("IEND", "");
    ExpectLoadFails<EPNGInvalidPalette>(PngSignature() + header + PngChunk("PLTE", "abcd") + rest);
    ExpectLoadFails<EPNGInvalidPalette>(PngSignature() + header +
                                        PngChunk("PLTE", std::string(257 * 3, 'a')) + rest);
    ExpectLoadFails<EPNGInvalidPalette>(PngSignature() + header + PngChunk("PLTE", "abc") +
                                        PngChunk("tRNS", std::string(257, 'a')) + rest);

    TPngGraphic graphic;
    Load(graphic, PngSignature() + header + PngChunk("PLTE", "abc") + rest);
    EXPECT_EQ(graphic.PaletteEntry(0), (TPaletteEntry{'a', 'b', 'c'}));
    EXPECT_THROW(graphic.PaletteEntry(256), EPngError);
}

TEST(PngLoadTest, GammaCorrectsLaterDataAndResetsOnReload) {
    TPngGraphic graphic;
    const std::string white = std::string("\0\x80", 2);
    const auto file = [&](const std::string& before) {
        return PngSignature() + PngChunk("IHDR", IhdrData(1, 1, 8, 2)) + before +
               PngChunk("IDAT", ZlibCompress(std::string("\0\x80\x40\x00", 4))) +
               PngChunk("IEND", "");
    };
    Load(graphic, file(PngChunk("gAMA", std::string("\0\x01\x86\xa0", 4))));  // 1.0
    const auto expected = test::ReferenceGamma(100000);
    EXPECT_EQ(graphic.GammaTable()[0x80], expected[0x80]);
    EXPECT_EQ(graphic.InverseGammaTable()[expected[0x80]], 0x80);
    const TPngImage& image = graphic.Header().Image();
    EXPECT_EQ(image.BitmapRow(0)[2], expected[0x80]);
    EXPECT_EQ(image.BitmapRow(0)[1], expected[0x40]);

    Load(graphic, file(""));
    EXPECT_EQ(graphic.GammaTable()[0x80], 0x80);
    EXPECT_EQ(graphic.Header().Image().BitmapRow(0)[2], 0x80);
}

TEST(PngLoadTest, TextTimeAndPixelSizeChunks) {
    const std::string text = std::string("Title\0Kelvara icon", 18);
    const std::string deflated = ZlibCompress("long comment text");
    const std::string ztxt = std::string("Comment\0\0", 9) + deflated;
    const std::string time = std::string("\x07\xea\x0c\x08\x01\x02\x03", 7);
    const std::string phys = std::string("\0\0\x0b\x13\0\0\x0b\x13\x01", 9);
    TPngGraphic graphic;
    Load(graphic, GreyFile(1, 1,
                           PngChunk("tEXt", text) + PngChunk("zTXt", ztxt) +
                               PngChunk("tIME", time) + PngChunk("pHYs", phys)));
    const auto* plain = graphic.FindChunk<TChunktEXt>();
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Keyword(), "Title");
    EXPECT_EQ(plain->Text(), "Kelvara icon");
    const auto* compressed = graphic.FindChunk<TChunkzTXt>();
    ASSERT_NE(compressed, nullptr);
    EXPECT_EQ(compressed->Keyword(), "Comment");
    EXPECT_EQ(compressed->Text(), "long comment text");
    const auto* stamp = graphic.FindChunk<TChunktIME>();
    ASSERT_NE(stamp, nullptr);
    EXPECT_EQ(stamp->Year(), 2026);
    EXPECT_EQ(stamp->Month(), 12);
    EXPECT_EQ(stamp->Second(), 3);
    EXPECT_EQ(graphic.FindChunk<TChunkpHYs>()->PixelsPerUnitX(), 2835u);

    // A damaged compressed text does not stop the image.
    Load(graphic, GreyFile(1, 1, PngChunk("zTXt", std::string("k\0\0\x78\x9c\xff", 6))));
    EXPECT_EQ(graphic.FindChunk<TChunkzTXt>()->Text(), "");
}

TEST(PngLoadTest, TruncatedFilesFailAndKeepTheChunksRead) {
    const std::string file =
        BuildPng(MakeSampleImage(7, 5, 8, 6, 2), true, PngChunk("tEXt", "a\0b"));
    for (size_t length = 0; length < file.size(); ++length) {
        TPngGraphic graphic;
        EXPECT_THROW(Load(graphic, file.substr(0, length)), EPngError) << length;
        if (length >= 33) {
            ASSERT_FALSE(graphic.Empty()) << length;
            EXPECT_EQ(graphic.Chunks()[0]->Name(), "IHDR");
        }
    }
    TPngGraphic whole;
    EXPECT_NO_THROW(Load(whole, file));
}

TEST(PngLoadTest, GarbageNeverCrashes) {
    const std::string file = BuildPng(
        MakeSampleImage(6, 6, 8, 3, 4), false,
        PngChunk("PLTE", std::string(48, '\x40')) + PngChunk("tRNS", std::string(3, '\0')));
    std::mt19937 random(1234);
    QImage canvas(8, 8, QImage::Format_RGB32);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = file;
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i) {
            damaged[8 + random() % (damaged.size() - 8)] = char(random());
        }
        TPngGraphic graphic;
        try {
            Load(graphic, damaged);
        } catch (const EPngError&) {
        }
        DrawPng(graphic, canvas, QRect(0, 0, 8, 8));
    }
}

TEST(PngLoadTest, LoadFromFileAndErrorHierarchy) {
    test::TempFolder folder;
    test::WriteFile(folder / "icon.png", GreyFile(4, 3));
    TPngGraphic graphic;
    graphic.LoadFromFile(folder / "icon.png");
    EXPECT_EQ(graphic.Width(), 4u);
    EXPECT_THROW(graphic.LoadFromFile(folder / "missing.png"), std::runtime_error);

    const TPngGraphic& other = graphic;
    TChunk plain(graphic, "abCd");
    EXPECT_THROW(plain.Assign(*other.Chunks()[0]), EPngError);
    EXPECT_THROW(TPngGraphic().Header(), EPNGHeaderNotPresent);

    // Zero sizes are not refused: nothing to decode, nothing to draw.
    Load(graphic, GreyFile(0, 3));
    EXPECT_EQ(graphic.Width(), 0u);
    EXPECT_FALSE(graphic.Empty());
    EXPECT_TRUE(RenderPngOverWhite(graphic).isNull());

    const EPNGIHDRNotFirst notFirst;
    const std::exception& general = notFirst;
    EXPECT_STREQ(general.what(),
                 "This \"Portable Network Graphics\" image is not supported or it might be "
                 "invalid.\r\n(IHDR chunk is not the first)");
    EXPECT_STREQ(EPNGOutMemory().what(),
                 "Some operation could not be performed because the system is out of resources. "
                 "Close some windows and try again.");
}

}  // namespace
}  // namespace kelvara::png
