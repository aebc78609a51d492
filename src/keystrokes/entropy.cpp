#include "keystrokes/entropy.hpp"

#include <array>
#include <cmath>
#include <cstdint>

namespace velmora::keystrokes {
namespace {

constexpr std::size_t kBins = 8;
constexpr std::uint64_t kMinFlights = 4;

}  // namespace

double flight_entropy(std::span<const double> flights) {
    std::array<std::uint64_t, kBins> bins{};
    std::uint64_t kept = 0;
    for (double x : flights) {
        if (!(x >= 0.0 && x <= 800.0)) continue;  // NaN fails too
        const double band = std::floor(x / 100.0);
        const std::size_t bin = band >= 7.0 ? 7 : static_cast<std::size_t>(band);
        ++bins[bin];
        ++kept;
    }
    if (kept < kMinFlights) return 0.5;
    const double m = static_cast<double>(kept);
    double entropy = 0.0;
    for (std::uint64_t k : bins) {
        if (k == 0) continue;
        const double p = static_cast<double>(k) / m;
        entropy = entropy - p * std::log2(p);
    }
    return entropy / 3.0;
}

}  // namespace velmora::keystrokes
