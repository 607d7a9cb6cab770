// Saving the preview bitmap: the encoder follows the extension, and the two
// failures carry the framework's texts.
#include "platform/gui/Bitmap.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

TBitmap Picture(int width, int height)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int row = 0; row < height; ++row) {
        uchar *line = bitmap.ScanLine(row);
        for (int x = 0; x < width; ++x) {
            line[4 * x + 0] = 200; // blue
            line[4 * x + 1] = 40;  // green
            line[4 * x + 2] = 10;  // red
            line[4 * x + 3] = 255;
        }
    }
    return bitmap;
}

class SaveToFile : public ::testing::TestWithParam<const char *> {
protected:
    QTemporaryDir dir;
};

TEST_P(SaveToFile, ChoosesJpegByExtensionWhateverItsCase)
{
    const QString name = dir.path() + "/IMG_1." + GetParam();
    Picture(64, 48).SaveToFile(name);
    QImageReader reader(name);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage image = reader.read();
    ASSERT_EQ(image.size(), QSize(64, 48));
    const QRgb pixel = image.pixel(32, 24);
    EXPECT_NEAR(qBlue(pixel), 200, 8);
    EXPECT_NEAR(qRed(pixel), 10, 8);
}

INSTANTIATE_TEST_SUITE_P(Extensions, SaveToFile, ::testing::Values("JPG", "jpg", "Jpeg", "jpeg"));

TEST(SaveToFileErrors, UnknownExtensionIsSavingBitmapFailed)
{
    QTemporaryDir dir;
    try {
        Picture(8, 8).SaveToFile(dir.path() + "/IMG_1.xyz");
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Saving bitmap failed.");
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/IMG_1.xyz"));
}

TEST(SaveToFileErrors, UncreatableFileNamesThePathAndTheReason)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/missing/IMG_1.JPG";
    try {
        Picture(8, 8).SaveToFile(name);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + name + "\". No such file or directory");
    }
}

TEST(SaveToFileErrors, EmptyPictureStillCreatesTheFileAndRaisesNothing)
{
    QTemporaryDir dir;
    TBitmap empty;
    empty.SaveToFile(dir.path() + "/IMG_0.JPG");
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/IMG_0.JPG"));
}

} // namespace
