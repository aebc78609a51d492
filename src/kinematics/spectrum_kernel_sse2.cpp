#include <cstring>

#include "kinematics/spectrum_kernel.hpp"

namespace velmora::kinematics {

namespace {

// Two bins per register, four registers per block, each its own variable so that all eight
// accumulators stay in registers.
using Lane2 = double __attribute__((vector_size(16)));
static_assert(kTwiddleBlock == 8, "the kernel below is written for blocks of 8 bins");

inline Lane2 load2(const double* p) {
    Lane2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store2(double* p, Lane2 v) { std::memcpy(p, &v, sizeof v); }

}  // namespace

void transform_block_sse2(const double* row, const double* centred, std::size_t o, BlockSums& out) {
    Lane2 re0 = {}, re1 = {}, re2 = {}, re3 = {};
    Lane2 im0 = {}, im1 = {}, im2 = {}, im3 = {};
    for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
        const Lane2 c = {centred[k], centred[k]};
        re0 = re0 + load2(row + 0) * c;
        re1 = re1 + load2(row + 2) * c;
        re2 = re2 + load2(row + 4) * c;
        re3 = re3 + load2(row + 6) * c;
        im0 = im0 - load2(row + 8) * c;
        im1 = im1 - load2(row + 10) * c;
        im2 = im2 - load2(row + 12) * c;
        im3 = im3 - load2(row + 14) * c;
    }
    store2(out.re + 0, re0);
    store2(out.re + 2, re1);
    store2(out.re + 4, re2);
    store2(out.re + 6, re3);
    store2(out.im + 0, im0);
    store2(out.im + 2, im1);
    store2(out.im + 4, im2);
    store2(out.im + 6, im3);
}

}  // namespace velmora::kinematics
