#include "features/twiddle_table.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace velmora::features {

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::size_t blocks_of(std::size_t o) { return (o / 2 + kTwiddleBlock - 1) / kTwiddleBlock; }

void free_table(const TwiddleTable* table) {
    ::operator delete[](const_cast<double*>(table->values), std::align_val_t{64});
    delete table;
}

std::shared_ptr<const TwiddleTable> build_table(std::size_t o) {
    // Owned until handed to the shared_ptr, so a failed values allocation leaks nothing.
    auto table = std::make_unique<TwiddleTable>();
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
    return std::shared_ptr<const TwiddleTable>(table.release(), free_table);
}

}  // namespace

struct TwiddleCache::State {
    struct Slot {
        std::shared_ptr<const TwiddleTable> table;
        std::uint64_t uses = 0;      // requests since the last halving, plus half of the earlier ones
        std::uint64_t last_use = 0;  // request number
    };

    explicit State(std::size_t bytes) : budget(bytes) {}

    // Lengths whose tables are dropped to make `need` bytes of room for a table with `uses`,
    // or false when that would take a table at least as used.
    bool plan_room(std::size_t need, std::uint64_t uses, std::vector<Slot*>& victims) {
        std::size_t bytes = stats.bytes;
        while (bytes + need > budget) {
            Slot* victim = nullptr;
            for (Slot& s : slots) {
                if (!s.table || std::find(victims.begin(), victims.end(), &s) != victims.end()) continue;
                if (victim == nullptr || s.uses < victim->uses ||
                    (s.uses == victim->uses && s.last_use < victim->last_use))
                    victim = &s;
            }
            if (victim == nullptr || victim->uses >= uses) return false;
            victims.push_back(victim);
            bytes -= twiddle_table_bytes(victim->table->length);
        }
        return true;
    }

    const std::size_t budget;
    mutable std::mutex mutex;
    Slot slots[kMaxSeriesLength];
    TwiddleCacheStats stats;
};

TwiddleCache::TwiddleCache(std::size_t budget) : state_(std::make_unique<State>(budget)) {}
TwiddleCache::~TwiddleCache() = default;

std::shared_ptr<const TwiddleTable> TwiddleCache::table(std::size_t o) {
    State& st = *state_;
    const std::lock_guard<std::mutex> lock(st.mutex);
    const std::uint64_t now = ++st.stats.requests;
    if (now % kAgingPeriod == 0)
        for (State::Slot& s : st.slots) s.uses /= 2;
    State::Slot& slot = st.slots[o];
    slot.uses += 1;
    slot.last_use = now;
    if (slot.table) return slot.table;

    const std::size_t need = twiddle_table_bytes(o);
    std::vector<State::Slot*> victims;
    if (need > st.budget || !st.plan_room(need, slot.uses, victims)) {
        st.stats.not_cached += 1;
        return nullptr;
    }
    for (State::Slot* victim : victims) {
        st.stats.bytes -= twiddle_table_bytes(victim->table->length);
        st.stats.tables -= 1;
        victim->table.reset();
    }
    slot.table = build_table(o);
    st.stats.bytes += need;
    st.stats.tables += 1;
    st.stats.builds += 1;
    return slot.table;
}

TwiddleCacheStats TwiddleCache::stats() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->stats;
}

TwiddleCache& twiddle_cache() {
    static TwiddleCache* const instance = new TwiddleCache(kTwiddleCacheBudget);
    return *instance;
}

std::size_t twiddle_table_bytes(std::size_t o) {
    // Slack, measured: a large aligned allocation costs up to two pages beyond its values
    // (page rounding, the allocator's header and the alignment), plus the small records.
    constexpr std::size_t kSlack = 8192;
    return blocks_of(o) * o * 2 * kTwiddleBlock * sizeof(double) + kSlack;
}

double twiddle_angle(std::size_t j, std::size_t k, std::size_t o) {
    const double w = (static_cast<double>(j) * kTwoPi) / static_cast<double>(o);
    return static_cast<double>(k) * w;
}

}  // namespace velmora::features
