// VFW: the AVI file services the movie writer calls, declared as the Windows
// AVIFile library declares them: handle types, records, constants and the eight
// functions, in their order of use. On Windows they come from AVIFIL32.DLL; on
// Linux from our own service in platform/avi.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

// Opaque handles of an open AVI file and of a stream in it. Only the service
// knows what is behind them; callers pass them back and release them.
struct IAVIFile;
struct IAVIStream;
using PAVIFile = IAVIFile *;
using PAVIStream = IAVIStream *;

// The ANSI stream description: 140 bytes, no gaps.
struct TAVISTREAMINFOA {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale;
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength;
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    char szName[64];
};
using PAVISTREAMINFOA = TAVISTREAMINFOA *;

static_assert(sizeof(TAVISTREAMINFOA) == 140);
static_assert(offsetof(TAVISTREAMINFOA, fccType) == 0);
static_assert(offsetof(TAVISTREAMINFOA, fccHandler) == 4);
static_assert(offsetof(TAVISTREAMINFOA, dwFlags) == 8);
static_assert(offsetof(TAVISTREAMINFOA, dwCaps) == 12);
static_assert(offsetof(TAVISTREAMINFOA, wPriority) == 16);
static_assert(offsetof(TAVISTREAMINFOA, wLanguage) == 18);
static_assert(offsetof(TAVISTREAMINFOA, dwScale) == 20);
static_assert(offsetof(TAVISTREAMINFOA, dwRate) == 24);
static_assert(offsetof(TAVISTREAMINFOA, dwStart) == 28);
static_assert(offsetof(TAVISTREAMINFOA, dwLength) == 32);
static_assert(offsetof(TAVISTREAMINFOA, dwInitialFrames) == 36);
static_assert(offsetof(TAVISTREAMINFOA, dwSuggestedBufferSize) == 40);
static_assert(offsetof(TAVISTREAMINFOA, dwQuality) == 44);
static_assert(offsetof(TAVISTREAMINFOA, dwSampleSize) == 48);
static_assert(offsetof(TAVISTREAMINFOA, rcFrame) == 52);
static_assert(offsetof(TAVISTREAMINFOA, dwEditCount) == 68);
static_assert(offsetof(TAVISTREAMINFOA, dwFormatChangeCount) == 72);
static_assert(offsetof(TAVISTREAMINFOA, szName) == 76);

// The UTF-16 stream description: the same fields with a UTF-16 name.
struct TAVISTREAMINFOW {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale;
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength;
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    WCHAR szName[64];
};
using PAVISTREAMINFOW = TAVISTREAMINFOW *;

static_assert(sizeof(TAVISTREAMINFOW) == 204);
static_assert(offsetof(TAVISTREAMINFOW, rcFrame) == 52);
static_assert(offsetof(TAVISTREAMINFOW, szName) == 76);

// The library's description of a whole file.
struct TAVIFILEINFOW {
    DWORD dwMaxBytesPerSec;
    DWORD dwFlags;
    DWORD dwCaps;
    DWORD dwStreams;
    DWORD dwSuggestedBufferSize;
    DWORD dwWidth;
    DWORD dwHeight;
    DWORD dwScale;
    DWORD dwRate;
    DWORD dwLength;
    DWORD dwEditCount;
    WCHAR szFileType[64];
};
using PAVIFILEINFOW = TAVIFILEINFOW *;

static_assert(sizeof(TAVIFILEINFOW) == 172);
static_assert(offsetof(TAVIFILEINFOW, szFileType) == 44);

// Compression options. The pointer fields take the platform's natural width:
// 44 bytes on a 32-bit build, 56 on a 64-bit one.
struct TAVICOMPRESSOPTIONS {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwKeyFrameEvery;
    DWORD dwQuality;
    DWORD dwBytesPerSecond;
    DWORD dwFlags;
    LPVOID lpFormat;
    DWORD cbFormat;
    LPVOID lpParms;
    DWORD cbParms;
    DWORD dwInterleaveEvery;
};
using PAVICOMPRESSOPTIONS = TAVICOMPRESSOPTIONS *;

static_assert(offsetof(TAVICOMPRESSOPTIONS, fccType) == 0);
static_assert(offsetof(TAVICOMPRESSOPTIONS, fccHandler) == 4);
static_assert(offsetof(TAVICOMPRESSOPTIONS, dwKeyFrameEvery) == 8);
static_assert(offsetof(TAVICOMPRESSOPTIONS, dwQuality) == 12);
static_assert(offsetof(TAVICOMPRESSOPTIONS, dwBytesPerSecond) == 16);
static_assert(offsetof(TAVICOMPRESSOPTIONS, dwFlags) == 20);
static_assert(offsetof(TAVICOMPRESSOPTIONS, lpFormat) == 24);
static_assert(offsetof(TAVICOMPRESSOPTIONS, cbFormat) == 24 + sizeof(void *));
static_assert(offsetof(TAVICOMPRESSOPTIONS, lpParms) == (sizeof(void *) == 4 ? 32 : 40));
static_assert(offsetof(TAVICOMPRESSOPTIONS, cbParms) == (sizeof(void *) == 4 ? 36 : 48));
static_assert(offsetof(TAVICOMPRESSOPTIONS, dwInterleaveEvery) == (sizeof(void *) == 4 ? 40 : 52));
static_assert(sizeof(TAVICOMPRESSOPTIONS) == (sizeof(void *) == 4 ? 44 : 56));

constexpr DWORD streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');
static_assert(streamtypeVIDEO == 0x73646976);

constexpr DWORD AVICOMPRESSF_INTERLEAVE = 1;
constexpr DWORD AVICOMPRESSF_DATARATE = 2;
constexpr DWORD AVICOMPRESSF_KEYFRAMES = 4;
constexpr DWORD AVICOMPRESSF_VALID = 8;
constexpr LONG ICQUALITY_DEFAULT = -1;
constexpr DWORD AVIIF_KEYFRAME = 16;

// OF_WRITE | OF_CREATE: create the file, or truncate it, for writing.
constexpr UINT AVI_OPEN_MODE_CREATE = OF_WRITE | OF_CREATE;
static_assert(AVI_OPEN_MODE_CREATE == 4097);

extern "C" {
void AVIFileInit();
HRESULT AVIFileOpenW(PAVIFile *ppfile, LPCWSTR szFile, UINT uMode, LPCLSID lpHandler);
HRESULT AVIFileCreateStreamA(PAVIFile pfile, PAVIStream *ppavi, PAVISTREAMINFOA psi);
HRESULT AVIMakeCompressedStream(PAVIStream *ppsCompressed, PAVIStream ppsSource, PAVICOMPRESSOPTIONS lpOptions,
                                LPCLSID pclsidHandler);
HRESULT AVIStreamSetFormat(PAVIStream pavi, LONG lPos, LPVOID lpFormat, LONG cbFormat);
HRESULT AVIStreamWrite(PAVIStream pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer, DWORD dwFlags,
                       LONG *plSampWritten, LONG *plBytesWritten);
ULONG AVIStreamRelease(PAVIStream pavi);
ULONG AVIFileRelease(PAVIFile pfile);
}

// The stream is created through the ANSI entry, as the writer fills the ANSI record.
inline HRESULT AVIFileCreateStream(PAVIFile pfile, PAVIStream *ppavi, PAVISTREAMINFOA psi)
{
    return AVIFileCreateStreamA(pfile, ppavi, psi);
}
