// The preview bitmap and its encoding to an image file chosen by extension.
#include "platform/gui/Bitmap.h"

#include "platform/runtime/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <cerrno>
#include <unistd.h>

namespace {

QByteArray encoderFor(const QString &fileName)
{
    QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix))
        return {};
    return suffix;
}

} // namespace

void TBitmap::SetSize(int width, int height)
{
    if (width == m_image.width() && height == m_image.height())
        return;
    m_image = (width > 0 && height > 0) ? QImage(width, height, QImage::Format_ARGB32) : QImage();
}

void TBitmap::Changed()
{
    if (OnChange)
        OnChange();
}

bool TBitmap::SaveToFile(const QString &AFileName) const
{
    const QByteArray format = encoderFor(AFileName);
    if (format.isEmpty())
        throw Exception(QStringLiteral("Saving bitmap failed."));

    QFile file(AFileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const int error = errno != 0 ? errno : EIO;
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QFileInfo(AFileName).absoluteFilePath(), SysErrorMessage(error)));
    }
    // Encoder errors after the file exists are not raised, as the framework does.
    QImageWriter writer(&file, format);
    const bool encoded = writer.write(m_image.convertToFormat(QImage::Format_RGB32));
    const bool flushed = file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    return encoded && flushed && file.error() == QFileDevice::NoError;
}
