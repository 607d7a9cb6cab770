// CompressorRegistry: finds the compressor for a stream's four-character code,
// compared case-insensitively.
#pragma once

#include "platform/avi/Compressor.h"

#include <memory>

namespace frametide::avi {

// MPEG-4 ASP codes (xvid, divx, dx50, fmp4) give the xvid compressor, which
// stores the code as given; 0 and "DIB " store frames uncompressed; any other
// code has no compressor (null).
std::unique_ptr<Compressor> MakeCompressor(FOURCC handler, const CompressorOptions &options);

} // namespace frametide::avi
