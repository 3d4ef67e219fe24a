// Drawing: every colour type and depth over white against the reference, the three modes on
// a coloured canvas, scaling and clipping.
#include <gtest/gtest.h>

#include <QPainter>

#include <sstream>

#include "png/png_graphic.h"
#include "png/png_render.h"
#include "png/qt/png_draw.h"
#include "testkit/png_files.h"

namespace kelvara::png {
namespace {

using test::BuildPng;
using test::MakeSampleImage;
using test::PngChunk;
using test::SampleImage;

void Load(TPngGraphic& graphic, const std::string& file) {
    std::istringstream stream(file);
    graphic.LoadFromStream(stream);
}

uint32_t Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

std::vector<uint32_t> Pixels(const QImage& image) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            pixels.push_back(Rgb(image, x, y));
        }
    }
    return pixels;
}

QImage Canvas(int width, int height, QRgb colour) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(colour);
    return canvas;
}

std::string Palette(int entries) {
    std::string plte;
    for (int i = 0; i < entries; ++i) {
        plte += char(i * 37) + std::string(1, char(255 - i * 11)) + char(i * 5);
    }
    return PngChunk("PLTE", plte);
}

struct Format {
    int colorType;
    int bitDepth;
};

class PngFormatTest : public testing::TestWithParam<Format> {};

TEST_P(PngFormatTest, PlainAndInterlacedDrawAsTheReferenceDecodes) {
    const Format format = GetParam();
    const std::string palette = format.colorType == 3 ? Palette(1 << format.bitDepth) : "";
    const std::string gamma = PngChunk("gAMA", std::string("\0\0\xb1\x8f", 4));  // 0.45455
    for (const auto& size : std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {13, 9}, {3, 17}}) {
        const SampleImage image = MakeSampleImage(size.first, size.second, format.bitDepth,
                                                  format.colorType, size.first * 7 + 1);
        for (bool interlaced : {false, true}) {
            const std::string file = BuildPng(image, interlaced, gamma + palette, 7);
            TPngGraphic graphic;
            Load(graphic, file);
            EXPECT_EQ(Pixels(RenderPngOverWhite(graphic)), test::ReferenceOverWhite(file).pixels)
                << size.first << "x" << size.second << (interlaced ? " interlaced" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PngFormatTest,
                         testing::Values(Format{0, 1}, Format{0, 2}, Format{0, 4}, Format{0, 8},
                                         Format{0, 16}, Format{2, 8}, Format{2, 16}, Format{3, 1},
                                         Format{3, 2}, Format{3, 4}, Format{3, 8}, Format{4, 8},
                                         Format{4, 16}, Format{6, 8}, Format{6, 16}),
                         [](const auto& info) {
                             return "type" + std::to_string(info.param.colorType) + "depth" +
                                    std::to_string(info.param.bitDepth);
                         });

// A 4 x 1 palette image showing entries 0..3 whose tRNS chunk holds `alpha`.
std::string PaletteRow(const std::string& alpha) {
    SampleImage image = MakeSampleImage(4, 1, 8, 3, 0);
    for (uint16_t i = 0; i < 4; ++i) {
        image.At(i, 0, 0) = i;
    }
    return BuildPng(image, false, Palette(4) + PngChunk("tRNS", alpha));
}

TEST(PngDrawTest, PaletteTransparencyModes) {
    TPngGraphic graphic;
    Load(graphic, BuildPng(MakeSampleImage(2, 2, 8, 3, 1), false, Palette(256)));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::None);

    Load(graphic, PaletteRow(std::string("\xff\x00\xff", 3)));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::Bit);
    QImage canvas = Canvas(4, 1, qRgb(1, 2, 3));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(Rgb(canvas, 1, 0), 0x010203u);  // entry 1 left out
    EXPECT_EQ(Rgb(canvas, 0, 0), uint32_t(graphic.PaletteEntry(0).green) << 8);

    Load(graphic, PaletteRow(std::string("\x00\x80", 2)));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::Partial);
    canvas = Canvas(4, 1, qRgb(10, 20, 30));
    DrawPng(graphic, canvas, canvas.rect());
    const TPaletteEntry entry = graphic.PaletteEntry(1);
    EXPECT_EQ(Rgb(canvas, 0, 0), 0x0A141Eu);
    EXPECT_EQ(qRed(canvas.pixel(1, 0)), (entry.red * 128 + 127 * 10 + 255) >> 8);
    EXPECT_EQ(qGreen(canvas.pixel(1, 0)), (entry.green * 128 + 127 * 20 + 255) >> 8);
    EXPECT_EQ(Rgb(canvas, 2, 0), uint32_t(graphic.PaletteEntry(2).red) << 16 |
                                     uint32_t(graphic.PaletteEntry(2).green) << 8 |
                                     graphic.PaletteEntry(2).blue);

    // A single half-transparent entry is blended, not drawn as a colour key.
    Load(graphic, PaletteRow(std::string("\xff\x80", 2)));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::Partial);
    EXPECT_FALSE(TransparentColour(graphic).has_value());
}

