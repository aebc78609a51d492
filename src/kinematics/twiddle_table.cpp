#include "kinematics/twiddle_table.hpp"

#include <cmath>
#include <mutex>
#include <new>

namespace velmora::kinematics {

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::size_t blocks_of(std::size_t o) { return (o / 2 + kTwiddleBlock - 1) / kTwiddleBlock; }

void free_table(const TwiddleTable* table) {
    ::operator delete[](const_cast<double*>(table->values), std::align_val_t{64});
    delete table;
}

std::shared_ptr<const TwiddleTable> build_table(std::size_t o) {
    auto* table = new TwiddleTable;
    table->length = o;
    table->bins = o / 2;
    table->blocks = blocks_of(o);
    const std::size_t count = table->blocks * o * 2 * kTwiddleBlock;
    auto* values = new (std::align_val_t{64}) double[count];
    for (std::size_t b = 0; b < table->blocks; ++b) {
        double* row = values + b * o * 2 * kTwiddleBlock;
        for (std::size_t k = 0; k < o; ++k, row += 2 * kTwiddleBlock) {
            for (std::size_t lane = 0; lane < kTwiddleBlock; ++lane) {
                const std::size_t j = b * kTwiddleBlock + lane + 1;
                const bool real_bin = j <= table->bins;
                const double a = real_bin ? twiddle_angle(j, k, o) : 0.0;
                row[lane] = real_bin ? std::cos(a) : 0.0;
                row[kTwiddleBlock + lane] = real_bin ? std::sin(a) : 0.0;
            }
        }
    }
    table->values = values;
    return std::shared_ptr<const TwiddleTable>(table, free_table);
}

// One slot per series length. Calls normally arrive with the interpreter lock held, which
// already serialises them, but the cache does not rely on it: a mutex guards the slots,
// and a table is built under it, so the budget holds at every moment (a dropped table
// outlives the cache only while a concurrent caller still computes with it). Building
// takes about o * o sin/cos evaluations, far more than a lookup; the linear scan for the
// least recently used slot runs only then.
struct Slot {
    std::shared_ptr<const TwiddleTable> table;
    std::uint64_t last_use = 0;
};

struct Cache {
    std::mutex mutex;
    Slot slots[kMaxSeriesLength];
    std::uint64_t clock = 0;
    TwiddleCacheStats stats;
};

// Lives for the whole process and is never destroyed, so no exit-time ordering applies.
Cache& cache() {
    static Cache* const instance = new Cache;
    return *instance;
}

void drop_least_recent(Cache& c) {
    Slot* oldest = nullptr;
    for (Slot& slot : c.slots)
        if (slot.table && (oldest == nullptr || slot.last_use < oldest->last_use)) oldest = &slot;
    c.stats.bytes -= twiddle_table_bytes(oldest->table->length);
    c.stats.tables -= 1;
    oldest->table.reset();
}

}  // namespace

std::size_t twiddle_table_bytes(std::size_t o) {
    // Slack: page rounding of a large allocation, the alignment and the small records.
    constexpr std::size_t kSlack = 4096;
    return blocks_of(o) * o * 2 * kTwiddleBlock * sizeof(double) + kSlack;
}

std::shared_ptr<const TwiddleTable> twiddle_table(std::size_t o) {
    Cache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    Slot& slot = c.slots[o];
    slot.last_use = ++c.clock;
    if (slot.table) return slot.table;
    const std::size_t need = twiddle_table_bytes(o);
    while (c.stats.tables > 0 && c.stats.bytes + need > kTwiddleCacheBudget) drop_least_recent(c);
    slot.table = build_table(o);
    c.stats.bytes += need;
    c.stats.tables += 1;
    c.stats.builds += 1;
    return slot.table;
}

TwiddleCacheStats twiddle_cache_stats() {
    Cache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    return c.stats;
}

double twiddle_angle(std::size_t j, std::size_t k, std::size_t o) {
    const double w = (static_cast<double>(j) * kTwoPi) / static_cast<double>(o);
    return static_cast<double>(k) * w;
}

}  // namespace velmora::kinematics
