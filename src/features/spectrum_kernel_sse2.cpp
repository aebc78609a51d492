#include "features/spectrum_kernel.hpp"

#if defined(VELMORA_ARCH_X86_64)
#include <emmintrin.h>

namespace velmora::features {

static_assert(kTwiddleBlock == 8, "the kernel below is written for blocks of 8 bins");

// Two bins per register, four registers per block, each its own variable so that all eight
// accumulators stay in registers.
void transform_block_sse2(const double* row, const double* centred, std::size_t o, BlockSums& out) {
    __m128d re0 = _mm_setzero_pd(), re1 = _mm_setzero_pd(), re2 = _mm_setzero_pd(), re3 = _mm_setzero_pd();
    __m128d im0 = _mm_setzero_pd(), im1 = _mm_setzero_pd(), im2 = _mm_setzero_pd(), im3 = _mm_setzero_pd();
    for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
        const __m128d c = _mm_set1_pd(centred[k]);
        re0 = _mm_add_pd(re0, _mm_mul_pd(_mm_loadu_pd(row + 0), c));
        re1 = _mm_add_pd(re1, _mm_mul_pd(_mm_loadu_pd(row + 2), c));
        re2 = _mm_add_pd(re2, _mm_mul_pd(_mm_loadu_pd(row + 4), c));
        re3 = _mm_add_pd(re3, _mm_mul_pd(_mm_loadu_pd(row + 6), c));
        im0 = _mm_sub_pd(im0, _mm_mul_pd(_mm_loadu_pd(row + 8), c));
        im1 = _mm_sub_pd(im1, _mm_mul_pd(_mm_loadu_pd(row + 10), c));
        im2 = _mm_sub_pd(im2, _mm_mul_pd(_mm_loadu_pd(row + 12), c));
        im3 = _mm_sub_pd(im3, _mm_mul_pd(_mm_loadu_pd(row + 14), c));
    }
    _mm_storeu_pd(out.re + 0, re0);
    _mm_storeu_pd(out.re + 2, re1);
    _mm_storeu_pd(out.re + 4, re2);
    _mm_storeu_pd(out.re + 6, re3);
    _mm_storeu_pd(out.im + 0, im0);
    _mm_storeu_pd(out.im + 2, im1);
    _mm_storeu_pd(out.im + 4, im2);
    _mm_storeu_pd(out.im + 6, im3);
}

}  // namespace velmora::features

#endif  // VELMORA_ARCH_X86_64
