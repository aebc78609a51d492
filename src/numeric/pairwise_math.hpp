// Element-wise square roots and quotients over whole lists, two lanes at a time with the
// processor's baseline vectors (SSE2 on x86-64, NEON on AArch64), one at a time elsewhere.
// IEEE square root and division are correctly rounded in every lane, so the results are
// those of the scalar operations bit for bit; the lanes only halve the time the
// long-latency divider and square-root unit take.
#pragma once

#include <cmath>
#include <cstddef>

#include "platform/target_arch.hpp"

#if defined(VELMORA_ARCH_X86_64)
#include <emmintrin.h>
#elif defined(VELMORA_ARCH_AARCH64)
#include <arm_neon.h>
#endif

namespace velmora::numeric {

// out[i] = sqrt(in[i]); `out` may be `in`.
inline void sqrt_each(const double* in, double* out, std::size_t n) {
    std::size_t i = 0;
#if defined(VELMORA_ARCH_X86_64)
    for (; i + 2 <= n; i += 2) _mm_storeu_pd(out + i, _mm_sqrt_pd(_mm_loadu_pd(in + i)));
#elif defined(VELMORA_ARCH_AARCH64)
    for (; i + 2 <= n; i += 2) vst1q_f64(out + i, vsqrtq_f64(vld1q_f64(in + i)));
#endif
    for (; i < n; ++i) out[i] = std::sqrt(in[i]);
}

// out[i] = num[i] / den[i].
inline void divide_each(const double* num, const double* den, double* out, std::size_t n) {
    std::size_t i = 0;
#if defined(VELMORA_ARCH_X86_64)
    for (; i + 2 <= n; i += 2) _mm_storeu_pd(out + i, _mm_div_pd(_mm_loadu_pd(num + i), _mm_loadu_pd(den + i)));
#elif defined(VELMORA_ARCH_AARCH64)
    for (; i + 2 <= n; i += 2) vst1q_f64(out + i, vdivq_f64(vld1q_f64(num + i), vld1q_f64(den + i)));
#endif
    for (; i < n; ++i) out[i] = num[i] / den[i];
}

}  // namespace velmora::numeric
