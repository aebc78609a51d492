// Four curvature values per step with AVX. This file alone is compiled with -mavx
// (/arch:AVX with MSVC), so it includes nothing that could be shared as an inline
// definition with code built for plain x86-64 (see curvature_point.hpp).
#include "platform/target_arch.hpp"

#if defined(VELMORA_ARCH_X86_64)
#include <immintrin.h>

#include "curvature/curvature_point.hpp"

namespace velmora::curvature {

void curvature_kernel_avx(CurvatureInputs in, double* kappa, std::size_t count) {
    const __m256d regulariser = _mm256_set1_pd(kSpeedRegulariser);
    // As std::fabs: clear the sign bit and nothing else.
    const __m256d magnitude_mask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
    const __m256d canonical_nan =
        _mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(kCanonicalNaNBits)));
    std::size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d vx = _mm256_loadu_pd(in.vx + k);
        const __m256d vy = _mm256_loadu_pd(in.vy + k);
        const __m256d ax = _mm256_loadu_pd(in.ax + k);
        const __m256d ay = _mm256_loadu_pd(in.ay + k);
        const __m256d s =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(vx, vx), _mm256_mul_pd(vy, vy)), regulariser);
        const __m256d cross = _mm256_sub_pd(_mm256_mul_pd(vx, ay), _mm256_mul_pd(vy, ax));
        const __m256d value =
            _mm256_div_pd(_mm256_and_pd(cross, magnitude_mask), _mm256_mul_pd(s, _mm256_sqrt_pd(s)));
        const __m256d is_nan = _mm256_cmp_pd(value, value, _CMP_UNORD_Q);
        _mm256_storeu_pd(kappa + k, _mm256_blendv_pd(value, canonical_nan, is_nan));
    }
    for (; k < count; ++k) kappa[k] = curvature_at(in, k);
}

}  // namespace velmora::curvature

#endif  // VELMORA_ARCH_X86_64
