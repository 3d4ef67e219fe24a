// Every conformance image decodes and, drawn over white, shows what the reference decoder
// computes; the corrupt variants fail with the right error.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/qt/png_draw.h"
#include "testkit/cli_runner.h"
#include "testkit/png_files.h"
#include "testkit/temp_folder.h"

namespace kelvara::png {
namespace {

using test::ExpectedPicture;
using test::ReadFile;
using test::TestData;

std::vector<std::string> SuiteFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(TestData("pngsuite"))) {
        if (entry.path().extension() == ".png") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

ExpectedPicture Picture(const QImage& image) {
    ExpectedPicture picture{uint32_t(image.width()), uint32_t(image.height()), {}};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            picture.pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
        }
    }
    return picture;
}

ExpectedPicture ReadPpm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    EXPECT_EQ(magic, "P6");
    EXPECT_EQ(maximum, 255);
    ExpectedPicture picture{uint32_t(width), uint32_t(height), {}};
    for (int i = 0; i < width * height; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        picture.pixels.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
    }
    EXPECT_TRUE(in.good());
    return picture;
}

void ExpectSamePicture(const ExpectedPicture& actual, const ExpectedPicture& expected) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    int mismatches = 0;
    for (size_t i = 0; i < expected.pixels.size() && mismatches < 5; ++i) {
        if (actual.pixels[i] != expected.pixels[i]) {
            ADD_FAILURE() << "pixel (" << i % expected.width << ", " << i / expected.width
                          << "): " << std::hex << actual.pixels[i] << " instead of "
                          << expected.pixels[i];
            ++mismatches;
        }
    }
}

class PngSuiteTest : public testing::TestWithParam<std::string> {};

TEST_P(PngSuiteTest, DrawsOverWhiteAsTheReferenceDecodes) {
    const std::string path = TestData("pngsuite/" + GetParam());
    TPngGraphic graphic;
    graphic.LoadFromFile(path);
    ExpectSamePicture(Picture(RenderPngOverWhite(graphic)),
                      test::ReferenceOverWhite(ReadFile(path)));
}

TEST_P(PngSuiteTest, CommandLineWritesTheSamePicture) {
    test::TempFolder folder;
    const std::string ppm = folder / "out.ppm";
    const platform::ProcessResult run =
        test::RunCli({"png", TestData("pngsuite/" + GetParam()), ppm});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectSamePicture(ReadPpm(ReadFile(ppm)),
                      test::ReferenceOverWhite(ReadFile(TestData("pngsuite/" + GetParam()))));
}

TEST(PngCommandLineTest, FailuresPrintTheErrorTextAndUsageErrorsExitWithTwo) {
    test::TempFolder folder;
    test::WriteFile(folder / "bad.png", "GIF89a and more");
    const platform::ProcessResult bad =
        test::RunCli({"png", folder / "bad.png", folder / "out.ppm"});
    ASSERT_TRUE(bad.started) << bad.err;
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find(EPNGInvalidFileHeader().what()), std::string::npos);

    const platform::ProcessResult usage = test::RunCli({"png", "only-one-argument"});
    ASSERT_TRUE(usage.started) << usage.err;
    EXPECT_EQ(usage.exitCode, 2);
}

INSTANTIATE_TEST_SUITE_P(Suite, PngSuiteTest, testing::ValuesIn(SuiteFiles()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Corrupt variants made from suite files the way the suite's own broken files are.
std::string Suite(const std::string& name) {
    return ReadFile(TestData("pngsuite/" + name));
}

std::string ReplaceHeaderByte(std::string file, size_t offset, char value) {
    std::string data = file.substr(16, 13);
    data[offset] = value;
    return file.replace(8, 25, test::PngChunk("IHDR", data));
}

template <class Error>
void ExpectFailure(const std::string& file) {
    TPngGraphic graphic;
    std::istringstream stream(file);
    EXPECT_THROW(graphic.LoadFromStream(stream), Error);
}

TEST(PngSuiteCorruptTest, DamagedSignaturesFailAsInvalidHeader) {
    const std::string good = Suite("basn0g01.png");
    for (size_t i = 0; i < 8; ++i) {
        std::string bad = good;
        bad[i] = char(bad[i] ^ 0x20);
        ExpectFailure<EPNGInvalidFileHeader>(bad);
    }
    // Line-end conversions in transit.
    std::string crlf = good;
    ExpectFailure<EPNGInvalidFileHeader>(crlf.replace(6, 1, "\r\n"));
    std::string lf = good;
    ExpectFailure<EPNGInvalidFileHeader>(lf.replace(4, 2, "\n"));
}

TEST(PngSuiteCorruptTest, ColourTypesAndDepthsOutsideTheStandardFailAsInvalidHeader) {
    ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn0g08.png"), 9, 1));
    ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn2c08.png"), 9, 9));
    ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn2c08.png"), 9, 5));
    for (char depth : {0, 3, 4, 99}) {
        ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn2c08.png"), 8, depth));
    }
    ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn3p08.png"), 8, 16));
    ExpectFailure<EPngInvalidIHDR>(ReplaceHeaderByte(Suite("basn4a08.png"), 8, 4));
}

TEST(PngSuiteCorruptTest, ChecksumErrorsFailAsInvalidCrc) {
    std::string header = Suite("basn0g08.png");
    header[29] = char(header[29] ^ 1);  // IHDR check value
    ExpectFailure<EPngInvalidCRC>(header);

    // The image data inflates cleanly; only its check value is wrong.
    std::string data = Suite("basn0g01.png");
    const size_t iend = data.find("IEND") - 4;
    data[iend - 1] = char(data[iend - 1] ^ 1);
    ExpectFailure<EPngInvalidCRC>(data);
}

TEST(PngSuiteCorruptTest, MissingImageDataFailsAsNoImageData) {
    std::string file = Suite("basn0g01.png");
    const size_t idat = file.find("IDAT") - 4;
    const size_t iend = file.find("IEND") - 4;
    ExpectFailure<EPNGNoImageData>(file.erase(idat, iend - idat));
}

}  // namespace
}  // namespace kelvara::png
