// EncoderThreads: how many threads a compressor may use. The program leaves it
// automatic; the benchmark sets it to compare like with like.
#pragma once

namespace frametide::avi {

// 0 means automatic: the machine's cores, at most 4. Applies to compressors made afterwards.
void SetEncoderThreads(int threads);
int EncoderThreads();

} // namespace frametide::avi
