// One curvature value, the reference that every kernel's scalar tail reuses.
//
// Internal linkage on purpose: the AVX kernel's translation unit is compiled with
// -mavx, and a shared inline definition could let the linker hand that AVX-encoded
// copy to code running on a processor without AVX. Each kernel gets its own copy.
#pragma once

#include <cmath>
#include <cstddef>

#include "curvature/curvature_kernels.hpp"

namespace velmora::curvature {
namespace {

// Keeps the division finite when the pointer stands still.
constexpr double kSpeedRegulariser = 1e-6;

inline double curvature_at(const CurvatureInputs& in, std::size_t k) {
    const double vx = in.vx[k];
    const double vy = in.vy[k];
    const double s = vx * vx + vy * vy + kSpeedRegulariser;
    const double cross = vx * in.ay[k] - vy * in.ax[k];
    return std::fabs(cross) / (s * std::sqrt(s));
}

}  // namespace
}  // namespace velmora::curvature
