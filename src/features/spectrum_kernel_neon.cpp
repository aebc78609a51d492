// Two bins per register with NEON (always present on AArch64), as the SSE2 kernel.
#include "features/spectrum_kernel.hpp"

#if defined(VELMORA_ARCH_AARCH64)
#include <arm_neon.h>

namespace velmora::features {

static_assert(kTwiddleBlock == 8, "the kernel below is written for blocks of 8 bins");

void transform_block_neon(const double* row, const double* centred, std::size_t o, BlockSums& out) {
    float64x2_t re0 = vdupq_n_f64(0.0), re1 = re0, re2 = re0, re3 = re0;
    float64x2_t im0 = re0, im1 = re0, im2 = re0, im3 = re0;
    for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
        const float64x2_t c = vdupq_n_f64(centred[k]);
        // Separate multiply and add (never FMLA): the same roundings as the scalar code.
        re0 = vaddq_f64(re0, vmulq_f64(vld1q_f64(row + 0), c));
        re1 = vaddq_f64(re1, vmulq_f64(vld1q_f64(row + 2), c));
        re2 = vaddq_f64(re2, vmulq_f64(vld1q_f64(row + 4), c));
        re3 = vaddq_f64(re3, vmulq_f64(vld1q_f64(row + 6), c));
        im0 = vsubq_f64(im0, vmulq_f64(vld1q_f64(row + 8), c));
        im1 = vsubq_f64(im1, vmulq_f64(vld1q_f64(row + 10), c));
        im2 = vsubq_f64(im2, vmulq_f64(vld1q_f64(row + 12), c));
        im3 = vsubq_f64(im3, vmulq_f64(vld1q_f64(row + 14), c));
    }
    vst1q_f64(out.re + 0, re0);
    vst1q_f64(out.re + 2, re1);
    vst1q_f64(out.re + 4, re2);
    vst1q_f64(out.re + 6, re3);
    vst1q_f64(out.im + 0, im0);
    vst1q_f64(out.im + 2, im1);
    vst1q_f64(out.im + 4, im2);
    vst1q_f64(out.im + 6, im3);
}

}  // namespace velmora::features

#endif  // VELMORA_ARCH_AARCH64
