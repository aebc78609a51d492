#include "kinematics/spectrum.hpp"

#include <cmath>
#include <cstring>
#include <vector>

#include "kinematics/series_stats.hpp"
#include "kinematics/twiddle_table.hpp"

namespace velmora::kinematics {

namespace {

// Below this the centred speeds are constant up to rounding: no spectrum to speak of.
constexpr double kMinTotalPower = 1e-9;
// Bins with a smaller share contribute nothing measurable to the entropy.
constexpr double kMinBinShare = 1e-12;

// Two bins per register (SSE2 is the x86-64 baseline). Each lane runs the same
// multiply and add/subtract in the same order as the reference, one bin per lane, so
// the results are the reference's bit for bit; the lanes only let several bins'
// dependency chains advance together.
using Lane2 = double __attribute__((vector_size(16)));
constexpr std::size_t kLanes = 2;
constexpr std::size_t kVectorsPerBlock = kTwiddleBlock / kLanes;

void transform_block(const double* row, const double* centred, std::size_t o, double* power,
                     std::size_t first_bin, std::size_t bins) {
    Lane2 re[kVectorsPerBlock] = {};
    Lane2 im[kVectorsPerBlock] = {};
    for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
        const double ck = centred[k];
        const Lane2 c = {ck, ck};
        for (std::size_t v = 0; v < kVectorsPerBlock; ++v) {
            Lane2 cos_v, sin_v;
            std::memcpy(&cos_v, row + v * kLanes, sizeof cos_v);
            std::memcpy(&sin_v, row + kTwiddleBlock + v * kLanes, sizeof sin_v);
            re[v] = re[v] + cos_v * c;
            im[v] = im[v] - sin_v * c;
        }
    }
    for (std::size_t lane = 0; lane < kTwiddleBlock; ++lane) {
        const std::size_t j = first_bin + lane;
        if (j > bins) break;
        const double r = re[lane / kLanes][lane % kLanes];
        const double i = im[lane / kLanes][lane % kLanes];
        power[j - 1] = i * i + r * r;
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

void power_spectrum(std::span<const double> centred, std::span<double> power) {
    // Longer series never come from a motion track; they are served, just not cached.
    if (centred.size() >= kMaxSeriesLength) return power_spectrum_reference(centred, power);
    const TwiddleTable& table = twiddle_table(centred.size());
    for (std::size_t b = 0; b < table.blocks; ++b)
        transform_block(table.block(b), centred.data(), table.length, power.data(), b * kTwiddleBlock + 1,
                        table.bins);
}

SpectralFeatures spectral_features(std::span<const double> speed, double mean_speed) {
    SpectralFeatures result;
    const std::size_t o = speed.size();
    if (o < kMinSpectralSamples) return result;

    std::vector<double> centred(o);
    for (std::size_t k = 0; k < o; ++k) centred[k] = speed[k] - mean_speed;
    const std::size_t bins = o / 2;
    std::vector<double> power(bins);
    power_spectrum(centred, power);

    const double total = sum_in_order(power);
    if (!(total > kMinTotalPower)) return result;
    const double peak = running_max_from_zero(power);
    double entropy_bits = 0.0;
    for (double p_j : power) {
        const double p = p_j / total;
        if (p > kMinBinShare) entropy_bits = entropy_bits - std::log2(p) * p;
    }
    result.spectral_entropy = entropy_bits / std::log2(static_cast<double>(bins));
    result.spectral_purity = peak / total;
    return result;
}

}  // namespace velmora::kinematics
