// Directory test and creation with the Windows codes and texts the runtime reports.
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ErrnoCase {
    int posixErrno;
    int code;
    const char *text;
};

void PrintTo(const ErrnoCase &c, std::ostream *os)
{
    *os << "errno " << c.posixErrno;
}

class ErrnoMapping : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapping, GivesTheWindowsCodeAndText)
{
    const ErrnoCase &c = GetParam();
    EXPECT_EQ(WindowsErrorCode(c.posixErrno), c.code);
    EXPECT_EQ(InOutErrorText(c.code), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrnoMapping,
                         ::testing::Values(ErrnoCase{ENOENT, 2, "The specified file was not found"},
                                           ErrnoCase{EMFILE, 4, "Too many open files"},
                                           ErrnoCase{EACCES, 5, "File access denied"},
                                           ErrnoCase{EPERM, 5, "File access denied"},
                                           ErrnoCase{EEXIST, 183, "I/O error 183"},
                                           ErrnoCase{EROFS, EROFS, "I/O error 30"},
                                           ErrnoCase{ENOSPC, ENOSPC, "I/O error 28"}));

class FilesTest : public ::testing::Test {
protected:
    QString Path(const char *name) const { return dir.path() + u'/' + QString::fromUtf8(name); }
    QTemporaryDir dir;
};

TEST_F(FilesTest, DirectoryExistsFollowsLinksAndRejectsFiles)
{
    QDir().mkdir(Path("folder"));
    QFile file(Path("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(::symlink(Path("folder").toUtf8().constData(), Path("link").toUtf8().constData()), 0);
    ASSERT_EQ(::symlink(Path("nowhere").toUtf8().constData(), Path("dangling").toUtf8().constData()), 0);

    EXPECT_TRUE(DirectoryExists(Path("folder")));
    EXPECT_TRUE(DirectoryExists(Path("link")));
    EXPECT_FALSE(DirectoryExists(Path("file")));
    EXPECT_FALSE(DirectoryExists(Path("missing")));
    EXPECT_FALSE(DirectoryExists(Path("dangling")));
    EXPECT_FALSE(DirectoryExists(Path("file/below")));
}

TEST_F(FilesTest, MkDirCreatesOneLevel)
{
    MkDir(Path("made"));
    EXPECT_TRUE(QDir(Path("made")).exists());
}

struct MkDirFailure {
    const char *name;
    const char *path; // below the test folder
    int code;
    const char *message;
};

void PrintTo(const MkDirFailure &c, std::ostream *os)
{
    *os << c.name;
}

class MkDirFailures : public FilesTest, public ::testing::WithParamInterface<MkDirFailure> {};

TEST_P(MkDirFailures, RaiseTheIoErrorWithItsCode)
{
    QFile file(Path("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const MkDirFailure &c = GetParam();
    try {
        MkDir(Path(c.path));
        FAIL() << "MkDir succeeded";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.ErrorCode, c.code);
        EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, MkDirFailures,
                         ::testing::Values(MkDirFailure{"FileInTheWay", "plain", 183, "I/O error 183"},
                                           MkDirFailure{"ParentMissing", "missing/child", 2,
                                                        "The specified file was not found"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FilesTest, MkDirInAReadOnlyFolderIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only folders";
    QDir().mkdir(Path("locked"));
    ASSERT_EQ(::chmod(Path("locked").toUtf8().constData(), 0555), 0);
    try {
        MkDir(Path("locked/child"));
        FAIL() << "MkDir succeeded";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.ErrorCode, 5);
        EXPECT_EQ(e.Message(), "File access denied");
    }
}

TEST(PicturesPath, FollowsTheUsersPicturesFolderWithoutTrailingSeparator)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    EXPECT_EQ(TPath::GetPicturesPath(), home.path() + "/Pictures");
}

} // namespace
