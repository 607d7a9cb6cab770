// EncoderThreads: process-wide thread count for compressors.
#include "platform/avi/EncoderThreads.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace frametide::avi {
namespace {
std::atomic<int> g_threads{0};
}

void SetEncoderThreads(int threads)
{
    g_threads = std::max(threads, 0);
}

int EncoderThreads()
{
    const int chosen = g_threads;
    if (chosen > 0)
        return chosen;
    return std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
}

} // namespace frametide::avi
