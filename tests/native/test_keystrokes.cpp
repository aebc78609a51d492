// Keystroke timing analysis: worked cases, acceptance bounds, ordering, lower-casing.
#define CHECK_MAIN
#include "check.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "keystrokes/analysis.hpp"
#include "keystrokes/digraphs.hpp"
#include "keystrokes/entropy.hpp"
#include "keystrokes/lowercase.hpp"
#include "keystrokes/press_order.hpp"
#include "keystrokes/score.hpp"

using namespace velmora::keystrokes;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

KeystrokeEvent ev(std::string key, double down, std::optional<double> up = std::nullopt) {
    return KeystrokeEvent{std::move(key), down, up};
}

// Keys one character each, with matching down and up times.
std::vector<KeystrokeEvent> typed(const std::string& keys, const std::vector<double>& downs,
                                  const std::vector<double>& ups) {
    std::vector<KeystrokeEvent> events;
    for (std::size_t i = 0; i < keys.size(); ++i) events.push_back(ev(std::string(1, keys[i]), downs[i], ups[i]));
    return events;
}

void check_same_report(const KeystrokeReport& a, const KeystrokeReport& b) {
    CHECK_EQ(a.key_count, b.key_count);
    CHECK_BITS(a.avg_dwell_time, b.avg_dwell_time);
    CHECK_BITS(a.dwell_time_var, b.dwell_time_var);
    CHECK_BITS(a.avg_flight_time, b.avg_flight_time);
    CHECK_BITS(a.flight_time_var, b.flight_time_var);
    CHECK_BITS(a.digraph_entropy, b.digraph_entropy);
    CHECK_BITS(a.keystroke_score, b.keystroke_score);
}

std::string utf8_of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

}  // namespace

TEST_CASE("worked example: three even keys") {
    const auto r = analyze_keystrokes(typed("xyz", {0, 100, 200}, {50, 150, 250}));
    check_same_report(r, KeystrokeReport{3, 50.0, 0.0, 50.0, 0.0, 0.5, 0.8});
}

TEST_CASE("worked example: ten identical presses clamp to 1") {
    std::vector<double> downs, ups;
    for (int i = 0; i < 10; ++i) {
        downs.push_back(100.0 * i);
        ups.push_back(100.0 * i + 10.0);
    }
    const auto r = analyze_keystrokes(typed("xxxxxxxxxx", downs, ups));
    check_same_report(r, KeystrokeReport{10, 10.0, 0.0, 90.0, 0.0, 0.0, 1.0});
}

TEST_CASE("worked example: slow common digraph adds 0.4") {
    const auto r = analyze_keystrokes(typed("thxqthxq", {0, 300, 400, 500, 600, 900, 1000, 1100},
                                            {60, 380, 500, 560, 680, 1000, 1060, 1180}));
    const double entropy = (-(5.0 / 7.0) * std::log2(5.0 / 7.0) - (2.0 / 7.0) * std::log2(2.0 / 7.0)) / 3.0;
    check_same_report(r, KeystrokeReport{8, 77.5, 243.75, 80.0, 64800.0 / 7.0, entropy, 0.4});
    CHECK_NEAR(r.digraph_entropy, 0.2877, 1e-4);
}

TEST_CASE("a lowered score starts again from 0: 0.7, not 0.45") {
    const auto r = analyze_keystrokes(typed("theqzx", {0, 70, 260, 420, 560, 795}, {50, 220, 360, 480, 700, 895}));
    check_same_report(r, KeystrokeReport{6, 100.0, 8200.0 / 6.0, 59.0, 724.0, 0.0, 0.7});
}

