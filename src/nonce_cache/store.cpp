// Creation of the engine and the aging of its nonce buckets.
#include "nonce_cache/state_engine.hpp"

namespace velmora::nonce_cache {

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

}  // namespace velmora::nonce_cache
