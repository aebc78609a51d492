// Clocks of the host system. The cores never read the OS clocks themselves:
// they take readings from here (or from a fake clock in tests).
#pragma once

#include <cstdint>

namespace velmora::platform {

// Monotonic time in nanoseconds since an arbitrary origin; only differences matter.
std::uint64_t monotonic_now_ns();

// Wall clock in whole seconds since 1970-01-01 00:00:00 UTC. A clock set before 1970 reads 0.
std::uint64_t unix_now_secs();

// The conversion behind unix_now_secs, exposed so the pre-1970 rule can be tested.
// `seconds` may be negative; `nanoseconds` is in [0, 1e9).
constexpr std::uint64_t unix_secs_from_timespec(std::int64_t seconds, std::int64_t nanoseconds) {
    (void)nanoseconds;  // whole seconds, rounded down: the fraction never matters
    return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds);
}

}  // namespace velmora::platform
