// The curvature loop, in one scalar and several vector variants.
//
// Every variant evaluates, for k in [0, count):
//     s        = vx[k]*vx[k] + vy[k]*vy[k] + 1e-6
//     kappa[k] = |vx[k]*ay[k] - vy[k]*ax[k]| / (s * sqrt(s))
// with the same operations in the same order (no fused multiply-add, correctly
// rounded square root, |.| by clearing the sign bit exactly as std::fabs does),
// so all of them produce bit-identical results.
//
// A NaN result is always written as the quiet NaN 0x7ff8000000000000. When both
// operands of a commutative instruction are NaNs the hardware propagates the first
// one, and which operand comes first is the register allocator's choice, so NaN
// payloads would otherwise differ between the kernels (and between builds). Callers pass the velocities of the
// later step (vx + 1, vy + 1) so that acceleration k meets velocity k+1.
#pragma once

#include <cstddef>

#include "numeric/kernel_list.hpp"
#include "platform/target_arch.hpp"

namespace velmora::curvature {

struct CurvatureInputs {
    const double* vx;  // velocity of the later step
    const double* vy;
    const double* ax;  // acceleration between that step and the one before
    const double* ay;
};

using CurvatureKernel = void (*)(CurvatureInputs in, double* kappa, std::size_t count);

// Portable, on every processor.
void curvature_kernel_scalar(CurvatureInputs in, double* kappa, std::size_t count);
#if defined(VELMORA_ARCH_X86_64)
// Two values per step (SSE2, the x86-64 baseline).
void curvature_kernel_sse2(CurvatureInputs in, double* kappa, std::size_t count);
// Four values per step. Needs a processor (and OS) with AVX; see platform::cpu_has_avx().
void curvature_kernel_avx(CurvatureInputs in, double* kappa, std::size_t count);
#endif
#if defined(VELMORA_ARCH_AARCH64)
// Two values per step (NEON, the AArch64 baseline).
void curvature_kernel_neon(CurvatureInputs in, double* kappa, std::size_t count);
#endif

using NamedCurvatureKernel = numeric::NamedKernel<CurvatureKernel>;

// Every variant this processor runs, the scalar reference first and the widest last.
numeric::KernelList<CurvatureKernel> runnable_curvature_kernels();

// The widest variant this processor runs, chosen on first use and then cached.
CurvatureKernel select_curvature_kernel();

}  // namespace velmora::curvature
