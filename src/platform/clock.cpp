#include "platform/clock.hpp"

#include "platform/fault.hpp"

#if defined(_WIN32)
#include "platform/windows_headers.hpp"
#else
#include <ctime>
#endif

namespace velmora::platform {

#if defined(_WIN32)

std::uint64_t monotonic_now_ns() {
    // The frequency is fixed at boot: read it once.
    static const std::uint64_t frequency = [] {
        LARGE_INTEGER f;
        if (!QueryPerformanceFrequency(&f) || f.QuadPart <= 0) platform_fault("QueryPerformanceFrequency failed");
        return static_cast<std::uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);  // cannot fail once the frequency was read
    return ns_from_counter(static_cast<std::uint64_t>(counter.QuadPart), frequency);
}

std::uint64_t unix_now_secs() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    return unix_secs_from_filetime((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

#else

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

#endif

}  // namespace velmora::platform
