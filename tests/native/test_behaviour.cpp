// The behaviour features on sessions whose values are known by construction.
#define CHECK_MAIN
#include <algorithm>
#include <cmath>
#include <limits>

#include "behaviour/behaviour_features.hpp"
#include "behaviour/fast_math.hpp"
#include "behaviour/human_reference.hpp"
#include "check.hpp"

using namespace velmora::behaviour;

namespace {


// A straight line at constant speed: one sample every `dt` ms, `step` px apart.
std::vector<PointerSample> line(double x0, double t0, std::size_t samples, double step, double dt) {
    std::vector<PointerSample> out;
    for (std::size_t i = 0; i < samples; ++i)
        out.push_back({x0 + step * static_cast<double>(i), 100.0, t0 + dt * static_cast<double>(i)});
    return out;
}

// One movement along x whose progress follows the minimum-jerk profile.
std::vector<PointerSample> min_jerk_reach(double distance, std::size_t samples, double duration) {
    std::vector<PointerSample> out;
    for (std::size_t i = 0; i < samples; ++i) {
        const double tau = static_cast<double>(i) / static_cast<double>(samples - 1);
        const double s = tau * tau * tau * (10.0 - 15.0 * tau + 6.0 * tau * tau);
        out.push_back({distance * s, 0.0, duration * tau});
    }
    return out;
}

FeatureValues of_pointer(std::vector<PointerSample> pointer, std::vector<Click> clicks = {}) {
    BehaviourSession s;
    s.pointer = std::move(pointer);
    s.clicks = std::move(clicks);
    return compute_behaviour_features(s);
}

FeatureValues of_keys(std::vector<KeyTiming> keys) {
    BehaviourSession s;
    s.keys = std::move(keys);
    return compute_behaviour_features(s);
}

}  // namespace

TEST_CASE("an empty session gives every feature its neutral 0, and lies far from people") {
    const FeatureValues v = compute_behaviour_features(BehaviourSession{});
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        if (i != kHumanDistance && i != kHumanRangeExcess) CHECK_BITS(v[i], 0.0);
    CHECK(v[kHumanDistance] > 1.0);
    CHECK_EQ(kFeatureNames.size(), static_cast<std::size_t>(kFeatureCount));
}

TEST_CASE("distances from people: 0 at the human medians; one wild feature adds its capped share") {
    FeatureValues v{};
    for (std::size_t i = 0; i < kReferenceCount; ++i) v[i] = kHumanReference[i].median;
    v[kHoldMean] = 1e9;  // key features are not part of them
    CHECK_BITS(human_distance(v), 0.0);
    CHECK_BITS(human_range_excess(v), 0.0);
    const HumanReference& turn = kHumanReference[kTurnEntropy];
    v[kTurnEntropy] = turn.median + 2.0 * turn.scale;
    CHECK(std::fabs(human_distance(v) - 4.0 / static_cast<double>(kReferenceCount)) < 1e-12);
    v[kTurnEntropy] = turn.high + 2.0 * turn.iqr;
    CHECK(std::fabs(human_range_excess(v) - 2.0) < 1e-12);
    v[kTurnEntropy] = turn.low - 100.0 * turn.iqr;
    CHECK(std::fabs(human_range_excess(v) - 5.0) < 1e-12);
    v[kDtCv] = std::numeric_limits<double>::quiet_NaN();
    CHECK(std::fabs(human_range_excess(v) - 10.0) < 1e-12);
    v[kTurnEntropy] = turn.median;
    CHECK(std::fabs(human_distance(v) - 100.0 / static_cast<double>(kReferenceCount)) < 1e-12);
}

TEST_CASE("the cheap turn angle and logarithm stay within their stated error") {
    for (int i = 0; i < 720; ++i) {
        const double a = i * kPi / 360.0 - kPi, c = 3.0 * std::sin(a), d = 3.0 * std::cos(a);
        CHECK(std::fabs(turn_angle(c, d) - std::fabs(std::atan2(c, d))) < 2e-5);
    }
    for (double v : {1e-300, 1e-5, 0.7, 1.0, 1.41421356, 1.5, 16.0, 1e12}) CHECK(std::fabs(fast_log(v) - std::log(v)) < 1e-9);
    CHECK_BITS(turn_angle(0.0, 0.0), 0.0);
}

