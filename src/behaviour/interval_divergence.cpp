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
    std::vector<std::pair<std::size_t, std::size_t>> used;
    std::size_t n = 0;
    for (const auto& [begin, end] : movements) {
        if (end <= begin || end - begin <= kDivergenceMovementSteps) continue;
        used.emplace_back(begin, end);
        for (std::size_t i = begin + 1; i < end; ++i) ++count[bin_of(track[i].t - track[i - 1].t, kIntervalBinMs, kIntervalBins)];
        n += end - begin - 1;
    }
    if (used.size() < kDivergenceMovements || n < kDivergenceSteps) return 0.0;
    std::array<double, kIntervalBins> rank{};
    double below = 0.0;
    for (std::size_t b = 0; b < kIntervalBins; ++b) {
        const double c = static_cast<double>(count[b]);
        rank[b] = below + 0.5 * (c + 1.0);
        below += c;
    }
    const double nd = static_cast<double>(n), centre = 0.5 * (nd + 1.0);
    double between = 0.0;  // sum over movements of size * (mean rank - overall mean rank)^2
    for (const auto& [begin, end] : used) {
        double sum = 0.0;
        for (std::size_t i = begin + 1; i < end; ++i) sum += rank[bin_of(track[i].t - track[i - 1].t, kIntervalBinMs, kIntervalBins)];
        const double size = static_cast<double>(end - begin - 1), gap = sum / size - centre;
        between += size * gap * gap;
    }
    const double h = 12.0 * between / (nd * (nd + 1.0));
    return h / (nd - 1.0);
}

}  // namespace velmora::behaviour
