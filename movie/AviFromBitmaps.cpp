// The movie writer: sets itself up from the first frame, then writes every frame
// as the next sample of the compressed stream.
#include "movie/AviFromBitmaps.h"

#include "platform/win/WinGdi.h"
#include "platform/win/WinHeap.h"

#include <cstring>
#include <limits>
#include <optional>

namespace {

const QString kMethodSucceeded = QStringLiteral("Method Succeeded");
const QString kNoCompatibleDC = QStringLiteral("Unable to Create Compatible DC");
const QString kNoHeap = QStringLiteral("Unable to Create Heap");
const QString kNoHeapMemory = QStringLiteral("Unable to Allocate Memory on Heap");
const QString kNoMovieFile = QStringLiteral("Unable to Create the Movie File");
const QString kNoVideoStream = QStringLiteral("Unable to Create Video Stream in the Movie File");
const QString kNoCompressedStream = QStringLiteral("Unable to Create Compressed Stream: Check your CODEC options");
const QString kNoStreamFormat = QStringLiteral("Unable to Set Video Stream Format");
const QString kWriteFailed = QStringLiteral("Unable to Write Video Stream to the output Movie File");
const QString kFrameUnreadable = QStringLiteral("Unable to Read the Frame Bitmap");
const QString kFrameSizeDiffers = QStringLiteral("Frame size differs from the first frame of the movie");

constexpr char kStreamName[] = "Video Stream";

// Bytes of one uncompressed frame, rows padded to 4 bytes as a DIB lays them out.
// None when the frame is empty or too large for the AVI sizes (32-bit signed).
std::optional<qint32> FrameImageBytes(qint32 nWidth, qint32 nHeight, qint32 nBitsPerPixel)
{
    if (nWidth <= 0 || nHeight <= 0 || nBitsPerPixel <= 0 || nBitsPerPixel > std::numeric_limits<WORD>::max())
        return std::nullopt;
    const std::int64_t bytes = DibRowBytes(nWidth, nBitsPerPixel) * nHeight;
    if (bytes > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(bytes);
}

} // namespace

TAviFromBitmaps::TAviFromBitmaps(QObject *AOwner) : QObject(AOwner)
{
    AVIFileInit();
    m_szErrMsg = kMethodSucceeded;
    m_dwRate = 1;
    m_dwScale = 1;
    pAppendFrame = {
        [this](HBITMAP ABitMap) { return AppendDummy(ABitMap); },
        [this](HBITMAP ABitMap) { return AppendFrameFirstTime(ABitMap); },
        [this](HBITMAP ABitMap) { return AppendFrameUsual(ABitMap); },
    };
    pAppendFrameBits = {
        [this](qint32 w, qint32 h, void *bits, qint32 bpp) { return AppendDummy(w, h, bits, bpp); },
        [this](qint32 w, qint32 h, void *bits, qint32 bpp) { return AppendFrameFirstTime(w, h, bits, bpp); },
        [this](qint32 w, qint32 h, void *bits, qint32 bpp) { return AppendFrameUsual(w, h, bits, bpp); },
    };
    m_nAppendFuncSelector = 1;
}

TAviFromBitmaps *TAviFromBitmaps::CreateAviFile(QObject *AOwner, const QString &lpszFileName, quint32 dwCodec,
                                                quint32 dwFrameRate, quint32 dwFrameScale)
{
    // Ownership passes to AOwner, or to the caller when there is none.
    auto *writer = new TAviFromBitmaps(AOwner);
    writer->m_dwFCCHandler = dwCodec;
    writer->m_dwRate = dwFrameRate;
    writer->m_dwScale = dwFrameScale;
    writer->m_szFileName = lpszFileName;
    return writer;
}

TAviFromBitmaps::~TAviFromBitmaps()
{
    ReleaseMemory();
}

qint32 TAviFromBitmaps::AppendNewFrame(HBITMAP ABitmap)
{
    return pAppendFrame[m_nAppendFuncSelector](ABitmap);
}

qint32 TAviFromBitmaps::AppendNewFrame(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel)
{
    return pAppendFrameBits[m_nAppendFuncSelector](nWidth, nHeight, pBits, nBitsPerPixel);
}

QString TAviFromBitmaps::GetLastErrorMessage() const
{
    return m_szErrMsg;
}

qint32 TAviFromBitmaps::AppendDummy(HBITMAP)
{
    return E_FAIL;
}

qint32 TAviFromBitmaps::AppendDummy(qint32, qint32, void *, qint32)
{
    return E_FAIL;
}

qint32 TAviFromBitmaps::AppendFrameFirstTime(HBITMAP ABitMap)
{
    BITMAP bitmap{};
    if (GetObjectW(ABitMap, sizeof bitmap, &bitmap) != static_cast<int>(sizeof bitmap))
        return Fail(kFrameUnreadable);
    if (FAILED(InitMovieCreation(bitmap.bmWidth, bitmap.bmHeight, bitmap.bmBitsPixel))) {
        ReleaseMemory();
        return E_FAIL;
    }
    m_nAppendFuncSelector = 2;
    return AppendFrameUsual(ABitMap);
}

qint32 TAviFromBitmaps::AppendFrameFirstTime(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel)
{
    if (FAILED(InitMovieCreation(nWidth, nHeight, nBitsPerPixel))) {
        ReleaseMemory();
        return E_FAIL;
    }
    m_nAppendFuncSelector = 2;
    return AppendFrameUsual(nWidth, nHeight, pBits, nBitsPerPixel);
}

qint32 TAviFromBitmaps::AppendFrameUsual(HBITMAP ABitMap)
{
    BITMAPINFO info{};
    BITMAPINFOHEADER &header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biBitCount = 0;
    if (GetDIBits(m_hAviDC, ABitMap, 0, 0, nullptr, &info, DIB_RGB_COLORS) == 0)
        return Fail(kFrameUnreadable);
    header.biCompression = BI_RGB;
    // The buffer fits the first frame only; nothing else may be copied into it.
    if (!MatchesMovieFormat(header.biWidth, header.biHeight, header.biBitCount))
        return Fail(kFrameSizeDiffers);
    const int lines = GetDIBits(m_hAviDC, ABitMap, 0, static_cast<UINT>(header.biHeight), m_lpBits, &info,
                                DIB_RGB_COLORS);
    if (lines != header.biHeight || header.biSizeImage != m_FrameFormat.biSizeImage)
        return Fail(kFrameUnreadable);
    return WriteSample(m_lpBits, static_cast<qint32>(header.biSizeImage));
}

qint32 TAviFromBitmaps::AppendFrameUsual(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel)
{
    if (!MatchesMovieFormat(nWidth, nHeight, nBitsPerPixel))
        return Fail(kFrameSizeDiffers);
    if (pBits == nullptr)
        return Fail(kFrameUnreadable);
    // The size comes from this call's own arguments; they match the format, so it does too.
    return WriteSample(pBits, *FrameImageBytes(nWidth, nHeight, nBitsPerPixel));
}

qint32 TAviFromBitmaps::InitMovieCreation(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nBitsPerPixel)
{
    m_hAviDC = CreateCompatibleDC(nullptr);
    if (m_hAviDC == nullptr) {
        SetErrorMessage(kNoCompatibleDC);
        return E_FAIL;
    }

    // A frame too large to describe would overflow every size below: refused where the heap is sized.
    const std::optional<qint32> imageBytes = FrameImageBytes(nFrameWidth, nFrameHeight, nBitsPerPixel);
    if (imageBytes)
        m_hHeap = HeapCreate(HEAP_NO_SERIALIZE, static_cast<SIZE_T>(*imageBytes), 0);
    if (m_hHeap == nullptr) {
        SetErrorMessage(kNoHeap);
        return E_FAIL;
    }

    m_lpBits = HeapAlloc(m_hHeap, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY, static_cast<SIZE_T>(*imageBytes));
    if (m_lpBits == nullptr) {
        SetErrorMessage(kNoHeapMemory);
        return E_FAIL;
    }

    if (FAILED(AVIFileOpenW(&m_pAviFile, reinterpret_cast<LPCWSTR>(m_szFileName.utf16()), OF_WRITE | OF_CREATE,
                            nullptr))) {
        SetErrorMessage(kNoMovieFile);
        return E_FAIL;
    }

    DescribeStream(nFrameWidth, nFrameHeight, *imageBytes);
    if (FAILED(AVIFileCreateStream(m_pAviFile, &m_pAviStream, &m_AviStreamInfo))) {
        SetErrorMessage(kNoVideoStream);
        return E_FAIL;
    }

    DescribeCompression();
    if (FAILED(AVIMakeCompressedStream(&m_pAviCompressedStream, m_pAviStream, &m_AviCompressOptions, nullptr))) {
        SetErrorMessage(kNoCompressedStream);
        return E_FAIL;
    }

    BITMAPINFOHEADER format = FrameFormat(nFrameWidth, nFrameHeight, nBitsPerPixel, *imageBytes);
    if (FAILED(AVIStreamSetFormat(m_pAviCompressedStream, 0, &format, sizeof format))) {
        SetErrorMessage(kNoStreamFormat);
        return E_FAIL;
    }
    m_FrameFormat = format;
    return S_OK;
}

// The stream description: zero bytes, then the values the service is to record.
void TAviFromBitmaps::DescribeStream(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nImageBytes)
{
    std::memset(&m_AviStreamInfo, 0, sizeof m_AviStreamInfo);
    m_AviStreamInfo.fccType = streamtypeVIDEO;
    m_AviStreamInfo.fccHandler = m_dwFCCHandler;
    m_AviStreamInfo.dwScale = m_dwScale;
    m_AviStreamInfo.dwRate = m_dwRate;
    m_AviStreamInfo.dwQuality = static_cast<DWORD>(ICQUALITY_DEFAULT);
    m_AviStreamInfo.dwSuggestedBufferSize = static_cast<DWORD>(nImageBytes);
    m_AviStreamInfo.rcFrame = RECT{0, 0, nFrameWidth, nFrameHeight};
    std::memcpy(m_AviStreamInfo.szName, kStreamName, sizeof kStreamName);
}

// Every frame a key frame; the quality stays 0 here, unlike the stream description's.
void TAviFromBitmaps::DescribeCompression()
{
    std::memset(&m_AviCompressOptions, 0, sizeof m_AviCompressOptions);
    m_AviCompressOptions.fccType = streamtypeVIDEO;
    m_AviCompressOptions.fccHandler = m_AviStreamInfo.fccHandler;
    m_AviCompressOptions.dwKeyFrameEvery = 1;
    m_AviCompressOptions.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
}

// Uncompressed rows, bottom-up (positive height), sized as the rows are laid out.
BITMAPINFOHEADER TAviFromBitmaps::FrameFormat(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nBitsPerPixel,
                                              qint32 nImageBytes)
{
    BITMAPINFOHEADER format{};
    format.biSize = sizeof(BITMAPINFOHEADER);
    format.biWidth = nFrameWidth;
    format.biHeight = nFrameHeight;
    format.biPlanes = 1;
    format.biBitCount = static_cast<WORD>(nBitsPerPixel);
    format.biCompression = BI_RGB;
    format.biSizeImage = static_cast<DWORD>(nImageBytes);
    return format;
}

qint32 TAviFromBitmaps::WriteSample(void *pData, qint32 nBytes)
{
    if (FAILED(AVIStreamWrite(m_pAviCompressedStream, m_lSample, 1, pData, nBytes, 0, nullptr, nullptr)))
        return Fail(kWriteFailed);
    m_lSample += 1;
    return S_OK;
}

qint32 TAviFromBitmaps::Fail(const QString &lpszErrMsg)
{
    SetErrorMessage(lpszErrMsg);
    ReleaseMemory();
    return E_FAIL;
}

bool TAviFromBitmaps::MatchesMovieFormat(qint32 nWidth, qint32 nHeight, qint32 nBitsPerPixel) const
{
    return nWidth == m_FrameFormat.biWidth && nHeight == m_FrameFormat.biHeight &&
           nBitsPerPixel == m_FrameFormat.biBitCount;
}

void TAviFromBitmaps::ReleaseMemory()
{
    m_nAppendFuncSelector = 0;
    if (m_hAviDC != nullptr) {
        DeleteDC(m_hAviDC);
        m_hAviDC = nullptr;
    }
    if (m_pAviCompressedStream != nullptr) {
        AVIStreamRelease(m_pAviCompressedStream);
        m_pAviCompressedStream = nullptr;
    }
    if (m_pAviStream != nullptr) {
        AVIStreamRelease(m_pAviStream);
        m_pAviStream = nullptr;
    }
    if (m_pAviFile != nullptr) {
        AVIFileRelease(m_pAviFile);
        m_pAviFile = nullptr;
    }
    if (m_lpBits != nullptr) {
        HeapFree(m_hHeap, HEAP_NO_SERIALIZE, m_lpBits);
        m_lpBits = nullptr;
    }
    if (m_hHeap != nullptr) {
        HeapDestroy(m_hHeap);
        m_hHeap = nullptr;
    }
}

void TAviFromBitmaps::SetErrorMessage(const QString &lpszErrMsg)
{
    m_szErrMsg = lpszErrMsg;
}
