// The picture system: formats by extension, and a failed load keeping the previous graphic.
#include <gtest/gtest.h>

#include "png/png_errors.h"
#include "png/qt/png_draw_picture.h"
#include "testkit/png_files.h"
#include "testkit/temp_folder.h"

namespace kelvara::png {
namespace {

TEST(PngPictureTest, PngIsRegisteredCaseInsensitively) {
    const TFileFormat* format = TFileFormats::Instance().Find("png");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->extension, "PNG");
    EXPECT_EQ(format->description, "Portable Network Graphics");
    EXPECT_NE(TFileFormats::Instance().Find("Png"), nullptr);
    EXPECT_EQ(TFileFormats::Instance().Find("bmp"), nullptr);
}

TEST(PngPictureTest, LoadsByExtensionAndKeepsThePreviousGraphicOnFailure) {
    test::TempFolder folder;
    test::WriteFile(folder / "ICON.PNG",
                    test::BuildPng(test::MakeSampleImage(3, 2, 8, 2, 1), false));
    test::WriteFile(folder / "broken.png", "not a picture");
    test::WriteFile(folder / "image.bmp", "BM");

    TPicture picture;
    picture.LoadFromFile(folder / "ICON.PNG");
    ASSERT_NE(picture.Graphic(), nullptr);
    const TGraphic* loaded = picture.Graphic();
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);

    EXPECT_THROW(picture.LoadFromFile(folder / "broken.png"), EPNGInvalidFileHeader);
    EXPECT_EQ(picture.Graphic(), loaded);
    try {
        picture.LoadFromFile(folder / "image.bmp");
        FAIL() << "unknown extension accepted";
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Unknown picture file extension (.bmp)");
    }
    EXPECT_THROW(picture.LoadFromFile(folder / "noextension"), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 3);
}

TEST(PngPictureTest, UnregisteredFormatsAreUnknown) {
    TFileFormats formats;
    formats.Register("PNG", "Portable Network Graphics", [] { return nullptr; });
    EXPECT_NE(formats.Find("png"), nullptr);
    formats.Unregister("png");
    EXPECT_EQ(formats.Find("PNG"), nullptr);
    EXPECT_TRUE(formats.Formats().empty());
}

}  // namespace
}  // namespace kelvara::png
