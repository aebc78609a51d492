// The two clocks the state engine reads, injected so that bucket rotation and
// ban expiry can be driven by a fake clock in tests.
#pragma once

#include <cstdint>
#include <functional>

namespace velmora::state {

struct EngineClocks {
    // Nanoseconds from an arbitrary origin; ages the nonce buckets.
    std::function<std::uint64_t()> monotonic_now_ns;
    // Whole seconds since 1970-01-01 00:00:00 UTC (0 before 1970); ban expiry.
    std::function<std::uint64_t()> unix_now_secs;
};

// The host's clocks (platform/clock.hpp).
EngineClocks system_clocks();

}  // namespace velmora::state
