// Where shots go and what they are called: <Pictures>/Frametide/IMG_<n><ext>,
// n drawn from 0 to 99999, never the name of a file that is already there.
#pragma once

#include "platform/gui/Bitmap.h"

#include <QString>

#include <optional>

constexpr int kFileNumberRange = 100000;

// <Pictures>/Frametide
QString OutputFolder();

// Creates the output folder, one level, when it is missing; raises the
// platform's I/O error when that fails. Tested at every call.
void EnsureOutputFolder(const QString &folder);

// folder/IMG_<n><extension>
QString OutputFileName(const QString &folder, int n, const QString &extension);

// A name whose file does not exist yet: drawn with Random, drawn again while
// taken; none when every number is taken.
std::optional<QString> DrawFreeFileName(const QString &folder, const QString &extension);

// Saves the picture as fileName without ever replacing a file: it is encoded
// under a temporary name next to it, checked, and linked into place. Returns
// false when fileName was taken meanwhile (nothing is written then); raises
// Exception when the picture cannot be saved, leaving nothing behind.
bool SavePictureAsNewFile(const TBitmap &picture, const QString &fileName);