TEST_CASE("empty input is all zero, entropy included") {
    check_same_report(analyze_keystrokes({}), KeystrokeReport{0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
}

TEST_CASE("one and two events") {
    const std::vector<KeystrokeEvent> one = {ev("a", 100, 130)};
    check_same_report(analyze_keystrokes(one), KeystrokeReport{1, 30.0, 0.0, 0.0, 0.0, 0.5, 0.0});
    // Machine-like timing still scores 0 with two events.
    const std::vector<KeystrokeEvent> two = {ev("t", 0, 5), ev("h", 10, 15)};
    check_same_report(analyze_keystrokes(two), KeystrokeReport{2, 5.0, 0.0, 5.0, 0.0, 0.5, 0.0});
}

TEST_CASE("dwell bounds are strict") {
    struct Case { double up; double avg; };
    for (const Case c : {Case{100, 0.0}, Case{5100, 0.0}, Case{100.5, 0.5}, Case{5099, 4999.0},
                         Case{kNaN, 0.0}, Case{50, 0.0}, Case{kInf, 0.0}}) {
        const std::vector<KeystrokeEvent> events = {ev("a", 100, c.up)};
        CHECK_BITS(analyze_keystrokes(events).avg_dwell_time, c.avg);
    }
}

TEST_CASE("flight bounds are strict; base is the release, else the press") {
    struct Case { std::optional<double> first_up; double next_down; double avg; };
    for (const Case& c : {Case{1000, 500, 0.0}, Case{1000, 501, -499.0}, Case{std::nullopt, 5000, 0.0},
                          Case{std::nullopt, 4999, 4999.0}, Case{10, 5010, 0.0}, Case{10, 5009, 4999.0}}) {
        const std::vector<KeystrokeEvent> events = {ev("a", 0, c.first_up), ev("b", c.next_down)};
        CHECK_BITS(analyze_keystrokes(events).avg_flight_time, c.avg);
    }
}

TEST_CASE("digraph latency bounds are strict") {
    // th (latency 300, common) against one other group xq whose latency is under test.
    // Dwell mean 10 gives 0.75; an accepted fast xq adds 0.4 (n = 8), a slow one takes 0.25.
    struct Case { double latency; double score; };
    for (const Case c : {Case{0.0, 0.75}, Case{0.5, 1.0}, Case{2000.0, 0.75}, Case{1999.0, 0.5}}) {
        std::vector<KeystrokeEvent> events;
        const std::vector<std::pair<const char*, double>> presses = {
            {"t", 0}, {"h", 300}, {"Shift", 500}, {"Shift", 900}, {"Shift", 1100}, {"Shift", 1500},
            {"x", 1800}, {"q", 1800 + c.latency}};
        for (auto [key, down] : presses) events.push_back(ev(key, down, down + 10));
        CHECK_BITS(analyze_keystrokes(events).keystroke_score, c.score);
    }
}

TEST_CASE("entropy bins: 0 in bin 0, 800 in bin 7, outside [0, 800] dropped") {
    CHECK_BITS(flight_entropy(std::vector<double>{800, 750, 0, 50}), 1.0 / 3.0);
    CHECK_BITS(flight_entropy(std::vector<double>{800, 699.9, 0, 99.9}), 0.5);  // bins 7, 6, 0, 0
    CHECK_BITS(flight_entropy(std::vector<double>{50, 150, 250, 350}), 2.0 / 3.0);
    CHECK_BITS(flight_entropy(std::vector<double>{-100, 800.5, kNaN, 0, 50, 100, 150}), 1.0 / 3.0);
    CHECK_BITS(flight_entropy(std::vector<double>{-100, 800.5, kNaN, 0, 50, 100}), 0.5);
    CHECK_BITS(flight_entropy(std::vector<double>{}), 0.5);
    CHECK_BITS(flight_entropy(std::vector<double>{10, 110, 210, 310, 410, 510, 610, 710}), 1.0);
}

TEST_CASE("a flight of -100 counts in the mean but not in the entropy") {
    // Flights -100, 100, 100, 200: three kept for the entropy, so it stays neutral.
    const std::vector<KeystrokeEvent> events = {ev("a", 0, 200), ev("b", 100, 100), ev("c", 200), ev("d", 300),
                                                ev("e", 500)};
    const auto r = analyze_keystrokes(events);
    CHECK_BITS(r.avg_flight_time, 75.0);
    CHECK_BITS(r.digraph_entropy, 0.5);
}

TEST_CASE("case folding forms digraphs; named keys do not") {
    // th at 300 (common) vs " t" at 100 (other): Lc >= 1.05 Lo adds 0.4 with n = 8.
    auto score_for = [](const char* first, const char* second) {
        std::vector<KeystrokeEvent> events = {ev(first, 0), ev(second, 300), ev("Enter", 1000),
                                              ev(" ", 1700), ev("t", 1800)};
        for (int i = 0; i < 3; ++i) events.push_back(ev("Enter", 4000.0 + 3000.0 * i));
        return analyze_keystrokes(events).keystroke_score;
    };
    CHECK_BITS(score_for("T", "H"), 0.4);
    CHECK_BITS(score_for("t", "h"), 0.4);
    CHECK_BITS(score_for("\xE2\x84\xAA", "a"), 0.4);  // KELVIN SIGN + a = ka, common
    CHECK_BITS(score_for("Shift", "h"), 0.0);
    CHECK_BITS(score_for("unknown", "h"), 0.0);
    CHECK_BITS(score_for("\xC3\x9F", "h"), 0.0);  // U+00DF has no one-byte lower case
    CHECK_BITS(score_for("x", "h"), 0.0);         // xh and " t" are both other
}

TEST_CASE("the common digraph table") {
    std::set<std::string_view> distinct(COMMON_DIGRAPHS.begin(), COMMON_DIGRAPHS.end());
    CHECK_EQ(distinct.size(), std::size_t{39});
    for (std::string_view d : COMMON_DIGRAPHS) CHECK(d.size() == 2 && std::islower(d[0]) && std::islower(d[1]));
    CHECK(is_common_digraph('t', 'h'));
    CHECK(is_common_digraph('k', 'a'));
    CHECK(!is_common_digraph('h', 't'));
    CHECK(!is_common_digraph(' ', 't'));
    // Every possible two-byte digraph: common exactly when listed.
    std::size_t mismatches = 0;
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const char pair[2] = {static_cast<char>(a), static_cast<char>(b)};
            const bool listed = distinct.count(std::string_view(pair, 2)) == 1;
            if (is_common_digraph(pair[0], pair[1]) != listed) ++mismatches;
        }
    CHECK_EQ(mismatches, std::size_t{0});
}

TEST_CASE("lower-casing to one byte: exactly ASCII and KELVIN SIGN, over all code points") {
    std::size_t single_byte = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::optional<char> lower = single_byte_lowercase(utf8_of(cp));
        std::optional<char> expected;
        if (cp >= 'A' && cp <= 'Z') expected = static_cast<char>(cp - 'A' + 'a');
        else if (cp < 0x80) expected = static_cast<char>(cp);
        else if (cp == 0x212A) expected = 'k';
        if (lower != expected) check::fail(__FILE__, __LINE__, "code point " + std::to_string(cp));
        single_byte += lower.has_value();
    }
    CHECK_EQ(single_byte, std::size_t{129});
    // Malformed or longer texts never qualify.
    for (std::string bad : {std::string("\x80"), std::string("\xFF"), std::string("\xE2\x84"), std::string(""),
                            std::string("ab"), std::string("Shift"), std::string("\xE2\x84\xAA\xE2\x84\xAA")})
        CHECK(!single_byte_lowercase(bad));
}