TEST(PngDrawTest, GreyAndColourKeys) {
    // 8-bit RGB: the key is the stored value; other pixels stay.
    SampleImage rgb = MakeSampleImage(2, 1, 8, 2, 0);
    rgb.samples = {10, 20, 30, 10, 20, 31};
    TPngGraphic graphic;
    Load(graphic, BuildPng(rgb, false, PngChunk("tRNS", std::string("\0\x0a\0\x14\0\x1e", 6))));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::Bit);
    QImage canvas = Canvas(2, 1, qRgb(200, 0, 0));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(Rgb(canvas, 0, 0), 0xC80000u);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0x0A141Fu);

    // 16-bit RGB: the bitmap holds the high bytes, so they make the key.
    SampleImage deep = MakeSampleImage(2, 1, 16, 2, 0);
    deep.samples = {0x1234, 0x5678, 0x9abc, 0x1299, 0x5600, 0x9a00};
    Load(graphic,
         BuildPng(deep, false, PngChunk("tRNS", std::string("\x12\x34\x56\x78\x9a\xbc", 6))));
    canvas = Canvas(2, 1, qRgb(0, 200, 0));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(Rgb(canvas, 0, 0), 0x00C800u);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0x00C800u);

    // 16-bit grey likewise; a grey image without tRNS is opaque.
    SampleImage grey = MakeSampleImage(2, 1, 16, 0, 0);
    grey.samples = {0x4000, 0x8000};
    Load(graphic, BuildPng(grey, false));
    EXPECT_EQ(graphic.TransparencyMode(), TPngTransparencyMode::None);
    Load(graphic, BuildPng(grey, false, PngChunk("tRNS", std::string("\x80\x00", 2))));
    canvas = Canvas(2, 1, qRgb(0, 0, 200));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(Rgb(canvas, 0, 0), 0x404040u);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0x0000C8u);
}

TEST(PngDrawTest, AlphaBlendsWithTheCanvas) {
    SampleImage rgba = MakeSampleImage(3, 1, 8, 6, 0);
    rgba.samples = {200, 100, 50, 128, 1, 2, 3, 0, 4, 5, 6, 255};
    TPngGraphic graphic;
    Load(graphic, BuildPng(rgba, false));
    QImage canvas = Canvas(3, 1, qRgb(10, 20, 30));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(Rgb(canvas, 0, 0), uint32_t((200 * 128 + 127 * 10 + 255) >> 8) << 16 |
                                     uint32_t((100 * 128 + 127 * 20 + 255) >> 8) << 8 |
                                     uint32_t((50 * 128 + 127 * 30 + 255) >> 8));
    EXPECT_EQ(Rgb(canvas, 1, 0), 0x0A141Eu);
    EXPECT_EQ(Rgb(canvas, 2, 0), 0x040506u);

    SampleImage greyAlpha = MakeSampleImage(1, 1, 16, 4, 0);
    greyAlpha.samples = {0x9911, 0x40ff};
    Load(graphic, BuildPng(greyAlpha, false));
    canvas = Canvas(1, 1, qRgb(0, 0, 0));
    DrawPng(graphic, canvas, canvas.rect());
    EXPECT_EQ(qBlue(canvas.pixel(0, 0)), (0x99 * 0x40 + 255) >> 8);
}

TEST(PngDrawTest, EmptyRectanglesDrawNothing) {
    TPngGraphic graphic;
    Load(graphic, BuildPng(MakeSampleImage(4, 4, 8, 6, 9), false));
    QImage canvas = Canvas(4, 4, qRgb(7, 7, 7));
    const QImage before = canvas;
    DrawPng(graphic, canvas, QRect(0, 0, 0, 4));
    DrawPng(graphic, canvas, QRect(1, 1, 3, 0));
    EXPECT_EQ(canvas, before);
    TPngGraphic empty;
    DrawPng(empty, canvas, canvas.rect());
    EXPECT_EQ(canvas, before);
    EXPECT_TRUE(RenderPngOverWhite(empty).isNull());
}

