// The state engine on a fake clock: bucket rotation, replay window, ban expiry,
// hydration, administration, the slot's lazy creation and locking, and the keyed hash.
#define CHECK_MAIN
#include "check.hpp"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "../../testkit/murmur_collisions.hpp"
#include "state/engine_slot.hpp"
#include "state/siphash.hpp"
#include "state/state_engine.hpp"

using namespace velmora::state;
using velmora::platform::HashKey;

// Counting allocations, to show that lookups allocate nothing.
static std::atomic<long> allocations{0};
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr std::uint64_t kSecond = 1'000'000'000ULL;

struct FakeClock {
    std::atomic<std::uint64_t> mono_ns{0};
    std::atomic<std::uint64_t> wall_secs{0};
    std::atomic<int> mono_reads{0};
    // Added to mono_ns after every monotonic reading (0: a still clock).
    std::uint64_t step_ns = 0;

    EngineClocks clocks() {
        return {[this] {
                    ++mono_reads;
                    return mono_ns.fetch_add(step_ns);
                },
                [this] { return wall_secs.load(); }};
    }
    void at_seconds(double s) { mono_ns = static_cast<std::uint64_t>(s * 1e9); }
};

bool same_key(HashKey a, HashKey b) { return a.k0 == b.k0 && a.k1 == b.k1; }

}  // namespace

// ---- SipHash ---------------------------------------------------------------

TEST_CASE("siphash-2-4 matches the reference vectors (key 00..0f, message 00..n-1)") {
    static const std::uint64_t expected[64] = {
        0x726fdb47dd0e0e31, 0x74f839c593dc67fd, 0x0d6c8009d9a94f5a, 0x85676696d7fb7e2d, 0xcf2794e0277187b7,
        0x18765564cd99a68d, 0xcbc9466e58fee3ce, 0xab0200f58b01d137, 0x93f5f5799a932462, 0x9e0082df0ba9e4b0,
        0x7a5dbbc594ddb9f3, 0xf4b32f46226bada7, 0x751e8fbc860ee5fb, 0x14ea5627c0843d90, 0xf723ca908e7af2ee,
        0xa129ca6149be45e5, 0x3f2acc7f57c29bdb, 0x699ae9f52cbe4794, 0x4bc1b3f0968dd39c, 0xbb6dc91da77961bd,
        0xbed65cf21aa2ee98, 0xd0f2cbb02e3b67c7, 0x93536795e3a33e88, 0xa80c038ccd5ccec8, 0xb8ad50c6f649af94,
        0xbce192de8a85b8ea, 0x17d835b85bbb15f3, 0x2f2e6163076bcfad, 0xde4daaaca71dc9a5, 0xa6a2506687956571,
        0xad87a3535c49ef28, 0x32d892fad841c342, 0x7127512f72f27cce, 0xa7f32346f95978e3, 0x12e0b01abb051238,
        0x15e034d40fa197ae, 0x314dffbe0815a3b4, 0x027990f029623981, 0xcadcd4e59ef40c4d, 0x9abfd8766a33735c,
        0x0e3ea96b5304a7d0, 0xad0c42d6fc585992, 0x187306c89bc215a9, 0xd4a60abcf3792b95, 0xf935451de4f21df2,
        0xa9538f0419755787, 0xdb9acddff56ca510, 0xd06c98cd5c0975eb, 0xe612a3cb9ecba951, 0xc766e62cfcadaf96,
        0xee64435a9752fe72, 0xa192d576b245165a, 0x0a8787bf8ecb74b2, 0x81b3e73d20b49b6f, 0x7fa8220ba3b2ecea,
        0x245731c13ca42499, 0xb78dbfaf3a8d83bd, 0xea1ad565322a1a0b, 0x60e61c23a3795013, 0x6606d7e446282b93,
        0x6ca4ecb15c5f91e1, 0x9f626da15c9625f3, 0xe51b38608ef25f57, 0x958a324ceb064572,
    };
    const HashKey key{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    std::string message;
    for (int n = 0; n < 64; ++n) {
        CHECK_EQ(siphash24(key, message), expected[n]);
        message.push_back(static_cast<char>(n));
    }
}

TEST_CASE("siphash-1-3 matches published vectors (zero key)") {
    const HashKey zero{0, 0};
    CHECK_EQ(siphash13(zero, ""), std::uint64_t{0xd1fba762150c532c});
    CHECK_EQ(siphash13(zero, "siphash"), std::uint64_t{0x8264ceeccb16bcbe});
    CHECK_EQ(siphash13(zero, "digest-sip_hash"), std::uint64_t{0xce31007e34130c0a});
}

TEST_CASE("the table hash depends on its key") {
    const KeyedStringHash a{{1, 2}}, b{{1, 3}};
    CHECK(a("10.0.0.1") != b("10.0.0.1"));
    CHECK_EQ(a("10.0.0.1"), a(std::string("10.0.0.1")));
}

// ---- creation ----------------------------------------------------------------

TEST_CASE("a new engine: empty pre-sized tables, each with its own key, bucket started now") {
    FakeClock clock;
    clock.at_seconds(5);
    StateEngine engine(clock.clocks());
    CHECK_EQ(engine.bucket_start(), 5 * kSecond);
    CHECK_EQ(clock.mono_reads.load(), 1);
    CHECK(engine.current_bucket().empty() && engine.previous_bucket().empty() && engine.ip_bans().empty());
    CHECK(engine.current_bucket().bucket_count() >= kNonceBucketReservation);
    CHECK(engine.previous_bucket().bucket_count() >= kNonceBucketReservation);
    CHECK(engine.ip_bans().bucket_count() >= kBanTableReservation);
    const HashKey cur = engine.current_bucket().hash_function().key;
    const HashKey prev = engine.previous_bucket().hash_function().key;
    const HashKey bans = engine.ip_bans().hash_function().key;
    CHECK(!same_key(cur, prev) && !same_key(cur, bans) && !same_key(prev, bans));
}

// ---- rotation ----------------------------------------------------------------

TEST_CASE("first rotation: not 59 s after creation, exactly at 60 s (to the nanosecond)") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    CHECK(engine.consume_nonce("a"));
    clock.at_seconds(59);
    CHECK(!engine.rotate_if_due());
    clock.mono_ns = kBucketDurationNs - 1;
    CHECK(!engine.rotate_if_due());
    CHECK_EQ(engine.current_bucket().size(), std::size_t{1});
    clock.mono_ns = kBucketDurationNs;
    CHECK(engine.rotate_if_due());
    CHECK_EQ(engine.current_bucket().size(), std::size_t{0});
    CHECK_EQ(engine.previous_bucket().size(), std::size_t{1});
    CHECK_EQ(engine.bucket_start(), kBucketDurationNs);
}

