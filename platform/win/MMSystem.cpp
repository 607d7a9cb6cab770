// mmioStringToFOURCCW: four characters of text packed into a code.
#include "platform/win/MMSystem.h"

namespace {

char NarrowCharacter(WCHAR unit, bool toUpper)
{
    if (unit > 0x7F)
        return '?';
    const char c = static_cast<char>(unit);
    return toUpper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

FOURCC mmioStringToFOURCCW(LPCWSTR sz, UINT uFlags)
{
    if (sz == nullptr)
        return 0;
    const bool toUpper = (uFlags & MMIO_TOUPPER) != 0;
    char code[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; i < 4 && sz[i] != 0; ++i)
        code[i] = NarrowCharacter(sz[i], toUpper);
    return mmioFOURCC(code[0], code[1], code[2], code[3]);
}
