// AviErrors: the AVIFile library's own failure codes, so callers see what
// Windows would report.
#pragma once

#include "platform/win/WinTypes.h"

namespace frametide::avi {

constexpr HRESULT MakeAviError(unsigned code)
{
    return static_cast<HRESULT>(0x80044000u + code);
}

constexpr HRESULT AVIERR_UNSUPPORTED = MakeAviError(101);
constexpr HRESULT AVIERR_BADFORMAT = MakeAviError(102);
constexpr HRESULT AVIERR_MEMORY = MakeAviError(103);
constexpr HRESULT AVIERR_BADPARAM = MakeAviError(106);
constexpr HRESULT AVIERR_BADSIZE = MakeAviError(107);
constexpr HRESULT AVIERR_BADHANDLE = MakeAviError(108);
constexpr HRESULT AVIERR_FILEWRITE = MakeAviError(110);
constexpr HRESULT AVIERR_FILEOPEN = MakeAviError(111);
constexpr HRESULT AVIERR_COMPRESSOR = MakeAviError(112);
constexpr HRESULT AVIERR_NOCOMPRESSOR = MakeAviError(113);

} // namespace frametide::avi
