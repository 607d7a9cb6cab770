// Output folder, file names and the no-replace photo save.
#include "ui/OutputFiles.h"

#include "platform/runtime/Files.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Random draws before the remaining numbers are searched in order.
constexpr int kRandomDraws = 64;

bool Exists(const QString &fileName)
{
    // A dangling link counts as taken: linking over it would fail anyway.
    const QFileInfo file(fileName);
    return file.exists() || file.isSymLink();
}

Exception CannotCreate(const QFileInfo &target, int error)
{
    return Exception(
        QStringLiteral("Cannot create file \"%1\". %2").arg(target.absoluteFilePath(), SysErrorMessage(error)));
}

// Puts the finished temporary file in place under its final name, failing
// with EEXIST rather than replacing what is there.
int LinkIntoPlace(const QString &temporary, const QString &fileName)
{
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(fileName);
    if (::link(from.constData(), to.constData()) == 0)
        return 0;
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP)
        return error;
    // Filesystems without hard links: rename, after looking once more.
    if (Exists(fileName))
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QString OutputFolder()
{
    return TPath::GetPicturesPath() + QStringLiteral("/Frametide");
}

void EnsureOutputFolder(const QString &folder)
{
    if (!DirectoryExists(folder, true))
        MkDir(folder);
}

QString OutputFileName(const QString &folder, int n, const QString &extension)
{
    return folder + QStringLiteral("/IMG_") + QString::number(n) + extension;
}

std::optional<QString> DrawFreeFileName(const QString &folder, const QString &extension)
{
    int n = 0;
    for (int draw = 0; draw < kRandomDraws; ++draw) {
        n = Random(kFileNumberRange);
        const QString name = OutputFileName(folder, n, extension);
        if (!Exists(name))
            return name;
    }
    // A nearly full folder: walk on from the last draw so that a free number is still found.
    for (int step = 1; step < kFileNumberRange; ++step) {
        const QString name = OutputFileName(folder, (n + step) % kFileNumberRange, extension);
        if (!Exists(name))
            return name;
    }
    return std::nullopt;
}

bool SavePictureAsNewFile(const TBitmap &picture, const QString &fileName)
{
    const QFileInfo target(fileName);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.completeBaseName() +
                             QStringLiteral("-XXXXXX.") + target.suffix());
    if (!temporary.open())
        throw CannotCreate(target, errno != 0 ? errno : EIO);
    temporary.close();

    bool complete = false;
    try {
        complete = picture.SaveToFile(temporary.fileName());
    } catch (const Exception &e) {
        throw Exception(QString(e.Message()).replace(temporary.fileName(), target.absoluteFilePath()));
    }
    if (!complete)
        throw Exception(QStringLiteral("The photo could not be written completely to \"%1\"; nothing was saved")
                            .arg(target.absoluteFilePath()));

    const int error = LinkIntoPlace(temporary.fileName(), fileName);
    if (error == EEXIST)
        return false;
    if (error != 0)
        throw CannotCreate(target, error);
    return true; // the temporary name is removed with `temporary`
}
