// The inner loop of the direct DFT over cached twiddle tables, in a portable build and the
// vector builds of each processor: SSE2 (the x86-64 baseline), AVX (its own translation
// unit, compiled with -mavx) and NEON (the AArch64 baseline). All run, per bin, the same
// multiply and add/subtract in the same order as the literal transform, so every variant
// gives the literal transform's results bit for bit.
#pragma once

#include <cstddef>

#include "features/twiddle_table.hpp"
#include "platform/target_arch.hpp"

namespace velmora::features {

// Real and imaginary sums of the kTwiddleBlock bins of one table block.
struct BlockSums {
    double re[kTwiddleBlock];
    double im[kTwiddleBlock];
};

// `row` is TwiddleTable::block(b); `centred` holds the o samples.
void transform_block_portable(const double* row, const double* centred, std::size_t o, BlockSums& out);

#if defined(VELMORA_ARCH_X86_64)
void transform_block_sse2(const double* row, const double* centred, std::size_t o, BlockSums& out);

// Two blocks side by side: twice the independent accumulators keeps the wider units busy.
void transform_block_pair_avx(const double* row_a, const double* row_b, const double* centred, std::size_t o,
                              BlockSums& out_a, BlockSums& out_b);
#endif

#if defined(VELMORA_ARCH_AARCH64)
void transform_block_neon(const double* row, const double* centred, std::size_t o, BlockSums& out);
#endif

}  // namespace velmora::features
