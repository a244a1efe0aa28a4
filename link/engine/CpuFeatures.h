#pragma once

#include <cstdlib>

// Which vector instructions the link engine uses. TORVANE_X86_SIMD marks a
// build for x86-64 with GCC or Clang: SSE2 is then always there, and SSSE3
// code is compiled per function (target("ssse3")) and run only when the
// processor has it. Setting TORVANE_SCALAR in the environment turns every
// vector path off, so that the tests also run the plain ones on any machine.
#if defined(__GNUC__) && defined(__x86_64__)
#define TORVANE_X86_SIMD 1
#include <immintrin.h>
#endif

namespace CpuFeatures {

// Read once, at the first call.
inline bool ForcedScalar() {
    static const bool scalar = std::getenv("TORVANE_SCALAR") != nullptr;
    return scalar;
}

#ifdef TORVANE_X86_SIMD
inline bool Sse2() { return !ForcedScalar(); }

inline bool Ssse3() {
    static const bool has = [] {
        __builtin_cpu_init();
        return !ForcedScalar() && __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}
#endif

}  // namespace CpuFeatures
