// Frequency-domain features of the speed profile: how much of its fluctuation
// sits in one rhythm (purity) and how evenly it spreads over the bins (entropy).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "numeric/kernel_list.hpp"

namespace velmora::features {

// Shorter speed series carry too few bins for a meaningful spectrum.
inline constexpr std::size_t kMinSpectralSamples = 8;

// Defaults: no usable spectrum.
struct SpectralFeatures {
    double spectral_purity = 0.0;
    double spectral_entropy = 1.0;
};

// `mean_speed` is the caller's mean of `speed` (the same double, not recomputed).
SpectralFeatures spectral_features(std::span<const double> speed, double mean_speed);
// The same with tables from `cache` instead of the process-wide one (same bits).
class TwiddleCache;
SpectralFeatures spectral_features(std::span<const double> speed, double mean_speed, TwiddleCache& cache);

// Power of bins 1 .. o/2 of the direct DFT of `centred` (o samples); power[j - 1] is
// bin j and `power` holds o/2 entries. Needs o >= 2.
// The fast path reads cached twiddle tables; the reference evaluates sin/cos in place.
// Both give bit-identical results.
void power_spectrum(std::span<const double> centred, std::span<double> power);
void power_spectrum_reference(std::span<const double> centred, std::span<double> power);

// The fast path's loop over a twiddle table, in a portable and several vector variants:
// power[j - 1] for every bin j of the table, from `centred` (table.length samples).
struct TwiddleTable;
using SpectrumKernel = void (*)(const TwiddleTable& table, const double* centred, double* power);
// Every variant this processor runs, portable first and the widest last.
numeric::KernelList<SpectrumKernel> runnable_spectrum_kernels();
// The widest, chosen on first use and then cached; power_spectrum uses it.
SpectrumKernel fastest_spectrum_kernel();
void power_spectrum_with(SpectrumKernel kernel, std::span<const double> centred, std::span<double> power);
// The same with tables from `cache` instead of the process-wide one.
void power_spectrum_with(SpectrumKernel kernel, TwiddleCache& cache, std::span<const double> centred,
                         std::span<double> power);

}  // namespace velmora::features
