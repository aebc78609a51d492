// Two curvature values per step with SSE2 (always present on x86-64).
#include <emmintrin.h>

#include "curvature/curvature_point.hpp"

namespace velmora::curvature {

void curvature_kernel_sse2(CurvatureInputs in, double* kappa, std::size_t count) {
    const __m128d regulariser = _mm_set1_pd(kSpeedRegulariser);
    // std::fabs clears the sign bit and nothing else (NaN payloads kept).
    const __m128d magnitude_mask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128d vx = _mm_loadu_pd(in.vx + k);
        const __m128d vy = _mm_loadu_pd(in.vy + k);
        const __m128d ax = _mm_loadu_pd(in.ax + k);
        const __m128d ay = _mm_loadu_pd(in.ay + k);
        const __m128d s = _mm_add_pd(_mm_add_pd(_mm_mul_pd(vx, vx), _mm_mul_pd(vy, vy)), regulariser);
        const __m128d cross = _mm_sub_pd(_mm_mul_pd(vx, ay), _mm_mul_pd(vy, ax));
        const __m128d value = _mm_div_pd(_mm_and_pd(cross, magnitude_mask), _mm_mul_pd(s, _mm_sqrt_pd(s)));
        _mm_storeu_pd(kappa + k, value);
    }
    for (; k < count; ++k) kappa[k] = curvature_at(in, k);
}

}  // namespace velmora::curvature
