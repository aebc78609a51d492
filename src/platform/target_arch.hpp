// Which instruction set this translation unit is compiled for, under one name for every
// compiler (GCC and Clang spell it __x86_64__ / __aarch64__, MSVC _M_X64 / _M_ARM64).
// The vector kernels exist only for the processor they are written for; everything
// else runs the portable kernels.
#pragma once

#if defined(__x86_64__) || (defined(_M_X64) && !defined(_M_ARM64EC))
#define VELMORA_ARCH_X86_64 1  // SSE2 is part of the baseline; AVX is probed at run time
#elif defined(__aarch64__) || defined(_M_ARM64)
#define VELMORA_ARCH_AARCH64 1  // NEON (Advanced SIMD) is part of the baseline
#endif
