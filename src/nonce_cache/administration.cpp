// Clearing the engine and reporting its counts.
#include "nonce_cache/state_engine.hpp"

namespace velmora::nonce_cache {

void StateEngine::clear() {
    // clear() keeps each table's bucket array and hasher, so refilling does not rehash
    // until the tables outgrow their previous size.
    current_bucket_.clear();
    previous_bucket_.clear();
    ip_bans_.clear();
    ban_sweep_at_ = kBanTableReservation;
    bucket_start_ = clocks_.monotonic_now_ns();
}

EngineStats StateEngine::stats() const {
    const std::uint64_t now = clocks_.unix_now_secs();
    std::uint64_t active = 0;
    for (const auto& [address, expiry] : ip_bans_) {
        if (now < expiry) ++active;
    }
    return {current_bucket_.size(), previous_bucket_.size(), active};
}

}  // namespace velmora::nonce_cache
