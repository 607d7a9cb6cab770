// The preview widget.
#include "ui/Image.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    // The picture is opaque where it is drawn: no need to paint the background below it first.
    Bitmap.OnChange = [this] { update(); };
}

void TImage::paintEvent(QPaintEvent *)
{
    const QImage &picture = Bitmap.Image();
    if (picture.isNull())
        return;
    QPainter painter(this);
    // Alpha is always 255; copying instead of blending keeps 1080p frames cheap.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture);
}
