// The state engine's operations: creation and bucket aging, the nonce replay check, the
// IP ban table and administration. Every one assumes the caller holds the slot's lock
// (engine_slot.hpp), exclusively for the non-const ones.
#include "state/state_engine.hpp"

#include <algorithm>
#include <new>

namespace velmora::state {

// ---- creation and the aging of the nonce buckets ----------------------------------------

// Members are initialised in declaration order, which is the creation order.
StateEngine::StateEngine(EngineClocks clocks)
    : clocks_(std::move(clocks)),
      current_bucket_(make_nonce_set()),
      previous_bucket_(make_nonce_set()),
      bucket_start_(clocks_.monotonic_now_ns()),
      ip_bans_(make_ban_map()) {}

bool StateEngine::rotate_if_due() {
    const std::uint64_t now = clocks_.monotonic_now_ns();
    // A reading before bucket_start (a clock that stepped back) counts as no time at all.
    const std::uint64_t elapsed = now > bucket_start_ ? now - bucket_start_ : 0;
    if (elapsed < kBucketDurationNs) return false;

    NonceSet fresh = make_nonce_set();
    previous_bucket_ = std::move(current_bucket_);  // the old previous bucket is freed here
    current_bucket_ = std::move(fresh);
    // Read after the swap, so the time spent freeing the old bucket is not counted
    // against the new one.
    bucket_start_ = clocks_.monotonic_now_ns();
    return true;
}

// ---- the replay check: each nonce is accepted once while either bucket remembers it -----

bool StateEngine::consume_nonce(std::string_view nonce) {
    rotate_if_due();
    if (current_bucket_.find(nonce) != current_bucket_.end()) return false;
    // A nonce seen in the previous bucket is not copied forward: rejecting it must
    // not extend how long it is remembered.
    if (previous_bucket_.find(nonce) != previous_bucket_.end()) return false;
    current_bucket_.emplace(nonce);
    return true;
}

// ---- banned addresses with wall-clock expiries: a ban is in force while now < expiry ----
//
// Lookups and counts ignore an expired entry but do not remove it. A long-running
// process that bans many distinct addresses would then grow without bound, so adding
// an address sweeps the expired entries out whenever the table has doubled since the
// last sweep (and has reached its reserved size). The sweep costs one pass over the
// table per doubling, amortised constant time per added address, and memory follows
// the bans in force rather than every address ever banned. Removing an expired entry
// changes no result: it counts as not banned either way, and any new ban for that
// address replaces the expiry anyway.

bool StateEngine::sweep_expired_bans(std::uint64_t now_secs) noexcept {
    if (ip_bans_.size() < ban_sweep_at_) return false;
    std::erase_if(ip_bans_, [now_secs](const auto& entry) { return entry.second <= now_secs; });
    ban_sweep_at_ = std::max(kBanTableReservation, 2 * ip_bans_.size());
    return true;
}

void StateEngine::make_room_for_ban(std::uint64_t now_secs) {
    if (!sweep_expired_bans(now_secs)) return;
    // Give back the bucket array as well when most of it now stands empty. Optional:
    // if the smaller array cannot be had, the table simply keeps the larger one.
    if (ip_bans_.bucket_count() > 4 * ban_sweep_at_) {
        try {
            ip_bans_.reserve(ban_sweep_at_);
        } catch (const std::bad_alloc&) {
        }
    }
}

bool StateEngine::is_banned(std::string_view ip, std::uint64_t now_secs) const {
    const auto entry = ip_bans_.find(ip);
    return entry != ip_bans_.end() && now_secs < entry->second;
}

void StateEngine::ban(std::string_view ip, std::uint64_t now_secs, std::uint64_t duration_sec) {
    const std::uint64_t expiry = ban_expiry(now_secs, duration_sec);
    if (auto entry = ip_bans_.find(ip); entry != ip_bans_.end()) {
        entry->second = expiry;  // replaces, whether earlier or later
        return;
    }
    make_room_for_ban(now_secs);
    ip_bans_.emplace(std::string(ip), expiry);
}

void StateEngine::unban(std::string_view ip) {
    if (auto entry = ip_bans_.find(ip); entry != ip_bans_.end()) ip_bans_.erase(entry);
}

void StateEngine::hydrate(std::vector<BanEntry>&& bans) {
    const std::uint64_t now = clocks_.unix_now_secs();
    // Every allocation happens before the table is touched: the entries go into nodes of a
    // staging map and the table's buckets are reserved for all of them, so running out of
    // memory part way leaves the table as it was instead of half loaded.
    BanMap staged(0, ip_bans_.hash_function());
    for (auto& [address, expiry] : bans) {
        // The same test as is_banned (now < expiry): load exactly what would count as banned.
        if (expiry <= now) continue;
        staged.insert_or_assign(std::move(address), expiry);  // a later pair for an address wins
    }
    ip_bans_.reserve(ip_bans_.size() + staged.size());
    while (!staged.empty()) {
        auto node = staged.extract(staged.begin());
        if (auto entry = ip_bans_.find(node.key()); entry != ip_bans_.end()) {
            entry->second = node.mapped();
        } else {
            sweep_expired_bans(now);  // only erases: the reserved buckets stay
            ip_bans_.insert(std::move(node));
        }
    }
}

// ---- administration: clearing the engine and reporting its counts -----------------------

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

}  // namespace velmora::state
