// Clocks of the host system. The cores never read the OS clocks themselves:
// they take readings from here (or from a fake clock in tests).
#pragma once

#include <cstdint>

namespace velmora::platform {

// Monotonic time in nanoseconds since an arbitrary origin; only differences matter.
std::uint64_t monotonic_now_ns();

// Wall clock in whole seconds since 1970-01-01 00:00:00 UTC. A clock set before 1970 reads 0.
std::uint64_t unix_now_secs();

// The conversions behind the two clocks, exposed so that every target's rules can be tested
// on any host.

// POSIX clock_gettime: `seconds` may be negative; `nanoseconds` is in [0, 1e9).
constexpr std::uint64_t unix_secs_from_timespec(std::int64_t seconds, std::int64_t nanoseconds) {
    (void)nanoseconds;  // whole seconds, rounded down: the fraction never matters
    return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds);
}

// Windows system time: 100-nanosecond intervals since 1601-01-01 00:00:00 UTC.
inline constexpr std::uint64_t kFileTimeAtUnixEpoch = 116'444'736'000'000'000u;
constexpr std::uint64_t unix_secs_from_filetime(std::uint64_t intervals) {
    return intervals < kFileTimeAtUnixEpoch ? 0 : (intervals - kFileTimeAtUnixEpoch) / 10'000'000u;
}

// Windows performance counter at `frequency` ticks per second, in nanoseconds. Split into
// whole seconds and the remainder so that the product cannot overflow.
constexpr std::uint64_t ns_from_counter(std::uint64_t counter, std::uint64_t frequency) {
    const std::uint64_t whole = counter / frequency;
    const std::uint64_t rest = counter % frequency;
    return whole * 1'000'000'000u + rest * 1'000'000'000u / frequency;
}

}  // namespace velmora::platform
