// The preview bitmap: 32 bits a pixel, bytes blue, green, red, alpha, top row
// first, over a QImage. Whoever shows it subscribes to OnChange.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

class TBitmap {
public:
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

    // Takes the new size; the pixels are undefined until they are written.
    void SetSize(int width, int height);
    uchar *ScanLine(int row) { return m_image.scanLine(row); }
    const uchar *ScanLine(int row) const { return m_image.constScanLine(row); }
    qsizetype BytesPerLine() const { return m_image.bytesPerLine(); }
    const QImage &Image() const { return m_image; }

    // Tells the subscriber that the pixels or the size changed.
    void Changed();

    // Encodes the picture by the file name's extension, replacing the file.
    // Raises Exception when no encoder serves the extension or the file cannot
    // be made; later encoder errors are not raised, only returned as false.
    bool SaveToFile(const QString &AFileName) const;

    std::function<void()> OnChange;

private:
    QImage m_image;
};