TEST_CASE("replay window: accepted at 10 s, rotated at 60 s, rejected to 119 s, forgotten at 121 s") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    clock.at_seconds(10);
    CHECK(engine.consume_nonce("n"));
    clock.at_seconds(60);
    CHECK(!engine.consume_nonce("n"));  // rotates first, then finds it in the previous bucket
    CHECK(engine.current_bucket().empty());
    CHECK_EQ(engine.previous_bucket().count("n"), std::size_t{1});
    for (double t : {61.0, 90.0, 119.0}) {
        clock.at_seconds(t);
        CHECK(!engine.consume_nonce("n"));
    }
    clock.at_seconds(121);
    CHECK(engine.consume_nonce("n"));
    CHECK_EQ(engine.bucket_start(), 121 * kSecond);
}

TEST_CASE("a long idle gap rotates once: the nonce is still rejected, then forgotten at the next rotation") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    clock.at_seconds(10);
    CHECK(engine.consume_nonce("n"));
    clock.at_seconds(1000);
    CHECK(!engine.consume_nonce("n"));
    CHECK_EQ(engine.bucket_start(), 1000 * kSecond);
    clock.at_seconds(1059);
    CHECK(!engine.consume_nonce("n"));
    clock.at_seconds(1060);
    CHECK(engine.consume_nonce("n"));
}

TEST_CASE("rejecting a previous-bucket nonce does not renew it") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    CHECK(engine.consume_nonce("n"));
    clock.at_seconds(60);
    CHECK(engine.consume_nonce("other"));  // rotation: n is now in the previous bucket
    clock.at_seconds(100);
    CHECK(!engine.consume_nonce("n"));
    CHECK_EQ(engine.current_bucket().count("n"), std::size_t{0});
    clock.at_seconds(120);
    CHECK(!engine.consume_nonce("other"));  // second rotation: n is gone, other moved back
    CHECK(engine.consume_nonce("n"));
}

