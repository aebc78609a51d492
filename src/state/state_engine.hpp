// The state engine: a replay cache of one-time nonces, aged in two 60-second
// buckets, and a table of banned client addresses with wall-clock expiries.
//
// Plain data and operations; the process-wide slot and its lock are in
// engine_slot.hpp. Every operation here assumes the caller holds that lock
// (exclusively for the non-const ones).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "state/engine_clocks.hpp"
#include "state/string_tables.hpp"

namespace velmora::state {

inline constexpr std::uint64_t kBucketDurationNs = 60'000'000'000ULL;

// One (address, absolute expiry in Unix seconds) pair for hydrate().
using BanEntry = std::pair<std::string, std::uint64_t>;

struct EngineStats {
    std::uint64_t current_bucket_nonces = 0;
    std::uint64_t previous_bucket_nonces = 0;
    std::uint64_t active_ip_bans = 0;
};

// The end of a ban of `duration_sec` issued at `now_secs`. The sum saturates: a
// ban too long to represent lasts "forever" instead of wrapping into the past.
constexpr std::uint64_t ban_expiry(std::uint64_t now_secs, std::uint64_t duration_sec) {
    return duration_sec > UINT64_MAX - now_secs ? UINT64_MAX : now_secs + duration_sec;
}

class StateEngine {
public:
    // Creation order: current bucket, previous bucket, bucket start, ban table.
    explicit StateEngine(EngineClocks clocks);

    // Nonce replay cache.
    // True when the nonce was in neither bucket (it is now recorded), false for a replay.
    bool consume_nonce(std::string_view nonce);
    // Moves the buckets on by one when 60 s or more have passed since bucket_start;
    // at most one rotation per call. Returns whether it rotated.
    bool rotate_if_due();

    // IP ban table. `now_secs` is read by the caller before taking the lock.
    bool is_banned(std::string_view ip, std::uint64_t now_secs) const;
    // Sets (never extends) the expiry to ban_expiry(now_secs, duration_sec).
    void ban(std::string_view ip, std::uint64_t now_secs, std::uint64_t duration_sec);
    void unban(std::string_view ip);
    // Loads, in order, every pair whose expiry is still in the future at one wall-clock
    // reading taken here; others are skipped. Existing entries are kept.
    void hydrate(std::vector<BanEntry>&& bans);

    // Administration.
    // Forgets every nonce and ban and restarts the bucket timer; keeps capacity and keys.
    void clear();
    // Sizes of both buckets and the number of bans still in force. Never rotates.
    EngineStats stats() const;

    // The number of ban entries at which the next new address first sweeps out the
    // expired ones (see state_engine.cpp).
    std::size_t ban_sweep_threshold() const { return ban_sweep_at_; }

    // Read-only views, for diagnostics and tests.
    const NonceSet& current_bucket() const { return current_bucket_; }
    const NonceSet& previous_bucket() const { return previous_bucket_; }
    std::uint64_t bucket_start() const { return bucket_start_; }
    const BanMap& ip_bans() const { return ip_bans_; }

private:
    // Before a new address is added: when the table has reached the threshold, drops the
    // entries expired at `now_secs` and sets the next threshold to twice what is left.
    // The sweep alone never allocates; make_room_for_ban may also shrink the bucket array.
    bool sweep_expired_bans(std::uint64_t now_secs) noexcept;
    void make_room_for_ban(std::uint64_t now_secs);

    EngineClocks clocks_;
    NonceSet current_bucket_;
    NonceSet previous_bucket_;
    std::uint64_t bucket_start_;
    BanMap ip_bans_;
    std::size_t ban_sweep_at_ = kBanTableReservation;
};

}  // namespace velmora::state
