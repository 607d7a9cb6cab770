// TImage: shows its bitmap unscaled, at its own pixel size, from the top-left corner.
#pragma once

#include "platform/gui/Bitmap.h"

#include <QWidget>

class TImage : public QWidget {
public:
    explicit TImage(QWidget *parent = nullptr);

    TBitmap Bitmap;

protected:
    void paintEvent(QPaintEvent *event) override;
};
