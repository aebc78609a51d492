#include "curvature/curvature_kernels.hpp"
#include "platform/cpu_features.hpp"

namespace velmora::curvature {

numeric::KernelList<CurvatureKernel> runnable_curvature_kernels() {
    numeric::KernelList<CurvatureKernel> list{{"scalar", curvature_kernel_scalar}};
#if defined(VELMORA_ARCH_X86_64)
    list.push_back({"sse2", curvature_kernel_sse2});
    if (platform::cpu_has_avx()) list.push_back({"avx", curvature_kernel_avx});
#elif defined(VELMORA_ARCH_AARCH64)
    list.push_back({"neon", curvature_kernel_neon});
#endif
    return list;
}

CurvatureKernel select_curvature_kernel() {
    static const CurvatureKernel kernel = runnable_curvature_kernels().back().kernel;
    return kernel;
}

}  // namespace velmora::curvature
