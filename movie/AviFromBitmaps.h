// TAviFromBitmaps: turns a sequence of bitmaps into an AVI file with one video
// stream compressed by the chosen codec. The file, stream, compressor, format and
// frame buffer are made from the first frame; destroying the writer completes
// the file. Failures come back as a result code and a text kept for the caller.
#pragma once

#include "movie/VFW.h"
#include "platform/win/WinTypes.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

// Bound methods through which AppendNewFrame dispatches on the writer's state.
using TAppendFrameFct = std::function<qint32(HBITMAP)>;
using TAppendFrameBitsFct = std::function<qint32(qint32, qint32, void *, qint32)>;

class TAviFromBitmaps : public QObject {
public:
    // An owner, if given, destroys the writer with itself.
    explicit TAviFromBitmaps(QObject *AOwner = nullptr);
    // A writer for one file; nothing is created on disk before the first frame.
    // The owner, if any, frees it; with no owner the caller deletes it.
    static TAviFromBitmaps *CreateAviFile(QObject *AOwner, const QString &lpszFileName, quint32 dwCodec,
                                          quint32 dwFrameRate, quint32 dwFrameScale);
    // Destroy: releases everything, which completes the file.
    ~TAviFromBitmaps() override;

    TAviFromBitmaps(const TAviFromBitmaps &) = delete;
    TAviFromBitmaps &operator=(const TAviFromBitmaps &) = delete;

    // The bitmap is only read during the call.
    qint32 AppendNewFrame(HBITMAP ABitmap);
    // Uncompressed rows, bottom-up, each padded to 4 bytes, in the stream's format.
    qint32 AppendNewFrame(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel);

    QString GetLastErrorMessage() const;

private:
    qint32 AppendDummy(HBITMAP ABitMap);
    qint32 AppendDummy(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel);
    qint32 AppendFrameFirstTime(HBITMAP ABitMap);
    qint32 AppendFrameFirstTime(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel);
    qint32 AppendFrameUsual(HBITMAP ABitMap);
    qint32 AppendFrameUsual(qint32 nWidth, qint32 nHeight, void *pBits, qint32 nBitsPerPixel);

    qint32 InitMovieCreation(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nBitsPerPixel);
    void DescribeStream(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nImageBytes);
    void DescribeCompression();
    static BITMAPINFOHEADER FrameFormat(qint32 nFrameWidth, qint32 nFrameHeight, qint32 nBitsPerPixel,
                                        qint32 nImageBytes);
    qint32 WriteSample(void *pData, qint32 nBytes);
    qint32 Fail(const QString &lpszErrMsg);
    bool MatchesMovieFormat(qint32 nWidth, qint32 nHeight, qint32 nBitsPerPixel) const;
    void ReleaseMemory();
    void SetErrorMessage(const QString &lpszErrMsg);

    HDC m_hAviDC = nullptr;
    HANDLE m_hHeap = nullptr;
    LPVOID m_lpBits = nullptr;
    qint32 m_lSample = 0;
    PAVIFile m_pAviFile = nullptr;
    PAVIStream m_pAviStream = nullptr;
    PAVIStream m_pAviCompressedStream = nullptr;
    TAVISTREAMINFOA m_AviStreamInfo{};
    TAVICOMPRESSOPTIONS m_AviCompressOptions{};
    quint32 m_dwRate = 0;
    quint32 m_dwScale = 0;
    quint32 m_dwFCCHandler = 0;
    QString m_szFileName;
    QString m_szErrMsg;
    qint32 m_nAppendFuncSelector = 0;
    std::array<TAppendFrameFct, 3> pAppendFrame;
    std::array<TAppendFrameBitsFct, 3> pAppendFrameBits;
    // The format set on the stream at the first frame; every later frame must match it.
    BITMAPINFOHEADER m_FrameFormat{};
};
