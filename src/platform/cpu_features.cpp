#include "platform/cpu_features.hpp"

#if defined(_MSC_VER) && defined(_M_X64)
#include <immintrin.h>
#include <intrin.h>
#endif

namespace velmora::platform {

namespace {

bool probe_avx() {
#if defined(_MSC_VER) && defined(_M_X64)
    // CPUID.1:ECX bit 27 (OSXSAVE) and bit 28 (AVX), then XCR0 bits 1 and 2: the OS
    // saves both the XMM and the YMM halves on a context switch.
    int regs[4];
    __cpuid(regs, 1);
    const bool osxsave = (regs[2] & (1 << 27)) != 0;
    const bool avx = (regs[2] & (1 << 28)) != 0;
    return osxsave && avx && (_xgetbv(0) & 0x6) == 0x6;
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    // libgcc's probe also checks XGETBV, so "avx" means the OS saves the YMM state too.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
#else
    // Not an x86-64 processor: the question has no meaning, and no AVX kernel is built.
    return false;
#endif
}

}  // namespace

bool cpu_has_avx() {
    static const bool has_avx = probe_avx();
    return has_avx;
}

}  // namespace velmora::platform