TEST_CASE("a monotonic reading earlier than the bucket start counts as no time and never rotates") {
    FakeClock clock;
    clock.at_seconds(500);
    StateEngine engine(clock.clocks());
    CHECK(engine.consume_nonce("n"));
    for (double t : {0.0, 100.0, 499.0, 559.0}) {
        clock.at_seconds(t);
        CHECK(!engine.rotate_if_due());
        CHECK(!engine.consume_nonce("n"));
    }
    CHECK_EQ(engine.current_bucket().count("n"), std::size_t{1});
}

TEST_CASE("rotation: fresh keys for the new bucket, old bucket keeps its key, start re-read after the swap") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    const HashKey old_current = engine.current_bucket().hash_function().key;
    CHECK(engine.consume_nonce("n"));
    clock.at_seconds(60);
    clock.step_ns = 7;  // every reading moves the clock on
    const int reads_before = clock.mono_reads.load();
    CHECK(engine.rotate_if_due());
    CHECK_EQ(clock.mono_reads.load() - reads_before, 2);
    CHECK_EQ(engine.bucket_start(), 60 * kSecond + 7);  // the second reading, not the first
    CHECK(same_key(engine.previous_bucket().hash_function().key, old_current));
    CHECK(!same_key(engine.current_bucket().hash_function().key, old_current));
    CHECK(engine.current_bucket().bucket_count() >= kNonceBucketReservation);
    CHECK_EQ(engine.previous_bucket().count("n"), std::size_t{1});
}

// ---- nonce keys ----------------------------------------------------------------

TEST_CASE("nonces are byte-exact keys: empty, case, spaces, NULs, non-ASCII, long") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    const std::vector<std::string> keys = {
        "", "abc", "ABC", "abc ", " abc", std::string("a\0b", 3), std::string("a\0c", 3), std::string(1, '\0'),
        "\xc3\xa9", "e\xcc\x81", std::string(1 << 20, 'x'), std::string((1 << 20) - 1, 'x') + "y",
    };
    for (const auto& k : keys) CHECK(engine.consume_nonce(k));
    for (const auto& k : keys) CHECK(!engine.consume_nonce(k));
    CHECK_EQ(engine.current_bucket().size(), keys.size());
}

TEST_CASE("strings crafted to collide under std::hash are all kept apart and each accepted once") {
    murmur_collisions::Generator generator(0x0123456789abcdefULL, 42);
    std::set<std::string> crafted;
    while (crafted.size() < 2000) crafted.insert(generator.next());
    const std::hash<std::string> unkeyed;
    for (const auto& s : crafted) {
        CHECK_EQ(s.size(), murmur_collisions::kLength);
        CHECK_EQ(static_cast<std::uint64_t>(unkeyed(s)), std::uint64_t{0x0123456789abcdefULL});
    }
    FakeClock clock;
    StateEngine engine(clock.clocks());
    std::size_t accepted = 0;
    for (const auto& s : crafted) accepted += engine.consume_nonce(s);
    CHECK_EQ(accepted, crafted.size());
    for (const auto& s : crafted) CHECK(!engine.consume_nonce(s));
    // Under the keyed hash they spread out like any strings: no bucket holds many.
    std::size_t longest_chain = 0;
    const NonceSet& bucket = engine.current_bucket();
    for (std::size_t b = 0; b < bucket.bucket_count(); ++b) longest_chain = std::max(longest_chain, bucket.bucket_size(b));
    CHECK(longest_chain < 10);
}

TEST_CASE("the bucket grows past its reservation without losing entries") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    const std::size_t n = 3 * kNonceBucketReservation;
    for (std::size_t i = 0; i < n; ++i) CHECK(engine.consume_nonce("nonce-" + std::to_string(i)));
    for (std::size_t i = 0; i < n; ++i) CHECK(!engine.consume_nonce("nonce-" + std::to_string(i)));
    CHECK_EQ(engine.current_bucket().size(), n);
}

