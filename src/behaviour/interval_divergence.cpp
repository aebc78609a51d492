#include "behaviour/interval_divergence.hpp"

#include <array>
#include <cstdint>
#include <vector>

#include "behaviour/running_stats.hpp"

namespace velmora::behaviour {

double interval_divergence(std::span<const PointerSample> track,
                           std::span<const std::pair<std::size_t, std::size_t>> movements) {
    // Binned ranks: a histogram, then each bin's mean rank, so the cost stays linear.
    std::array<std::uint32_t, kIntervalBins> count{};
    std::vector<std::uint16_t> bins;        // each counted interval's bin, movement after movement
    std::vector<std::size_t> sizes;         // intervals per counted movement
    for (const auto& [begin, end] : movements) {
        if (end < begin + kDivergenceMovementSteps + 1) continue;
        for (std::size_t i = begin + 1; i < end; ++i) {
            const std::size_t b = bin_of(track[i].t - track[i - 1].t, kIntervalBinMs, kIntervalBins);
            ++count[b];
            bins.push_back(static_cast<std::uint16_t>(b));
        }
        sizes.push_back(end - begin - 1);
    }
    const std::size_t n = bins.size();
    if (sizes.size() < kDivergenceMovements || n < kDivergenceSteps) return 0.0;
    std::array<double, kIntervalBins> rank{};
    double below = 0.0;
    for (std::size_t b = 0; b < kIntervalBins; ++b) {
        const double c = static_cast<double>(count[b]);
        rank[b] = below + 0.5 * (c + 1.0);
        below += c;
    }
    const double nd = static_cast<double>(n), centre = 0.5 * (nd + 1.0);
    double between = 0.0;  // sum over movements of size * (mean rank - overall mean rank)^2
    std::size_t at = 0;
    for (const std::size_t size : sizes) {
        double sum = 0.0;
        for (const std::size_t end = at + size; at < end; ++at) sum += rank[bins[at]];
        const double m = static_cast<double>(size), gap = sum / m - centre;
        between += m * gap * gap;
    }
    const double h = 12.0 * between / (nd * (nd + 1.0));
    return h / (nd - 1.0);
}

}  // namespace velmora::behaviour
