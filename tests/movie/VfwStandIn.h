// A scripted stand-in for the eight AVI file functions: it records every call
// and the records handed to it, and fails the step it is told to.
#pragma once

#include "movie/VFW.h"

#include <cstddef>
#include <string>
#include <vector>

namespace stand_in {

enum class VfwStep { None, OpenFile, CreateStream, MakeCompressedStream, SetFormat, Write };

struct WriteRecord {
    PAVIStream stream = nullptr;
    LONG start = -1;
    LONG samples = 0;
    LPVOID data = nullptr;
    LONG bytes = 0;
    DWORD flags = 0;
    bool outputsNull = false;
    std::vector<BYTE> copy;
};

struct VfwScript {
    // Which step fails; for Write, the index of the write call that fails.
    VfwStep failAt = VfwStep::None;
    int failingWrite = 0;

    int initCalls = 0;
    int openCalls = 0;
    std::u16string openedName;
    UINT openMode = 0;
    bool openHandlerNull = false;
    TAVISTREAMINFOA streamInfo{};
    PAVIFile streamFile = nullptr;
    TAVICOMPRESSOPTIONS compressOptions{};
    PAVIStream compressSource = nullptr;
    bool compressHandlerNull = false;
    PAVIStream formatStream = nullptr;
    LONG formatPosition = -1;
    LONG formatSize = 0;
    BITMAPINFOHEADER format{};
    std::vector<WriteRecord> writes;
};

VfwScript &Vfw();
void ResetVfw();

// The handles the stand-in hands out.
PAVIFile TheFile();
PAVIStream TheStream();
PAVIStream TheCompressedStream();

} // namespace stand_in