TEST_CASE("digraph groups keep first-seen order and survive growth") {
    DigraphGroups groups(1);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int round = 0; round < 3; ++round)
        for (char c : letters) groups.add(c, 'q', 10.0 * (round + 1));
    const auto seen = groups.in_first_seen_order();
    CHECK_EQ(seen.size(), letters.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        CHECK_EQ(seen[i].first, letters[i]);
        CHECK_EQ(seen[i].count, std::uint64_t{3});
        CHECK_BITS(seen[i].mean_latency(), 20.0);
    }
}

TEST_CASE("group means are summed in first-seen order") {
    // 0.1 + 0.2 + 0.3 rounds differently depending on the order of addition.
    DigraphGroups groups(4);
    groups.add('x', 'q', 0.1);
    groups.add('z', 'q', 0.2);
    groups.add('j', 'q', 0.3);
    groups.add('t', 'h', 1.0);
    const auto speeds = digraph_speeds(groups.in_first_seen_order());
    CHECK(speeds.has_value());
    CHECK_BITS(speeds->other_mean, ((0.1 + 0.2) + 0.3) / 3.0);
    CHECK(speeds->other_mean != (0.1 + (0.2 + 0.3)) / 3.0);
    CHECK_BITS(speeds->common_mean, 1.0);

    DigraphGroups only_other(2);
    only_other.add('x', 'q', 5.0);
    CHECK(!digraph_speeds(only_other.in_first_seen_order()).has_value());
}

