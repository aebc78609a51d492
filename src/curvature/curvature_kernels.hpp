// The curvature loop, in one scalar and two vector variants.
//
// Every variant evaluates, for k in [0, count):
//     s        = vx[k]*vx[k] + vy[k]*vy[k] + 1e-6
//     kappa[k] = |vx[k]*ay[k] - vy[k]*ax[k]| / (s * sqrt(s))
// with the same operations in the same order (no fused multiply-add, correctly
// rounded square root, |.| by clearing the sign bit exactly as std::fabs does),
// so all three produce bit-identical results. Callers pass the velocities of the
// later step (vx + 1, vy + 1) so that acceleration k meets velocity k+1.
#pragma once

#include <cstddef>

namespace velmora::curvature {

struct CurvatureInputs {
    const double* vx;  // velocity of the later step
    const double* vy;
    const double* ax;  // acceleration between that step and the one before
    const double* ay;
};

using CurvatureKernel = void (*)(CurvatureInputs in, double* kappa, std::size_t count);

void curvature_kernel_scalar(CurvatureInputs in, double* kappa, std::size_t count);
void curvature_kernel_sse2(CurvatureInputs in, double* kappa, std::size_t count);
// Needs a processor (and OS) with AVX; see platform::cpu_has_avx().
void curvature_kernel_avx(CurvatureInputs in, double* kappa, std::size_t count);

// The widest variant this processor runs, chosen on first use and then cached.
CurvatureKernel select_curvature_kernel();

}  // namespace velmora::curvature
