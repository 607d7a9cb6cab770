// The per-pixel work of the preview path, kept apart so that it can be built
// for speed: it runs over every pixel of every frame.
#pragma once

#include <QtGlobal>

// Copies a row of BGRx pixels to BGRA with alpha 255. The rows must not overlap.
void CopyRowOpaque(const uchar *source, uchar *target, int width);
