#include "curvature/curvature_point.hpp"

namespace velmora::curvature {

void curvature_kernel_scalar(CurvatureInputs in, double* kappa, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) kappa[k] = curvature_at(in, k);
}

}  // namespace velmora::curvature
