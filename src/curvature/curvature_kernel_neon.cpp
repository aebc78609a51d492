// Two curvature values per step with NEON (always present on AArch64). Its multiply,
// add, divide and square root are the IEEE operations of the scalar code, lane by lane.
#include "platform/target_arch.hpp"

#if defined(VELMORA_ARCH_AARCH64)
#include <arm_neon.h>

#include "curvature/curvature_point.hpp"

namespace velmora::curvature {

void curvature_kernel_neon(CurvatureInputs in, double* kappa, std::size_t count) {
    const float64x2_t regulariser = vdupq_n_f64(kSpeedRegulariser);
    const float64x2_t canonical_nan = vreinterpretq_f64_u64(vdupq_n_u64(kCanonicalNaNBits));
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const float64x2_t vx = vld1q_f64(in.vx + k);
        const float64x2_t vy = vld1q_f64(in.vy + k);
        const float64x2_t ax = vld1q_f64(in.ax + k);
        const float64x2_t ay = vld1q_f64(in.ay + k);
        const float64x2_t s = vaddq_f64(vaddq_f64(vmulq_f64(vx, vx), vmulq_f64(vy, vy)), regulariser);
        const float64x2_t cross = vsubq_f64(vmulq_f64(vx, ay), vmulq_f64(vy, ax));
        // FABS clears the sign bit and nothing else, NaNs included, as std::fabs.
        const float64x2_t value = vdivq_f64(vabsq_f64(cross), vmulq_f64(s, vsqrtq_f64(s)));
        const uint64x2_t is_number = vceqq_f64(value, value);
        vst1q_f64(kappa + k, vbslq_f64(is_number, value, canonical_nan));
    }
    for (; k < count; ++k) kappa[k] = curvature_at(in, k);
}

}  // namespace velmora::curvature

#endif  // VELMORA_ARCH_AARCH64
