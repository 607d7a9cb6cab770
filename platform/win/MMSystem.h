// Multimedia I/O: four-character codes from text, as mmioStringToFOURCCW makes them.
#pragma once

#include "platform/win/WinTypes.h"

constexpr UINT MMIO_TOUPPER = 0x0010;

// The first four characters, first in the lowest byte, padded with blanks;
// with MMIO_TOUPPER in uFlags they are upper-cased, with 0 they keep their case.
// Characters outside ASCII become '?'. 0 for a null string.
FOURCC mmioStringToFOURCCW(LPCWSTR sz, UINT uFlags);
