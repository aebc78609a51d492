// Compiled with -mavx; only called after the processor check (see spectrum.cpp).
#include <cstring>

#include "kinematics/spectrum_kernel.hpp"

namespace velmora::kinematics {

namespace {

using Lane4 = double __attribute__((vector_size(32)));
static_assert(kTwiddleBlock == 8, "the kernel below is written for blocks of 8 bins");

inline Lane4 load4(const double* p) {
    Lane4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(double* p, Lane4 v) { std::memcpy(p, &v, sizeof v); }

}  // namespace

void transform_block_pair_avx(const double* row_a, const double* row_b, const double* centred, std::size_t o,
                              BlockSums& out_a, BlockSums& out_b) {
    Lane4 re_a0 = {}, re_a1 = {}, im_a0 = {}, im_a1 = {};
    Lane4 re_b0 = {}, re_b1 = {}, im_b0 = {}, im_b1 = {};
    for (std::size_t k = 0; k < o; ++k, row_a += 2 * kTwiddleBlock, row_b += 2 * kTwiddleBlock) {
        const Lane4 c = {centred[k], centred[k], centred[k], centred[k]};
        re_a0 = re_a0 + load4(row_a + 0) * c;
        re_a1 = re_a1 + load4(row_a + 4) * c;
        im_a0 = im_a0 - load4(row_a + 8) * c;
        im_a1 = im_a1 - load4(row_a + 12) * c;
        re_b0 = re_b0 + load4(row_b + 0) * c;
        re_b1 = re_b1 + load4(row_b + 4) * c;
        im_b0 = im_b0 - load4(row_b + 8) * c;
        im_b1 = im_b1 - load4(row_b + 12) * c;
    }
    store4(out_a.re + 0, re_a0);
    store4(out_a.re + 4, re_a1);
    store4(out_a.im + 0, im_a0);
    store4(out_a.im + 4, im_a1);
    store4(out_b.re + 0, re_b0);
    store4(out_b.re + 4, re_b1);
    store4(out_b.im + 0, im_b0);
    store4(out_b.im + 4, im_b1);
}

}  // namespace velmora::kinematics
