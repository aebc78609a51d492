// Cached cos/sin values of the direct DFT, one table per series length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace velmora::kinematics {

// Speed series come from tracks of at most 300 points, so o <= 299.
inline constexpr std::size_t kMaxSeriesLength = 300;

// Bins are grouped in blocks so that the transform can run several bins side by side
// in vector registers. Within a block, for each sample k, the table holds the
// kTwiddleBlock cosines and then the kTwiddleBlock sines of bins
// (block * kTwiddleBlock + 1) .. (block * kTwiddleBlock + kTwiddleBlock). Lanes past the
// last real bin are 0.0 and their results are ignored.
inline constexpr std::size_t kTwiddleBlock = 8;

struct TwiddleTable {
    std::size_t length = 0;  // o, the number of samples
    std::size_t bins = 0;    // o / 2
    std::size_t blocks = 0;  // bins rounded up to whole blocks
    const double* values = nullptr;  // blocks * length * 2 * kTwiddleBlock, 64-byte aligned

    const double* block(std::size_t b) const { return values + b * length * 2 * kTwiddleBlock; }
};

// The angle of bin j at sample k, exactly as the reference transform forms it.
double twiddle_angle(std::size_t j, std::size_t k, std::size_t o);

// Tables are cached per series length within a fixed memory budget per process. All 292
// possible lengths would take about 71 MiB; when a new table does not fit, the least
// recently used ones are dropped first. A dropped length is simply built again when it
// returns, with the same values.
inline constexpr std::size_t kTwiddleCacheBudget = std::size_t{16} << 20;

// What the table for length o counts against the budget: its values plus allocation slack.
std::size_t twiddle_table_bytes(std::size_t o);

// The table for series length o (kMinSpectralSamples <= o < kMaxSeriesLength), from the
// cache or built now. The handle keeps the table alive even if the cache drops it meanwhile.
std::shared_ptr<const TwiddleTable> twiddle_table(std::size_t o);

struct TwiddleCacheStats {
    std::size_t bytes = 0;     // counted as twiddle_table_bytes, never above kTwiddleCacheBudget
    std::size_t tables = 0;    // lengths currently cached
    std::uint64_t builds = 0;  // tables built since the process started (misses)
};
TwiddleCacheStats twiddle_cache_stats();

}  // namespace velmora::kinematics