TEST_CASE("lookups allocate nothing; only an accepted nonce or a new ban allocates") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    const std::string long_nonce(4096, 'q');
    CHECK(engine.consume_nonce(long_nonce));
    engine.ban("10.0.0.1", 0, 60);
    const long before = allocations.load();
    CHECK(!engine.consume_nonce(long_nonce));
    CHECK(engine.is_banned("10.0.0.1", 0));
    CHECK(!engine.is_banned("10.0.0.2", 0));
    engine.ban("10.0.0.1", 0, 30);  // an overwrite
    engine.unban("never-banned");
    CHECK_EQ(allocations.load() - before, 0L);
    CHECK(engine.consume_nonce("fresh"));
    CHECK(allocations.load() - before > 0);
}

// ---- bans ------------------------------------------------------------------

TEST_CASE("a ban of d seconds issued in second W is active up to W + d - 1 and ends at W + d") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    engine.ban("10.0.0.1", 1000, 5);
    CHECK_EQ(engine.ip_bans().at("10.0.0.1"), std::uint64_t{1005});
    CHECK(engine.is_banned("10.0.0.1", 1000));
    CHECK(engine.is_banned("10.0.0.1", 1004));
    CHECK(!engine.is_banned("10.0.0.1", 1005));
    CHECK(!engine.is_banned("10.0.0.2", 1000));
    CHECK_EQ(engine.ip_bans().size(), std::size_t{1});  // lookups never remove the expired entry
}

TEST_CASE("a ban of 0 seconds is never active, even when the clock reads 0 (before 1970)") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    engine.ban("x", 1000, 0);
    CHECK(!engine.is_banned("x", 1000));
    engine.ban("y", 0, 0);
    CHECK(!engine.is_banned("y", 0));
    engine.ban("z", 0, 7);  // pre-1970 clock: expiry equals the duration
    CHECK_EQ(engine.ip_bans().at("z"), std::uint64_t{7});
    CHECK(engine.is_banned("z", 0));
}

TEST_CASE("a second ban replaces the first, never extends it; unban lifts it") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    engine.ban("ip", 1000, 3600);
    engine.ban("ip", 1000, 5);
    CHECK(!engine.is_banned("ip", 1005));
    engine.ban("ip", 1010, 60);  // an expired entry becomes active again
    CHECK(engine.is_banned("ip", 1069));
    CHECK_EQ(engine.ip_bans().size(), std::size_t{1});
    engine.unban("ip");
    CHECK(!engine.is_banned("ip", 1010));
    CHECK(engine.ip_bans().empty());
    engine.unban("ip");  // absent: no effect
}