// The pixel buffer drawn without Qt and the QImage built on it: the same pixels, and the image
// keeps its buffer alive on its own and copies it before a change reaches a shared copy.
TEST(PngDrawTest, OverWhiteImageOwnsThePlainPixelBuffer) {
    TPngGraphic graphic;
    const std::string file = BuildPng(MakeSampleImage(5, 3, 8, 6, 4), true);
    Load(graphic, file);
    const TPixelImage plain = RenderPngPixelsOverWhite(graphic);
    ASSERT_EQ(plain.width, 5);
    ASSERT_EQ(plain.height, 3);
    std::vector<uint32_t> plainRgb;
    for (uint32_t pixel : plain.pixels) {
        EXPECT_EQ(pixel >> 24, 0xFFu);
        plainRgb.push_back(pixel & 0xFFFFFF);
    }
    EXPECT_EQ(plainRgb, test::ReferenceOverWhite(file).pixels);

    QImage image = RenderPngOverWhite(graphic);
    graphic.Clear();
    const QImage copy = image;
    image.setPixel(0, 0, qRgb(1, 2, 3));
    EXPECT_EQ(Rgb(image, 0, 0), 0x010203u);
    image = QImage();
    EXPECT_EQ(Pixels(copy), plainRgb);
    EXPECT_TRUE(RenderPngPixelsOverWhite(graphic).pixels.empty());
}

TEST(PngDrawTest, ScalingTruncatesAndClipsToTheCanvas) {
    SampleImage image = MakeSampleImage(2, 1, 8, 0, 0);
    image.samples = {0, 255};
    TPngGraphic graphic;
    Load(graphic, BuildPng(image, false));
    QImage canvas = Canvas(5, 2, qRgb(9, 9, 9));
    DrawPng(graphic, canvas, QRect(0, 0, 5, 2));
    // Source column trunc(x / 2.5): 0, 0, 0, 1, 1.
    const std::vector<uint32_t> stretched = {0, 0, 0, 0xFFFFFF, 0xFFFFFF};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(Rgb(canvas, x, 0), stretched[x]) << x;
        EXPECT_EQ(Rgb(canvas, x, 1), stretched[x]) << x;
    }
    // Partly outside: only the visible part changes, mapped as for the whole rectangle.
    canvas = Canvas(3, 1, qRgb(9, 9, 9));
    DrawPng(graphic, canvas, QRect(-2, 0, 4, 1));
    EXPECT_EQ(Rgb(canvas, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(canvas, 2, 0), 0x090909u);
    // A reversed rectangle is normalised.
    TPixelCanvas pixels{reinterpret_cast<uint32_t*>(canvas.bits()), 3, 1, 3};
    DrawPngPixels(graphic, pixels, {2, 1, 0, 0});
    EXPECT_EQ(Rgb(canvas, 0, 0), 0u);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0xFFFFFFu);
}

TEST(PngDrawTest, PainterAndOtherFormatsMatchTheExactPath) {
    TPngGraphic graphic;
    Load(graphic, BuildPng(MakeSampleImage(6, 5, 8, 6, 21), true));
    QImage exact = Canvas(8, 8, qRgb(30, 60, 90));
    DrawPng(graphic, exact, QRect(1, 2, 6, 5));

    QImage painted = Canvas(8, 8, qRgb(30, 60, 90));
    {
        QPainter painter(&painted);
        DrawPng(graphic, painter, QRect(1, 2, 6, 5));
    }
    QImage converted = Canvas(8, 8, qRgb(30, 60, 90)).convertToFormat(QImage::Format_RGB888);
    DrawPng(graphic, converted, QRect(1, 2, 6, 5));
    EXPECT_EQ(converted.format(), QImage::Format_RGB888);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(converted.pixel(x, y), exact.pixel(x, y));
            for (int shift : {0, 8, 16}) {
                EXPECT_NEAR(int(painted.pixel(x, y) >> shift & 255),
                            int(exact.pixel(x, y) >> shift & 255), 3);
            }
        }
    }
}

}  // namespace
}  // namespace kelvara::png
