// The eight AVI functions as a script: records in, scripted results out.
#include "VfwStandIn.h"

#include "StandInLog.h"

#include <cstring>

namespace stand_in {
namespace {

char fileToken, streamToken, compressedToken;

HRESULT Outcome(VfwStep step)
{
    return Vfw().failAt == step ? E_FAIL : S_OK;
}

std::string NameOf(PAVIStream stream)
{
    if (stream == TheStream())
        return "stream";
    if (stream == TheCompressedStream())
        return "compressed";
    return "unknown";
}

} // namespace

VfwScript &Vfw()
{
    static VfwScript script;
    return script;
}

void ResetVfw()
{
    Vfw() = VfwScript{};
}

PAVIFile TheFile()
{
    return reinterpret_cast<PAVIFile>(&fileToken);
}
PAVIStream TheStream()
{
    return reinterpret_cast<PAVIStream>(&streamToken);
}
PAVIStream TheCompressedStream()
{
    return reinterpret_cast<PAVIStream>(&compressedToken);
}

} // namespace stand_in

using namespace stand_in;

extern "C" {

void AVIFileInit()
{
    ++Vfw().initCalls;
}

HRESULT AVIFileOpenW(PAVIFile *ppfile, LPCWSTR szFile, UINT uMode, LPCLSID lpHandler)
{
    CallLog().push_back("AVIFileOpenW");
    VfwScript &script = Vfw();
    ++script.openCalls;
    script.openedName = szFile;
    script.openMode = uMode;
    script.openHandlerNull = lpHandler == nullptr;
    const HRESULT result = Outcome(VfwStep::OpenFile);
    *ppfile = SUCCEEDED(result) ? TheFile() : nullptr;
    return result;
}

HRESULT AVIFileCreateStreamA(PAVIFile pfile, PAVIStream *ppavi, PAVISTREAMINFOA psi)
{
    CallLog().push_back("AVIFileCreateStreamA");
    Vfw().streamFile = pfile;
    std::memcpy(&Vfw().streamInfo, psi, sizeof *psi);
    const HRESULT result = Outcome(VfwStep::CreateStream);
    *ppavi = SUCCEEDED(result) ? TheStream() : nullptr;
    return result;
}

HRESULT AVIMakeCompressedStream(PAVIStream *ppsCompressed, PAVIStream ppsSource, PAVICOMPRESSOPTIONS lpOptions,
                                LPCLSID pclsidHandler)
{
    CallLog().push_back("AVIMakeCompressedStream");
    VfwScript &script = Vfw();
    script.compressSource = ppsSource;
    std::memcpy(&script.compressOptions, lpOptions, sizeof *lpOptions);
    script.compressHandlerNull = pclsidHandler == nullptr;
    const HRESULT result = Outcome(VfwStep::MakeCompressedStream);
    *ppsCompressed = SUCCEEDED(result) ? TheCompressedStream() : nullptr;
    return result;
}

HRESULT AVIStreamSetFormat(PAVIStream pavi, LONG lPos, LPVOID lpFormat, LONG cbFormat)
{
    CallLog().push_back("AVIStreamSetFormat");
    VfwScript &script = Vfw();
    script.formatStream = pavi;
    script.formatPosition = lPos;
    script.formatSize = cbFormat;
    std::memcpy(&script.format, lpFormat, sizeof script.format);
    return Outcome(VfwStep::SetFormat);
}

HRESULT AVIStreamWrite(PAVIStream pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer, DWORD dwFlags,
                       LONG *plSampWritten, LONG *plBytesWritten)
{
    CallLog().push_back("AVIStreamWrite");
    VfwScript &script = Vfw();
    WriteRecord record;
    record.stream = pavi;
    record.start = lStart;
    record.samples = lSamples;
    record.data = lpBuffer;
    record.bytes = cbBuffer;
    record.flags = dwFlags;
    record.outputsNull = plSampWritten == nullptr && plBytesWritten == nullptr;
    const auto *bytes = static_cast<const BYTE *>(lpBuffer);
    record.copy.assign(bytes, bytes + cbBuffer);
    const bool fails = script.failAt == VfwStep::Write && static_cast<int>(script.writes.size()) == script.failingWrite;
    script.writes.push_back(std::move(record));
    return fails ? E_FAIL : S_OK;
}

ULONG AVIStreamRelease(PAVIStream pavi)
{
    CallLog().push_back("AVIStreamRelease " + NameOf(pavi));
    return 0;
}

ULONG AVIFileRelease(PAVIFile pfile)
{
    CallLog().push_back(pfile == TheFile() ? "AVIFileRelease" : "AVIFileRelease unknown");
    return 0;
}

} // extern "C"
