// TBitmapAnimation: a layout element that keeps its duration; nothing starts it.
#pragma once

#include <QObject>

class TBitmapAnimation : public QObject {
public:
    explicit TBitmapAnimation(QObject *owner) : QObject(owner) {}

    double Duration = 0.2; // seconds
};
