// The inner loop of the direct DFT over cached twiddle tables, in two builds: SSE2 (the
// x86-64 baseline) and AVX (its own translation unit, compiled with -mavx). Both run, per
// bin, the same multiply and add/subtract in the same order as the literal transform,
// so every variant gives the literal transform's results bit for bit.
#pragma once

#include <cstddef>

#include "kinematics/twiddle_table.hpp"

namespace velmora::kinematics {

// Real and imaginary sums of the kTwiddleBlock bins of one table block.
struct BlockSums {
    double re[kTwiddleBlock];
    double im[kTwiddleBlock];
};

// `row` is TwiddleTable::block(b); `centred` holds the o samples.
void transform_block_sse2(const double* row, const double* centred, std::size_t o, BlockSums& out);

// Two blocks side by side: twice the independent accumulators keeps the wider units busy.
void transform_block_pair_avx(const double* row_a, const double* row_b, const double* centred, std::size_t o,
                              BlockSums& out_a, BlockSums& out_b);

}  // namespace velmora::kinematics