TEST_CASE("score steps and their thresholds") {
    const ScoreInputs base{.event_count = 10, .dwell_count = 0, .flight_count = 9, .avg_dwell_time = 0.0,
                           .dwell_time_var = 0.0, .avg_flight_time = 100.0, .flight_time_var = 500.0,
                           .flight_entropy = 0.5, .digraph_speeds = std::nullopt};
    auto with = [&](auto change) {
        ScoreInputs in = base;
        change(in);
        return keystroke_score(in);
    };
    CHECK_BITS(keystroke_score(base), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.event_count = 2; in.avg_flight_time = 10; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_time_var = 1.9; in.flight_count = 3; }), 0.85);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_time_var = 2.0; in.flight_count = 3; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_time_var = 2.0; in.flight_count = 4; }), 0.6);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_time_var = 15.0; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.avg_flight_time = 24.5; }), 0.7);
    CHECK_BITS(with([](ScoreInputs& in) { in.avg_flight_time = 25.0; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.avg_flight_time = 0.0; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.dwell_count = 1; in.avg_dwell_time = 14.9; }), 0.75);
    CHECK_BITS(with([](ScoreInputs& in) { in.dwell_count = 2; in.avg_dwell_time = 80; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.dwell_count = 3; in.avg_dwell_time = 80; in.dwell_time_var = 1.9; }), 0.8);
    // Slow common pairs need eight events; fast ones count with fewer.
    CHECK_BITS(with([](ScoreInputs& in) { in.digraph_speeds = DigraphSpeeds{105, 100}; }), 0.4);
    CHECK_BITS(with([](ScoreInputs& in) { in.event_count = 7; in.digraph_speeds = DigraphSpeeds{105, 100}; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.event_count = 7; in.avg_flight_time = 10; in.digraph_speeds = DigraphSpeeds{84, 100}; }), 0.7 - 0.25);
    CHECK_BITS(with([](ScoreInputs& in) { in.avg_flight_time = 10; in.digraph_speeds = DigraphSpeeds{85, 100}; }), 0.7);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_entropy = 0.14; in.flight_count = 5; }), 0.7);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_entropy = 0.14; in.flight_count = 4; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_entropy = 0.99; in.flight_count = 8; }), 0.5);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_entropy = 0.98; in.flight_count = 8; }), 0.0);
    CHECK_BITS(with([](ScoreInputs& in) { in.flight_entropy = 0.99; in.flight_count = 7; }), 0.0);
}

