// Output names and the photo save that never replaces a file.
#include "ui/OutputFiles.h"

#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

TBitmap Picture()
{
    TBitmap bitmap;
    bitmap.SetSize(32, 24);
    for (int row = 0; row < 24; ++row)
        std::fill_n(bitmap.ScanLine(row), 32 * 4, uchar(0x80));
    return bitmap;
}

void Touch(const QString &name)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
}

struct NameCase {
    int n;
    const char *extension;
    const char *name;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.n << c.extension;
}

class FileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNames, AreImgTheNumberWithoutLeadingZerosAndTheExtension)
{
    EXPECT_EQ(OutputFileName("/p/Frametide", GetParam().n, GetParam().extension), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Numbers, FileNames,
                         ::testing::Values(NameCase{0, ".JPG", "/p/Frametide/IMG_0.JPG"},
                                           NameCase{0, ".avi", "/p/Frametide/IMG_0.avi"},
                                           NameCase{7, ".JPG", "/p/Frametide/IMG_7.JPG"},
                                           NameCase{99999, ".avi", "/p/Frametide/IMG_99999.avi"}));

TEST(OutputFolder, IsFrametideInsideThePicturesFolder)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    EXPECT_EQ(OutputFolder(), home.path() + "/Pictures/Frametide");
}

class FreeNames : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(FreeNames, TakenNamesAreDrawnAgainUntilTheLastFreeOneAndThenNone)
{
    for (int n = 0; n < kFileNumberRange; ++n)
        if (n != 4242)
            Touch(OutputFileName(dir.path(), n, ".JPG"));

    EXPECT_EQ(DrawFreeFileName(dir.path(), ".JPG"), OutputFileName(dir.path(), 4242, ".JPG"));
    // The other extension has every name free.
    EXPECT_TRUE(DrawFreeFileName(dir.path(), ".avi").has_value());

    Touch(OutputFileName(dir.path(), 4242, ".JPG"));
    EXPECT_EQ(DrawFreeFileName(dir.path(), ".JPG"), std::nullopt);
}

TEST_F(FreeNames, PhotoNeverReplacesAFileThatAppearedMeanwhile)
{
    const QString name = dir.path() + "/IMG_5.JPG";
    QFile older(name);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older file");
    older.close();

    EXPECT_FALSE(SavePictureAsNewFile(Picture(), name));
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), "older file");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST_F(FreeNames, FailedPhotoLeavesNothingBehind)
{
    const QString name = dir.path() + "/gone/IMG_5.JPG";
    try {
        SavePictureAsNewFile(Picture(), name);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot create file \"" + name + "\""))
            << e.Message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(FreeNames, PhotoLandsUnderItsNameAndNoTemporaryFileStays)
{
    const QString name = dir.path() + "/IMG_77.JPG";
    EXPECT_TRUE(SavePictureAsNewFile(Picture(), name));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"IMG_77.JPG"});
}

} // namespace
