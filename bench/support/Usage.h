// What a benchmark measures of its own process: CPU seconds and peak memory.
#pragma once

#include <sys/resource.h>

struct ProcessUsage {
    double cpuSeconds;  // user + system, all threads
    double peakRssMiB;  // largest resident set so far
};

inline ProcessUsage ReadProcessUsage(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {cpu, usage.ru_maxrss / 1024.0};
}
