// Pictures folder, directory test and creation, with the Windows error codes
// and texts the runtime reports.
#include "platform/runtime/Files.h"

#include "platform/runtime/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

QString TPath::GetPicturesPath()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool DirectoryExists(const QString &Directory, bool FollowLink)
{
    const QByteArray path = QFile::encodeName(Directory);
    struct stat info {};
    const int result = FollowLink ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info);
    if (result == 0)
        return S_ISDIR(info.st_mode);
    return errno != ENOENT && errno != ENOTDIR;
}

int WindowsErrorCode(int posixErrno)
{
    switch (posixErrno) {
    case ENOENT:
        return 2;
    case EMFILE:
        return 4;
    case EACCES:
    case EPERM:
        return 5;
    case EEXIST:
        return 183;
    default:
        return posixErrno;
    }
}

QString InOutErrorText(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("The specified file was not found");
    case 4:
        return QStringLiteral("Too many open files");
    case 5:
        return QStringLiteral("File access denied");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

void MkDir(const QString &S)
{
    if (::mkdir(QFile::encodeName(S).constData(), 0777) == 0)
        return;
    const int code = WindowsErrorCode(errno);
    throw EInOutError(code, InOutErrorText(code));
}
