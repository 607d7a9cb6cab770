// VfwEntryPoints: the eight AVIFile functions of movie/VFW.h on Linux. They
// check their arguments, map handles to objects and report failures as
// negative results; the work happens in the stream and container classes.
#include "movie/VFW.h"

#include "platform/avi/AviErrors.h"
#include "platform/avi/AviStreams.h"
#include "platform/avi/CompressorRegistry.h"
#include "platform/avi/HandleTable.h"
#include "platform/avi/Utf16Path.h"

#include <cstring>
#include <signal.h>

using namespace frametide::avi;

namespace {

HandleTable<IAVIFile> &Files()
{
    static HandleTable<IAVIFile> table;
    return table;
}

HandleTable<IAVIStream> &Streams()
{
    static HandleTable<IAVIStream> table;
    return table;
}

StreamDescription DescriptionFrom(const TAVISTREAMINFOA &info)
{
    StreamDescription description;
    description.type = info.fccType;
    description.handler = info.fccHandler;
    description.flags = info.dwFlags;
    description.priority = info.wPriority;
    description.language = info.wLanguage;
    description.scale = info.dwScale;
    description.rate = info.dwRate;
    description.start = info.dwStart;
    description.quality = info.dwQuality;
    description.suggestedBufferSize = info.dwSuggestedBufferSize;
    description.sampleSize = info.dwSampleSize;
    description.frame = info.rcFrame;
    description.name.assign(info.szName, strnlen(info.szName, sizeof info.szName));
    return description;
}

CompressorOptions OptionsFrom(const TAVICOMPRESSOPTIONS &options, const StreamDescription &stream)
{
    CompressorOptions chosen;
    chosen.keyFrameEvery = (options.dwFlags & AVICOMPRESSF_KEYFRAMES) ? options.dwKeyFrameEvery : 0;
    chosen.quality = options.dwQuality;
    chosen.rate = stream.rate;
    chosen.scale = stream.scale;
    return chosen;
}

} // namespace

extern "C" {

void AVIFileInit()
{
    // A file size limit must fail the write (EFBIG), which the service reports
    // and survives, instead of killing the program with SIGXFSZ.
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
}

HRESULT AVIFileOpenW(PAVIFile *ppfile, LPCWSTR szFile, UINT uMode, LPCLSID)
{
    if (!ppfile)
        return AVIERR_BADPARAM;
    *ppfile = nullptr;
    if (uMode != AVI_OPEN_MODE_CREATE)
        return AVIERR_UNSUPPORTED;
    const std::optional<std::string> path = Utf16ToUtf8Path(szFile);
    if (!path)
        return AVIERR_BADPARAM;
    auto sink = std::make_unique<FileSink>(*path);
    if (!sink->IsOpen())
        return AVIERR_FILEOPEN;
    *ppfile = Files().Add(std::make_shared<IAVIFile>(std::move(sink)));
    return S_OK;
}

HRESULT AVIFileCreateStreamA(PAVIFile pfile, PAVIStream *ppavi, PAVISTREAMINFOA psi)
{
    if (!ppavi)
        return AVIERR_BADPARAM;
    *ppavi = nullptr;
    std::shared_ptr<IAVIFile> file = Files().Find(pfile);
    if (!file)
        return AVIERR_BADHANDLE;
    if (!psi || psi->dwRate == 0 || psi->dwScale == 0)
        return AVIERR_BADPARAM;
    if (psi->fccType != streamtypeVIDEO || file->hasStream)
        return AVIERR_UNSUPPORTED; // one video stream per file
    file->hasStream = true;
    *ppavi = Streams().Add(std::make_shared<StoredStream>(file, DescriptionFrom(*psi)));
    return S_OK;
}

HRESULT AVIMakeCompressedStream(PAVIStream *ppsCompressed, PAVIStream ppsSource, PAVICOMPRESSOPTIONS lpOptions,
                                LPCLSID)
{
    if (!ppsCompressed)
        return AVIERR_BADPARAM;
    *ppsCompressed = nullptr;
    auto stored = std::dynamic_pointer_cast<StoredStream>(Streams().Find(ppsSource));
    if (!stored)
        return AVIERR_BADHANDLE;
    if (!lpOptions)
        return AVIERR_BADPARAM;
    std::unique_ptr<Compressor> compressor =
        MakeCompressor(lpOptions->fccHandler, OptionsFrom(*lpOptions, stored->Description()));
    if (!compressor)
        return AVIERR_NOCOMPRESSOR;
    *ppsCompressed = Streams().Add(std::make_shared<CompressingStream>(stored, std::move(compressor)));
    return S_OK;
}

HRESULT AVIStreamSetFormat(PAVIStream pavi, LONG lPos, LPVOID lpFormat, LONG cbFormat)
{
    std::shared_ptr<IAVIStream> stream = Streams().Find(pavi);
    return stream ? stream->SetFormat(lPos, lpFormat, cbFormat) : AVIERR_BADHANDLE;
}

HRESULT AVIStreamWrite(PAVIStream pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer, DWORD dwFlags,
                       LONG *plSampWritten, LONG *plBytesWritten)
{
    if (plSampWritten)
        *plSampWritten = 0;
    if (plBytesWritten)
        *plBytesWritten = 0;
    std::shared_ptr<IAVIStream> stream = Streams().Find(pavi);
    if (!stream)
        return AVIERR_BADHANDLE;
    return stream->Write(lStart, lSamples, lpBuffer, cbBuffer, dwFlags, plSampWritten, plBytesWritten);
}

ULONG AVIStreamRelease(PAVIStream pavi)
{
    return Streams().Release(pavi);
}

ULONG AVIFileRelease(PAVIFile pfile)
{
    return Files().Release(pfile);
}

} // extern "C"
