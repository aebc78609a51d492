// The transform loop in plain C++, for processors without a vector build. Lane by lane it
// is the vector kernels' arithmetic: one product and one sum per bin and sample.
#include "features/spectrum_kernel.hpp"

namespace velmora::features {

void transform_block_portable(const double* row, const double* centred, std::size_t o, BlockSums& out) {
    BlockSums sums{};
    for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
        const double c = centred[k];
        for (std::size_t lane = 0; lane < kTwiddleBlock; ++lane) {
            sums.re[lane] = sums.re[lane] + row[lane] * c;
            sums.im[lane] = sums.im[lane] - row[kTwiddleBlock + lane] * c;
        }
    }
    out = sums;
}

}  // namespace velmora::features
