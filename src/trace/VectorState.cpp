#include "trace/VectorState.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

namespace {

__attribute__((target("avx"))) void zeroUpperHalves() {
    _mm256_zeroupper();
}

} // namespace

void vectorstate::clearUpper() {
    // Only processors with AVX have the upper halves (and the instruction).
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        zeroUpperHalves();
}

#else

void vectorstate::clearUpper() {}

#endif