TEST_CASE("NaN down times: a stable permutation, timed events in order, NaNs last") {
    std::mt19937_64 rng(20240611);
    for (int trial = 0; trial < 2000; ++trial) {
        const std::size_t n = rng() % 40;
        std::vector<KeystrokeEvent> events;
        for (std::size_t i = 0; i < n; ++i) {
            const auto pick = rng() % 10;
            // Few distinct values, so ties are common and stability is exercised.
            const double down = pick < 3 ? kNaN : pick == 3 ? -kInf : static_cast<double>(rng() % 8) * 100.0;
            events.push_back(ev(std::to_string(i), down, down + 10.0));
        }
        const auto order = in_press_order(events);
        CHECK_EQ(order.size(), events.size());
        std::set<const KeystrokeEvent*> distinct(order.begin(), order.end());
        CHECK_EQ(distinct.size(), events.size());
        for (const KeystrokeEvent* e : order) CHECK(e >= events.data() && e < events.data() + events.size());

        std::vector<const KeystrokeEvent*> expected;
        for (const auto& e : events) if (!std::isnan(e.down)) expected.push_back(&e);
        std::stable_sort(expected.begin(), expected.end(),
                         [](const KeystrokeEvent* a, const KeystrokeEvent* b) { return a->down < b->down; });
        for (const auto& e : events) if (std::isnan(e.down)) expected.push_back(&e);
        CHECK(order == expected);
    }
}

TEST_CASE("NaN down times spoil only their own pairs") {
    std::mt19937_64 rng(7);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<KeystrokeEvent> timed, mixed;
        const std::string keys = "thequickbrownfox";
        for (int i = 0; i < 12; ++i) {
            const double down = static_cast<double>(rng() % 3000);
            timed.push_back(ev(std::string(1, keys[rng() % keys.size()]), down, down + 20.0 + static_cast<double>(rng() % 100)));
        }
        mixed = timed;
        for (int i = 0; i < 3; ++i)
            mixed.insert(mixed.begin() + rng() % (mixed.size() + 1), ev("e", kNaN, 50.0));
        const auto a = analyze_keystrokes(timed), b = analyze_keystrokes(mixed);
        CHECK_EQ(b.key_count, std::uint64_t{15});
        CHECK_BITS(a.avg_dwell_time, b.avg_dwell_time);
        CHECK_BITS(a.dwell_time_var, b.dwell_time_var);
        CHECK_BITS(a.avg_flight_time, b.avg_flight_time);
        CHECK_BITS(a.flight_time_var, b.flight_time_var);
        CHECK_BITS(a.digraph_entropy, b.digraph_entropy);
    }
}

TEST_CASE("distinct down times: the input order does not matter") {
    std::mt19937_64 rng(99);
    const std::string keys = "thanerondesk T.";
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<KeystrokeEvent> events;
        double down = 0.0;
        const std::size_t n = 3 + rng() % 30;
        for (std::size_t i = 0; i < n; ++i) {
            down += 1.0 + static_cast<double>(rng() % 400);
            const bool released = rng() % 4 != 0;
            events.push_back(ev(std::string(1, keys[rng() % keys.size()]), down,
                                released ? std::optional<double>(down + static_cast<double>(rng() % 200)) : std::nullopt));
        }
        const KeystrokeReport reference = analyze_keystrokes(events);
        std::shuffle(events.begin(), events.end(), rng);
        check_same_report(analyze_keystrokes(events), reference);
    }
}

TEST_CASE("equal down times pair in input order") {
    // Two keys pressed together: the later-listed one pairs with h at 800, and only
    // "t then h" gives the slow common digraph th (with faster others: +0.4).
    auto score_for = [](const char* first, const char* second) {
        std::vector<KeystrokeEvent> events = {ev("x", 400),  ev(first, 500), ev(second, 500),   ev("h", 800),
                                              ev("q", 1000), ev("z", 1200),  ev("Enter", 3000), ev("Enter", 6000)};
        return analyze_keystrokes(events).keystroke_score;
    };
    CHECK_BITS(score_for("h", "t"), 0.4);
    CHECK_BITS(score_for("t", "h"), 0.0);
}
