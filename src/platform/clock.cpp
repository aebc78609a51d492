#include "platform/clock.hpp"

#include <ctime>

#include "platform/fault.hpp"

namespace velmora::platform {

std::uint64_t monotonic_now_ns() {
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) platform_fault("clock_gettime(CLOCK_MONOTONIC) failed");
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

std::uint64_t unix_now_secs() {
    timespec ts{};
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0) platform_fault("clock_gettime(CLOCK_REALTIME) failed");
    // tv_nsec is always in [0, 1e9), so a time of -0.5 s reads as tv_sec = -1: before 1970, hence 0.
    return unix_secs_from_timespec(ts.tv_sec, ts.tv_nsec);
}

}  // namespace velmora::platform
