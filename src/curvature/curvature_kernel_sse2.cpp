// Two curvature values per step with SSE2 (always present on x86-64).
#include "platform/target_arch.hpp"

#if defined(VELMORA_ARCH_X86_64)
#include <emmintrin.h>

#include "curvature/curvature_point.hpp"

namespace velmora::curvature {

void curvature_kernel_sse2(CurvatureInputs in, double* kappa, std::size_t count) {
    const __m128d regulariser = _mm_set1_pd(kSpeedRegulariser);
    // As std::fabs: clear the sign bit and nothing else.
    const __m128d magnitude_mask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const __m128d canonical_nan = _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(kCanonicalNaNBits)));
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128d vx = _mm_loadu_pd(in.vx + k);
        const __m128d vy = _mm_loadu_pd(in.vy + k);
        const __m128d ax = _mm_loadu_pd(in.ax + k);
        const __m128d ay = _mm_loadu_pd(in.ay + k);
        const __m128d s = _mm_add_pd(_mm_add_pd(_mm_mul_pd(vx, vx), _mm_mul_pd(vy, vy)), regulariser);
        const __m128d cross = _mm_sub_pd(_mm_mul_pd(vx, ay), _mm_mul_pd(vy, ax));
        const __m128d value = _mm_div_pd(_mm_and_pd(cross, magnitude_mask), _mm_mul_pd(s, _mm_sqrt_pd(s)));
        const __m128d is_nan = _mm_cmpunord_pd(value, value);
        _mm_storeu_pd(kappa + k, _mm_or_pd(_mm_andnot_pd(is_nan, value), _mm_and_pd(is_nan, canonical_nan)));
    }
    for (; k < count; ++k) kappa[k] = curvature_at(in, k);
}

}  // namespace velmora::curvature

#endif  // VELMORA_ARCH_X86_64
