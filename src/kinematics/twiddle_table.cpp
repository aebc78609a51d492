#include "kinematics/twiddle_table.hpp"

#include <atomic>
#include <cmath>
#include <new>

namespace velmora::kinematics {

namespace {

constexpr double kTwoPi = 6.283185307179586;

const TwiddleTable* build_table(std::size_t o) {
    auto* table = new TwiddleTable;
    table->length = o;
    table->bins = o / 2;
    table->blocks = (table->bins + kTwiddleBlock - 1) / kTwiddleBlock;
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
    return table;
}

// One slot per series length, filled on first use and never freed. Calls normally
// arrive with the interpreter lock held, which already serialises them, but the slots
// do not rely on it: a table is published with a release compare-exchange, so a reader
// that sees the pointer also sees the finished values, and a thread that loses a race
// drops its own copy (which holds the same values) and uses the winner's. Memory stays
// bounded: a table for length o holds about o * o doubles (710 KiB at o = 299), and all 292
// possible lengths together come to about 71 MiB.
std::atomic<const TwiddleTable*> tables[kMaxSeriesLength];

void free_table(const TwiddleTable* table) {
    ::operator delete[](const_cast<double*>(table->values), std::align_val_t{64});
    delete table;
}

}  // namespace

double twiddle_angle(std::size_t j, std::size_t k, std::size_t o) {
    const double w = (static_cast<double>(j) * kTwoPi) / static_cast<double>(o);
    return static_cast<double>(k) * w;
}

const TwiddleTable& twiddle_table(std::size_t o) {
    std::atomic<const TwiddleTable*>& slot = tables[o];
    const TwiddleTable* table = slot.load(std::memory_order_acquire);
    if (table != nullptr) return *table;
    const TwiddleTable* built = build_table(o);
    if (slot.compare_exchange_strong(table, built, std::memory_order_acq_rel, std::memory_order_acquire))
        return *built;
    free_table(built);
    return *table;
}

}  // namespace velmora::kinematics