TEST_CASE("a constant-speed straight line: regular sampling, one peak, no turning") {
    const FeatureValues v = of_pointer(line(0.0, 1000.0, 40, 8.0, 16.0));
    CHECK_BITS(v[kDtCv], 0.0);
    CHECK_BITS(v[kDtRepeatShare], 1.0);
    CHECK_BITS(v[kDtEntropy], 0.0);
    CHECK_BITS(v[kStraightnessMean], 1.0);
    CHECK_BITS(v[kDeviationMean], 0.0);
    CHECK_BITS(v[kTurnZeroShare], 1.0);
    CHECK_BITS(v[kTurnAbsMean], 0.0);
    CHECK_BITS(v[kSpeedJitter], 0.0);
    CHECK_BITS(v[kPeakCountMean], 1.0);
    CHECK_BITS(v[kEndSpeedRatio], 1.0);  // it never slows down
    CHECK_BITS(v[kAxisStepShare], 1.0);
    CHECK_BITS(v[kStillStepShare], 0.0);
    CHECK(v[kMinJerkError] > 0.05);  // a flat profile is far from a bell
    CHECK_BITS(v[kFineCoarseRatio], 1.0);
    CHECK_BITS(v[kInflectionRate], 0.0);
}

TEST_CASE("a minimum-jerk reach: bell-shaped, symmetric, one peak") {
    const FeatureValues v = of_pointer(min_jerk_reach(400.0, 61, 600.0));
    CHECK(v[kMinJerkError] < 0.01);
    CHECK_NEAR(v[kPeakTimeRatioMean], 0.5, 0.02);
    CHECK_BITS(v[kPeakCountMean], 1.0);
    CHECK(v[kEndSpeedRatio] < 0.1);
    CHECK(v[kSpeedDiffLag1] > 0.9);  // smooth: each change of speed is like the last
}

TEST_CASE("time stamps jittered around a steady sensor make speed changes alternate") {
    // Positions from a steady 4 px per 16 ms; each time stamp late or early by up to 3 ms.
    std::vector<PointerSample> p;
    for (int i = 0; i < 60; ++i) {
        const double noise = static_cast<double>((i * 7919) % 7) - 3.0;
        p.push_back({4.0 * i, 50.0, 16.0 * i + noise});
    }
    const FeatureValues v = of_pointer(p);
    CHECK(v[kSpeedDiffLag1] < -0.3);
    CHECK(v[kDtLag1] < -0.3);
    CHECK(v[kSpeedJitter] > 0.1);
}

TEST_CASE("a zig-zag bends to alternate sides at the coarse scale") {
    std::vector<PointerSample> p;
    for (int i = 0; i < 41; ++i) p.push_back({12.0 * i, (i % 2) * 12.0, 16.0 * i});
    const FeatureValues v = of_pointer(p);
    CHECK(v[kFineCoarseRatio] == 1.0);   // every sample is kept at 12 px spacing or more
    CHECK(v[kInflectionRate] > 5.0);     // a side change at almost every coarse point
    CHECK_BITS(v[kTurnFlipShare], 1.0);
}

TEST_CASE("an ellipse traced at constant angular rate follows the two-thirds power law") {
    std::vector<PointerSample> p;
    for (int i = 0; i <= 200; ++i) {
        const double a = 2.0 * kPi * i / 100.0;  // two laps
        p.push_back({500.0 + 300.0 * std::cos(a), 400.0 + 80.0 * std::sin(a), 10.0 * i});
    }
    const FeatureValues v = of_pointer(p);
    CHECK_NEAR(v[kPowerLawSlope], -1.0 / 3.0, 0.03);
    CHECK(v[kPowerLawR] < -0.95);
}

