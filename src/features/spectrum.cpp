#include "features/spectrum.hpp"

#include <cmath>
#include <memory>
#include <vector>

#include "numeric/statistics.hpp"
#include "features/spectrum_kernel.hpp"
#include "features/twiddle_table.hpp"
#include "platform/cpu_features.hpp"
#include "platform/target_arch.hpp"

namespace velmora::features {

namespace {

// Below this the centred speeds are constant up to rounding: no spectrum to speak of.
constexpr double kMinTotalPower = 1e-9;
// Bins with a smaller share contribute nothing measurable to the entropy.
constexpr double kMinBinShare = 1e-12;

void store_power(const BlockSums& sums, std::size_t block, std::size_t bins, double* power) {
    for (std::size_t lane = 0; lane < kTwiddleBlock; ++lane) {
        const std::size_t j = block * kTwiddleBlock + lane + 1;
        if (j > bins) break;
        power[j - 1] = sums.im[lane] * sums.im[lane] + sums.re[lane] * sums.re[lane];
    }
}

}  // namespace

void power_spectrum_reference(std::span<const double> centred, std::span<double> power) {
    const std::size_t o = centred.size();
    const std::size_t bins = o / 2;
    for (std::size_t j = 1; j <= bins; ++j) {
        double re = 0.0;
        double im = 0.0;
        for (std::size_t k = 0; k < o; ++k) {
            const double a = twiddle_angle(j, k, o);
            re = re + std::cos(a) * centred[k];
            im = im - std::sin(a) * centred[k];
        }
        power[j - 1] = im * im + re * re;
    }
}

namespace {

using BlockKernel = void (*)(const double* row, const double* centred, std::size_t o, BlockSums& out);

template <BlockKernel one_block>
void blocks_one_by_one(const TwiddleTable& table, const double* centred, double* power) {
    for (std::size_t b = 0; b < table.blocks; ++b) {
        BlockSums sums;
        one_block(table.block(b), centred, table.length, sums);
        store_power(sums, b, table.bins, power);
    }
}

#if defined(VELMORA_ARCH_X86_64)
// AVX pairs its blocks and leaves an odd last one to SSE2.
void blocks_in_pairs_avx(const TwiddleTable& table, const double* centred, double* power) {
    std::size_t b = 0;
    for (; b + 1 < table.blocks; b += 2) {
        BlockSums first, second;
        transform_block_pair_avx(table.block(b), table.block(b + 1), centred, table.length, first, second);
        store_power(first, b, table.bins, power);
        store_power(second, b + 1, table.bins, power);
    }
    for (; b < table.blocks; ++b) {
        BlockSums sums;
        transform_block_sse2(table.block(b), centred, table.length, sums);
        store_power(sums, b, table.bins, power);
    }
}
#endif

}  // namespace

numeric::KernelList<SpectrumKernel> runnable_spectrum_kernels() {
    numeric::KernelList<SpectrumKernel> list{{"portable", blocks_one_by_one<transform_block_portable>}};
#if defined(VELMORA_ARCH_X86_64)
    list.push_back({"sse2", blocks_one_by_one<transform_block_sse2>});
    if (platform::cpu_has_avx()) list.push_back({"avx", blocks_in_pairs_avx});
#elif defined(VELMORA_ARCH_AARCH64)
    list.push_back({"neon", blocks_one_by_one<transform_block_neon>});
#endif
    return list;
}

SpectrumKernel fastest_spectrum_kernel() {
    static const SpectrumKernel kernel = runnable_spectrum_kernels().back().kernel;
    return kernel;
}

void power_spectrum_with(SpectrumKernel kernel, std::span<const double> centred, std::span<double> power) {
    power_spectrum_with(kernel, twiddle_cache(), centred, power);
}

void power_spectrum_with(SpectrumKernel kernel, TwiddleCache& cache, std::span<const double> centred,
                         std::span<double> power) {
    // Longer series never come from a motion track; they are served, just not cached.
    if (centred.size() >= kMaxSeriesLength) return power_spectrum_reference(centred, power);
    // A length the cache does not keep costs what building its table would.
    const std::shared_ptr<const TwiddleTable> held = cache.table(centred.size());
    if (!held) return power_spectrum_reference(centred, power);
    kernel(*held, centred.data(), power.data());
}

void power_spectrum(std::span<const double> centred, std::span<double> power) {
    power_spectrum_with(fastest_spectrum_kernel(), centred, power);
}

SpectralFeatures spectral_features(std::span<const double> speed, double mean_speed) {
    return spectral_features(speed, mean_speed, twiddle_cache());
}

SpectralFeatures spectral_features(std::span<const double> speed, double mean_speed, TwiddleCache& cache) {
    SpectralFeatures result;
    const std::size_t o = speed.size();
    if (o < kMinSpectralSamples) return result;

    const std::size_t bins = o / 2;
    std::vector<double> work(o + bins);
    const std::span<double> centred(work.data(), o);
    const std::span<double> power(work.data() + o, bins);
    for (std::size_t k = 0; k < o; ++k) centred[k] = speed[k] - mean_speed;
    power_spectrum_with(fastest_spectrum_kernel(), cache, centred, power);

    const double total = numeric::sum_in_order(power);
    if (!(total > kMinTotalPower)) return result;
    const double peak = numeric::running_max_from_zero(power);
    double entropy_bits = 0.0;
    for (double p_j : power) {
        const double p = p_j / total;
        if (p > kMinBinShare) entropy_bits = entropy_bits - std::log2(p) * p;
    }
    result.spectral_entropy = entropy_bits / std::log2(static_cast<double>(bins));
    result.spectral_purity = peak / total;
    return result;
}

}  // namespace velmora::features
