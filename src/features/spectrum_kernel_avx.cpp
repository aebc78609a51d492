// Compiled with -mavx (/arch:AVX with MSVC); only called after the processor check (see
// spectrum.cpp).
#include "features/spectrum_kernel.hpp"

#if defined(VELMORA_ARCH_X86_64)
#include <immintrin.h>

namespace velmora::features {

static_assert(kTwiddleBlock == 8, "the kernel below is written for blocks of 8 bins");

void transform_block_pair_avx(const double* row_a, const double* row_b, const double* centred, std::size_t o,
                              BlockSums& out_a, BlockSums& out_b) {
    __m256d re_a0 = _mm256_setzero_pd(), re_a1 = _mm256_setzero_pd();
    __m256d im_a0 = _mm256_setzero_pd(), im_a1 = _mm256_setzero_pd();
    __m256d re_b0 = _mm256_setzero_pd(), re_b1 = _mm256_setzero_pd();
    __m256d im_b0 = _mm256_setzero_pd(), im_b1 = _mm256_setzero_pd();
    for (std::size_t k = 0; k < o; ++k, row_a += 2 * kTwiddleBlock, row_b += 2 * kTwiddleBlock) {
        const __m256d c = _mm256_set1_pd(centred[k]);
        re_a0 = _mm256_add_pd(re_a0, _mm256_mul_pd(_mm256_loadu_pd(row_a + 0), c));
        re_a1 = _mm256_add_pd(re_a1, _mm256_mul_pd(_mm256_loadu_pd(row_a + 4), c));
        im_a0 = _mm256_sub_pd(im_a0, _mm256_mul_pd(_mm256_loadu_pd(row_a + 8), c));
        im_a1 = _mm256_sub_pd(im_a1, _mm256_mul_pd(_mm256_loadu_pd(row_a + 12), c));
        re_b0 = _mm256_add_pd(re_b0, _mm256_mul_pd(_mm256_loadu_pd(row_b + 0), c));
        re_b1 = _mm256_add_pd(re_b1, _mm256_mul_pd(_mm256_loadu_pd(row_b + 4), c));
        im_b0 = _mm256_sub_pd(im_b0, _mm256_mul_pd(_mm256_loadu_pd(row_b + 8), c));
        im_b1 = _mm256_sub_pd(im_b1, _mm256_mul_pd(_mm256_loadu_pd(row_b + 12), c));
    }
    _mm256_storeu_pd(out_a.re + 0, re_a0);
    _mm256_storeu_pd(out_a.re + 4, re_a1);
    _mm256_storeu_pd(out_a.im + 0, im_a0);
    _mm256_storeu_pd(out_a.im + 4, im_a1);
    _mm256_storeu_pd(out_b.re + 0, re_b0);
    _mm256_storeu_pd(out_b.re + 4, re_b1);
    _mm256_storeu_pd(out_b.im + 0, im_b0);
    _mm256_storeu_pd(out_b.im + 4, im_b1);
}

}  // namespace velmora::features

#endif  // VELMORA_ARCH_X86_64
