// Cached cos/sin values of the direct DFT, one table per series length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace velmora::features {

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

// Tables are cached per series length within a fixed memory budget per process: all 292
// possible lengths would take about 71 MiB (the lengths of a typical day's sessions about
// 25 MiB), and every worker process of a service keeps its own cache.
inline constexpr std::size_t kTwiddleCacheBudget = std::size_t{16} << 20;

// What the table for length o counts against a budget: its values plus allocation slack.
std::size_t twiddle_table_bytes(std::size_t o);

struct TwiddleCacheStats {
    std::size_t bytes = 0;         // counted as twiddle_table_bytes, never above the budget
    std::size_t tables = 0;        // lengths currently cached
    std::uint64_t requests = 0;
    std::uint64_t builds = 0;      // tables built and cached
    std::uint64_t not_cached = 0;  // requests answered without a table
};

// Tables by series length, within `budget` bytes. A request counts towards its length's
// use; a missing table is built if it fits, or if dropping cached tables of strictly less
// used lengths makes it fit (least used first; among equals, least recently used). Otherwise
// the request gets no table and the caller computes without one. Counts are halved every
// kAgingPeriod requests so that the cache follows a change in the lengths that arrive.
// Compared with dropping the least recently used table, this keeps the common lengths
// when many rare ones pass through, and does not thrash when the rare lengths alone
// exceed the budget. Thread-safe: a mutex guards the slots; a table is built under it, so
// the budget holds at every moment (a dropped table outlives the cache only while a
// concurrent caller still computes with it).
class TwiddleCache {
public:
    static constexpr std::uint64_t kAgingPeriod = 1024;

    explicit TwiddleCache(std::size_t budget);
    ~TwiddleCache();
    TwiddleCache(const TwiddleCache&) = delete;
    TwiddleCache& operator=(const TwiddleCache&) = delete;

    // The table for series length o (kMinSpectralSamples <= o < kMaxSeriesLength), or null
    // when it is not cached and does not earn a place. The handle keeps the table alive
    // even if the cache drops it meanwhile.
    std::shared_ptr<const TwiddleTable> table(std::size_t o);
    TwiddleCacheStats stats() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The process-wide cache, with kTwiddleCacheBudget; never destroyed.
TwiddleCache& twiddle_cache();

}  // namespace velmora::features