TEST_CASE("now + duration beyond 2^64 - 1 saturates instead of wrapping into the past") {
    CHECK_EQ(ban_expiry(10, 20), std::uint64_t{30});
    CHECK_EQ(ban_expiry(1, UINT64_MAX - 1), UINT64_MAX);
    CHECK_EQ(ban_expiry(2, UINT64_MAX - 1), UINT64_MAX);
    CHECK_EQ(ban_expiry(UINT64_MAX, UINT64_MAX), UINT64_MAX);
    FakeClock clock;
    StateEngine engine(clock.clocks());
    engine.ban("forever", 1'700'000'000, UINT64_MAX);
    CHECK_EQ(engine.ip_bans().at("forever"), UINT64_MAX);
    CHECK(engine.is_banned("forever", 1'700'000'000));
    CHECK(engine.is_banned("forever", UINT64_MAX - 1));
}

TEST_CASE("hydrate loads only future expiries at one reading, merges, and lets later pairs win") {
    FakeClock clock;
    clock.wall_secs = 1000;
    StateEngine engine(clock.clocks());
    engine.ban("kept", 1000, 50);
    std::vector<BanEntry> bans = {
        {"a", 1100}, {"b", 1000}, {"c", 995},  // only a is in the future
        {"d", 1100}, {"d", 1010},              // the later pair overwrites
        {"e", 1100}, {"e", 999},               // an expired pair is skipped, not applied
        {"old", 300},                          // an absolute time in 1970, not a duration
        {"kept", 1001},
    };
    engine.hydrate(std::move(bans));
    CHECK_EQ(engine.ip_bans().size(), std::size_t{4});
    CHECK_EQ(engine.ip_bans().at("a"), std::uint64_t{1100});
    CHECK_EQ(engine.ip_bans().at("d"), std::uint64_t{1010});
    CHECK_EQ(engine.ip_bans().at("e"), std::uint64_t{1100});
    CHECK_EQ(engine.ip_bans().at("kept"), std::uint64_t{1001});
    CHECK(!engine.ip_bans().contains("b") && !engine.ip_bans().contains("c") && !engine.ip_bans().contains("old"));
    engine.hydrate({});
    CHECK_EQ(engine.ip_bans().size(), std::size_t{4});
}

TEST_CASE("expired bans are swept as the table doubles: its size follows the bans in force") {
    FakeClock clock;
    StateEngine engine(clock.clocks());
    // One new bot address a second, each banned for a minute: 60 bans in force at any time.
    std::size_t largest = 0;
    std::uint64_t now = 1'000'000;
    for (int i = 0; i < 20'000; ++i, ++now) {
        engine.ban("bot" + std::to_string(i), now, 60);
        largest = std::max(largest, engine.ip_bans().size());
    }
    --now;
    clock.wall_secs = now;
    CHECK(largest <= kBanTableReservation);  // without the sweep: 20,000
    CHECK_EQ(engine.stats().active_ip_bans, std::uint64_t{60});
    for (int i = 20'000 - 60; i < 20'000; ++i) CHECK(engine.is_banned("bot" + std::to_string(i), now));
    CHECK(!engine.is_banned("bot" + std::to_string(20'000 - 61), now));

    // A burst of 16 x the reservation, all in force: sweeps find nothing to drop and the
    // threshold doubles, so the sweeps stay rare.
    engine.clear();
    const std::size_t burst = 16 * kBanTableReservation;
    std::vector<BanEntry> bans;
    for (std::size_t i = 0; i < burst; ++i) bans.emplace_back("burst" + std::to_string(i), now + 10);
    engine.hydrate(std::move(bans));
    CHECK_EQ(engine.ip_bans().size(), burst);
    CHECK_EQ(engine.ban_sweep_threshold(), burst);  // the last sweep was at half the burst
    const std::size_t burst_buckets = engine.ip_bans().bucket_count();
    // Once the burst has expired, new short bans reach the threshold, the sweep drops the
    // burst and the bucket array shrinks back towards the reservation.
    now += 10;
    for (std::size_t i = 0; i < 3 * kBanTableReservation; ++i, ++now)
        engine.ban("later" + std::to_string(i), now, 1);
    CHECK(engine.ip_bans().size() <= kBanTableReservation);
    CHECK(engine.ip_bans().bucket_count() * 4 < burst_buckets);
    CHECK(engine.ip_bans().bucket_count() >= kBanTableReservation);
    CHECK(engine.is_banned("later" + std::to_string(3 * kBanTableReservation - 1), now - 1));
}

// ---- administration -------------------------------------------------------------

TEST_CASE("stats count only bans in force and never rotate") {
    FakeClock clock;
    clock.wall_secs = 1000;
    StateEngine engine(clock.clocks());
    engine.ban("x", 1000, 60);
    engine.ban("y", 1000, 0);
    for (const char* n : {"a", "b", "a", "c"}) engine.consume_nonce(n);
    EngineStats s = engine.stats();
    CHECK_EQ(s.current_bucket_nonces, std::uint64_t{3});
    CHECK_EQ(s.previous_bucket_nonces, std::uint64_t{0});
    CHECK_EQ(s.active_ip_bans, std::uint64_t{1});
    clock.wall_secs = 1060;
    CHECK_EQ(engine.stats().active_ip_bans, std::uint64_t{0});
    CHECK_EQ(engine.ip_bans().size(), std::size_t{2});

    clock.at_seconds(500);  // long past the bucket end, but only consume rotates
    s = engine.stats();
    CHECK_EQ(s.current_bucket_nonces, std::uint64_t{3});
    CHECK_EQ(engine.bucket_start(), std::uint64_t{0});
    CHECK(engine.consume_nonce("d"));
    s = engine.stats();
    CHECK_EQ(s.current_bucket_nonces, std::uint64_t{1});
    CHECK_EQ(s.previous_bucket_nonces, std::uint64_t{3});
}

TEST_CASE("clear restores a fresh engine but keeps capacity and hash keys") {
    FakeClock clock;
    clock.wall_secs = 1000;
    StateEngine engine(clock.clocks());
    for (std::size_t i = 0; i < 2 * kNonceBucketReservation; ++i) engine.consume_nonce(std::to_string(i));
    clock.at_seconds(60);
    engine.consume_nonce("rotated");
    for (int i = 0; i < 3000; ++i) engine.ban("ip" + std::to_string(i), 1000, 100);
    const std::size_t cur_buckets = engine.current_bucket().bucket_count();
    const std::size_t prev_buckets = engine.previous_bucket().bucket_count();
    const std::size_t ban_buckets = engine.ip_bans().bucket_count();
    const HashKey cur_key = engine.current_bucket().hash_function().key;
    const HashKey prev_key = engine.previous_bucket().hash_function().key;
    const HashKey ban_key = engine.ip_bans().hash_function().key;

    clock.at_seconds(75);
    engine.clear();
    const EngineStats s = engine.stats();
    CHECK_EQ(s.current_bucket_nonces + s.previous_bucket_nonces + s.active_ip_bans, std::uint64_t{0});
    CHECK(engine.ip_bans().empty());
    CHECK_EQ(engine.bucket_start(), 75 * kSecond);
    CHECK_EQ(engine.current_bucket().bucket_count(), cur_buckets);
    CHECK_EQ(engine.previous_bucket().bucket_count(), prev_buckets);
    CHECK_EQ(engine.ip_bans().bucket_count(), ban_buckets);
    CHECK(same_key(engine.current_bucket().hash_function().key, cur_key));
    CHECK(same_key(engine.previous_bucket().hash_function().key, prev_key));
    CHECK(same_key(engine.ip_bans().hash_function().key, ban_key));
    CHECK(engine.consume_nonce("0"));
    CHECK(engine.consume_nonce("rotated"));
    CHECK(!engine.is_banned("ip0", 1000));
    // The timer restarted at the clear: no rotation until 60 s after it.
    clock.at_seconds(134);
    CHECK(!engine.rotate_if_due());
    clock.at_seconds(135);
    CHECK(engine.rotate_if_due());
}

// ---- the slot -------------------------------------------------------------------

TEST_CASE("the slot creates its engine lazily, once, from either path") {
    FakeClock clock;
    {
        EngineSlot slot(clock.clocks());
        CHECK(!slot.has_engine());
        CHECK_EQ(clock.mono_reads.load(), 0);
        clock.at_seconds(3);
        // The read path with no engine goes through the write path and creates it.
        const std::uint64_t start = slot.with_engine_read([](const StateEngine& e) { return e.bucket_start(); });
        CHECK_EQ(start, 3 * kSecond);
        CHECK(slot.has_engine());
        clock.at_seconds(4);
        CHECK_EQ(slot.with_engine_read([](const StateEngine& e) { return e.bucket_start(); }), 3 * kSecond);
        CHECK(slot.with_engine_write([](StateEngine& e) { return e.consume_nonce("n"); }));
        CHECK(!slot.with_engine_write([](StateEngine& e) { return e.consume_nonce("n"); }));
    }
    {
        EngineSlot slot(clock.clocks());
        clock.at_seconds(9);
        slot.with_engine_write([](StateEngine& e) { e.clear(); });
        CHECK_EQ(slot.with_engine_read([](const StateEngine& e) { return e.bucket_start(); }), 9 * kSecond);
    }
}

TEST_CASE("threads consuming overlapping nonces through the slot accept each distinct nonce exactly once") {
    FakeClock clock;
    EngineSlot slot(clock.clocks());
    constexpr int kThreads = 4, kPerThread = 20000, kStride = 5000;
    std::vector<std::vector<int>> accepted(kThreads);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load()) {
            }
            for (int i = 0; i < kPerThread; ++i) {
                const int id = t * kStride + i;
                const std::string nonce = "n" + std::to_string(id);
                if (slot.with_engine_write([&](StateEngine& e) { return e.consume_nonce(nonce); }))
                    accepted[t].push_back(id);
                // Readers running alongside the writers.
                if (i % 64 == 0) slot.with_engine_read([](const StateEngine& e) { return e.stats(); });
            }
        });
    }
    go = true;
    for (auto& th : threads) th.join();
    std::multiset<int> all;
    for (const auto& a : accepted) all.insert(a.begin(), a.end());
    const std::set<int> distinct(all.begin(), all.end());
    CHECK_EQ(all.size(), distinct.size());
    CHECK_EQ(distinct.size(), std::size_t{(kThreads - 1) * kStride + kPerThread});
    CHECK_EQ(slot.with_engine_read([](const StateEngine& e) { return e.stats().current_bucket_nonces; }),
             std::uint64_t{distinct.size()});
}
