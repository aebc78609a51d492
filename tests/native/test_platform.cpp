// The platform layer: clock conversions of every target, the random source, the lock.
#define CHECK_MAIN
#include "check.hpp"

#include <array>
#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "platform/clock.hpp"
#include "platform/random.hpp"
#include "platform/reader_writer_lock.hpp"

using namespace velmora::platform;

TEST_CASE("Windows system time converts to whole Unix seconds, 0 before 1970") {
    CHECK_EQ(unix_secs_from_filetime(0), std::uint64_t{0});
    CHECK_EQ(unix_secs_from_filetime(kFileTimeAtUnixEpoch - 1), std::uint64_t{0});
    CHECK_EQ(unix_secs_from_filetime(kFileTimeAtUnixEpoch), std::uint64_t{0});
    CHECK_EQ(unix_secs_from_filetime(kFileTimeAtUnixEpoch + 19'999'999), std::uint64_t{1});
    // 2026-01-01 00:00:00 UTC.
    CHECK_EQ(unix_secs_from_filetime(kFileTimeAtUnixEpoch + 1'767'225'600ull * 10'000'000), std::uint64_t{1'767'225'600});
    CHECK_EQ(unix_secs_from_timespec(-1, 500'000'000), std::uint64_t{0});
    CHECK_EQ(unix_secs_from_timespec(1'767'225'600, 999'999'999), std::uint64_t{1'767'225'600});
}

TEST_CASE("performance counter readings convert to nanoseconds without overflow") {
    CHECK_EQ(ns_from_counter(10'000'000, 10'000'000), std::uint64_t{1'000'000'000});
    CHECK_EQ(ns_from_counter(3, 10'000'000), std::uint64_t{300});
    CHECK_EQ(ns_from_counter(7, 3), std::uint64_t{2'333'333'333});
    // A year of uptime at 10 MHz: the naive product counter * 1e9 would overflow 64 bits.
    const std::uint64_t year = 365ull * 86'400 * 10'000'000;
    CHECK_EQ(ns_from_counter(year + 1, 10'000'000), 365ull * 86'400 * 1'000'000'000 + 100);
}

TEST_CASE("the OS clocks answer: monotonic never goes back, the wall clock is after 2020") {
    const std::uint64_t a = monotonic_now_ns(), b = monotonic_now_ns();
    CHECK(b >= a);
    CHECK(unix_now_secs() > 1'577'836'800u);
}

TEST_CASE("random bytes fill requests longer than one OS call serves, and differ between calls") {
    std::array<unsigned char, 1000> a{}, b{};  // beyond getentropy's 256 bytes per call
    fill_random(a.data(), a.size());
    fill_random(b.data(), b.size());
    CHECK(a != b);
    int zeros_at_end = 0;
    for (std::size_t i = 744; i < a.size(); ++i) zeros_at_end += a[i] == 0;
    CHECK(zeros_at_end < 32);  // the tail past the first chunks was written too
    const HashKey k1 = random_hash_key(), k2 = random_hash_key();
    CHECK(k1.k0 != k2.k0 || k1.k1 != k2.k1);
}

TEST_CASE("the reader-writer lock excludes writers from each other and from readers") {
    ReaderWriterLock lock;
    std::uint64_t first = 0, second = 0;  // a writer keeps them equal; plain, not atomic
    std::atomic<int> torn_reads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20000; ++i) {
                if ((i + t) % 3 == 0) {
                    std::shared_lock shared(lock);
                    if (first != second) torn_reads.fetch_add(1);
                } else {
                    std::unique_lock exclusive(lock);
                    ++first;
                    std::this_thread::yield();
                    ++second;
                }
            }
        });
    for (std::thread& th : threads) th.join();
    CHECK_EQ(torn_reads.load(), 0);
    CHECK_EQ(first, second);
    std::uint64_t writes = 0;
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20000; ++i) writes += (i + t) % 3 != 0;
    CHECK_EQ(first, writes);
}
