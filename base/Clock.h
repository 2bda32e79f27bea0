#pragma once
// A monotonic clock in microseconds, for the figures the benchmarks read.

#include <windows.h>

namespace kelup {

inline long long MicrosNow() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return t.QuadPart / f.QuadPart * 1000000 + t.QuadPart % f.QuadPart * 1000000 / f.QuadPart;
}

}  // namespace kelup