TEST_CASE("pauses split movements; order of input and non-finite samples do not matter") {
    std::vector<PointerSample> p = line(0.0, 0.0, 20, 5.0, 10.0);
    const std::vector<PointerSample> second = line(500.0, 2000.0, 20, 5.0, 10.0);
    p.insert(p.end(), second.begin(), second.end());
    const FeatureValues v = of_pointer(p);
    CHECK_BITS(v[kStraightnessMean], 1.0);  // two straight movements, not one bent path
    CHECK_BITS(v[kDtRepeatShare], 1.0);     // the pause is not a sampling interval

    std::vector<PointerSample> shuffled(p.rbegin(), p.rend());
    shuffled.push_back({std::numeric_limits<double>::quiet_NaN(), 1.0, 5.0});
    shuffled.push_back({1.0, 1.0, std::numeric_limits<double>::infinity()});
    const FeatureValues w = of_pointer(shuffled);
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        if (i != kTimeDisorder) CHECK_BITS(w[i], v[i]);
    CHECK_BITS(v[kTimeDisorder], 0.0);
    CHECK_BITS(w[kTimeDisorder], 39.0);  // received newest first: every sample goes back in time
}

TEST_CASE("movements sampled by one clock rank alike; strokes from several recordings do not") {
    // Three movements 2 s apart, each 20 samples; the same clock, or each its own.
    const auto session = [](double a, double b, double c) {
        std::vector<PointerSample> p;
        const double steps[] = {a, b, c};
        for (int m = 0; m < 3; ++m) {
            const std::vector<PointerSample> part = line(100.0 * m, 2000.0 * m, 20, 5.0, steps[m]);
            p.insert(p.end(), part.begin(), part.end());
        }
        return p;
    };
    CHECK_BITS(of_pointer(session(16.0, 16.0, 16.0))[kDtStrokeDivergence], 0.0);
    CHECK(of_pointer(session(8.0, 16.0, 33.0))[kDtStrokeDivergence] > 0.85);
    // One movement is nothing to compare with; two are enough.
    std::vector<PointerSample> part = session(8.0, 16.0, 33.0);
    part.resize(40);
    CHECK(of_pointer(part)[kDtStrokeDivergence] > 0.5);
    part.resize(20);
    CHECK_BITS(of_pointer(part)[kDtStrokeDivergence], 0.0);
}

TEST_CASE("clicks where the pointer is not: off its path, or at new places without a move") {
    BehaviourSession s;
    s.pointer = line(100.0, 100.0, 20, 5.0, 10.0);  // x 100 to 195 (y 100) at t 100 to 290
    s.clicks = {{125.0, 102.0, 150.0},  // on the path, 2 px off: fine
                {120.0, 160.0, 200.0},  // 60 px from where the pointer is (150, 100)
                {0.0, 0.0, 210.0},      // a keyboard's click: no place to check
                {300.0, 300.0, 400.0}}; // after the last sample: not judged
    FeatureValues v = compute_behaviour_features(s);
    CHECK_BITS(v[kClickOffPath], 1.0);
    CHECK_BITS(v[kClickJump], 0.0);  // the pointer moved between the clicks
    s.pointer.clear();  // no pointer at all: every click at a new place is a jump
    v = compute_behaviour_features(s);
    CHECK_BITS(v[kClickOffPath], 0.0);
    CHECK_BITS(v[kClickJump], 2.0);
    CHECK_BITS(v[kPlaceXMax], 300.0);
    CHECK_BITS(v[kPlaceMin], 102.0);
    CHECK_BITS(v[kPointerJump], 0.0);
    // A 100 ms clock: the click shares its stamp with three samples and happened among them.
    s.pointer = {{0.0, 0.0, 0.0}, {40.0, 0.0, 100.0}, {80.0, 0.0, 100.0}, {120.0, 0.0, 100.0}, {160.0, 0.0, 200.0}};
    s.clicks = {{42.0, 1.0, 100.0}, {150.0, 30.0, 100.0}};  // on that path; 30 px off it
    CHECK_BITS(compute_behaviour_features(s)[kClickOffPath], 1.0);
    // A slow device's step 330 ms and 200 px long does not show the path; a long rest does.
    s.pointer = {{0.0, 0.0, 0.0}, {200.0, 0.0, 330.0}, {205.0, 0.0, 2000.0}, {400.0, 0.0, 2010.0}};
    s.clicks = {{100.0, 80.0, 150.0}, {260.0, 60.0, 1000.0}};
    CHECK_BITS(compute_behaviour_features(s)[kClickOffPath], 1.0);
    // A pointer that only appears where it is clicked, far from the last, with silence around.
    s.pointer = {{100.0, 100.0, 0.0}, {300.0, 100.0, 500.0}, {330.0, 100.0, 510.0}, {300.0, 400.0, 1000.0},
                 {600.0, 400.0, 1400.0}};
    s.clicks = {{300.0, 100.0, 505.0}, {303.0, 404.0, 1020.0}, {600.0, 400.0, 1300.0}};
    CHECK_BITS(compute_behaviour_features(s)[kPointerJump], 1.0);  // the second is followed at once;
    // the last is clicked before it appeared. A slow device's samples, with no click there:
    s.clicks.clear();
    CHECK_BITS(compute_behaviour_features(s)[kPointerJump], 0.0);
}

