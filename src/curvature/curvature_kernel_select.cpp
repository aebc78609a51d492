#include "curvature/curvature_kernels.hpp"
#include "platform/cpu_features.hpp"

namespace velmora::curvature {

CurvatureKernel select_curvature_kernel() {
    // The processor does not change under a running process: probe once.
    static const CurvatureKernel kernel =
        platform::cpu_has_avx() ? curvature_kernel_avx : curvature_kernel_sse2;
    return kernel;
}

}  // namespace velmora::curvature