TEST_CASE("around clicks: overshoot, settle time and offset") {
    // Out to x = 220 past a click target at x = 200, back onto it, still 150 ms, then the click.
    std::vector<PointerSample> p = line(0.0, 0.0, 12, 20.0, 16.0);
    p.push_back({200.0, 100.0, 192.0});
    p.push_back({200.0, 100.0, 342.0});
    const FeatureValues v = of_pointer(p, {{200.0, 100.0, 342.0}});
    CHECK_BITS(v[kOvershootShare], 1.0);
    CHECK_BITS(v[kClickSettleMs], 150.0);
    CHECK_BITS(v[kClickOffsetPx], 0.0);
    const FeatureValues off = of_pointer(p, {{203.0, 104.0, 350.0}});
    CHECK_BITS(off[kClickOffsetPx], 5.0);
}

TEST_CASE("scripted typing: fixed holds and intervals, no rollover") {
    std::vector<KeyTiming> keys;
    for (int i = 0; i < 30; ++i) keys.push_back({1000.0 + 50.0 * i, 1010.0 + 50.0 * i});
    const FeatureValues v = of_keys(keys);
    CHECK_BITS(v[kHoldMean], 10.0);
    CHECK_BITS(v[kHoldCv], 0.0);
    CHECK_BITS(v[kHoldRepeatShare], 1.0);
    CHECK_BITS(v[kKeyIntervalCv], 0.0);
    CHECK_BITS(v[kRolloverShare], 0.0);
    CHECK_BITS(v[kBurstConsistency], 0.0);  // one burst: nothing to compare
}

TEST_CASE("repeated bursts with the same rhythm are consistent; overlapping presses are rollover") {
    const double pattern[] = {120.0, 80.0, 200.0, 95.0, 150.0};
    std::vector<KeyTiming> keys;
    double t = 0.0;
    for (int burst = 0; burst < 4; ++burst) {
        keys.push_back({t, t + 100.0});  // held past the next press (80-200 ms later)
        for (double gap : pattern) {
            t += gap + burst;  // a little slower each time, same shape
            keys.push_back({t, t + 100.0});
        }
        t += 2000.0;
    }
    const FeatureValues v = of_keys(keys);
    CHECK(v[kBurstConsistency] > 0.99);
    CHECK_BITS(v[kRolloverShare], 0.4);  // the 80 and 95 ms gaps of each burst's five
    const FeatureValues one = of_keys({{5.0, std::numeric_limits<double>::quiet_NaN()}});
    CHECK_BITS(one[kHoldMean], 0.0);  // no release: no hold
}
