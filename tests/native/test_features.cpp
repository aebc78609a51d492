// Movement, spectral and touch features of the kinematics core.
#define CHECK_MAIN
#include "check.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "features/feature_record.hpp"
#include "features/motion_track.hpp"
#include "numeric/pairwise_math.hpp"
#include "features/movement.hpp"
#include "features/segment_series.hpp"
#include "features/spectrum.hpp"
#include "features/touch.hpp"
#include "platform/cpu_features.hpp"

using namespace velmora::features;

namespace {

MousePoint at(double x, double y, double t) { return MousePoint{x, y, t, 0.0, 0.0}; }

MovementFeatures features_of(const std::vector<MousePoint>& points) {
    return movement_features(build_motion_track(points));
}

// A straight run along x whose segment speeds are exactly `speeds` (unit time steps).
std::vector<MousePoint> track_with_speeds(const std::vector<double>& speeds) {
    std::vector<MousePoint> points{at(0, 0, 0)};
    for (double s : speeds) points.push_back(at(points.back().x + s, 0, points.back().t + 1));
    return points;
}

void check_same_features(const MovementFeatures& a, const MovementFeatures& b) {
    CHECK_BITS(a.total_distance, b.total_distance);
    CHECK_BITS(a.straightness, b.straightness);
    CHECK_BITS(a.avg_velocity, b.avg_velocity);
    CHECK_BITS(a.max_velocity, b.max_velocity);
    CHECK_BITS(a.velocity_var, b.velocity_var);
    CHECK_BITS(a.avg_acceleration, b.avg_acceleration);
    CHECK_BITS(a.acceleration_var, b.acceleration_var);
    CHECK_BITS(a.avg_jerk, b.avg_jerk);
    CHECK_BITS(a.dt_var, b.dt_var);
    CHECK_BITS(a.terminal_decel_ratio, b.terminal_decel_ratio);
    CHECK_EQ(a.submovement_count, b.submovement_count);
    CHECK_BITS(a.spectral.spectral_purity, b.spectral.spectral_purity);
    CHECK_BITS(a.spectral.spectral_entropy, b.spectral.spectral_entropy);
}

}  // namespace

TEST_CASE("three collinear points at constant speed") {
    const MovementFeatures f = features_of({at(0, 0, 0), at(3, 4, 10), at(6, 8, 20)});
    CHECK_EQ(f.total_distance, 10.0);
    CHECK_EQ(f.straightness, 1.0);
    CHECK_EQ(f.avg_velocity, 0.5);
    CHECK_EQ(f.max_velocity, 0.5);
    CHECK_EQ(f.velocity_var, 0.0);
    CHECK_EQ(f.dt_var, 0.0);
    CHECK_EQ(f.terminal_decel_ratio, 1.0);
    CHECK_EQ(f.submovement_count, std::uint64_t{1});
    CHECK_EQ(f.avg_acceleration, 0.0);
    CHECK_EQ(f.acceleration_var, 0.0);
    CHECK_EQ(f.avg_jerk, 0.0);
    CHECK_EQ(f.spectral.spectral_purity, 0.0);
    CHECK_EQ(f.spectral.spectral_entropy, 1.0);
}

TEST_CASE("two points keep every default") {
    const MovementFeatures f = features_of({at(0, 0, 0), at(30, 40, 10)});
    CHECK_EQ(f.total_distance, 0.0);
    CHECK_EQ(f.straightness, 1.0);
    CHECK_EQ(f.max_velocity, 0.0);
    CHECK_EQ(f.terminal_decel_ratio, 1.0);
    CHECK_EQ(f.submovement_count, std::uint64_t{0});
}

TEST_CASE("reverse time order gives the same features") {
    std::vector<MousePoint> forward;
    for (int i = 0; i < 40; ++i) forward.push_back(at(i * i * 0.5, std::sin(i * 0.3) * 20, i * 16.0 + (i % 3)));
    std::vector<MousePoint> reversed(forward.rbegin(), forward.rend());
    check_same_features(features_of(forward), features_of(reversed));
}

TEST_CASE("equal timestamps use the smallest time step") {
    const SegmentSeries s = build_segment_series(std::vector<MousePoint>{at(0, 0, 5), at(1, 0, 5)});
    CHECK_EQ(s.step[0], 0.1);
    CHECK_EQ(s.speed[0], 10.0);
    // A backwards step is floored the same way.
    const SegmentSeries back = build_segment_series(std::vector<MousePoint>{at(0, 0, 5), at(0, 2, 4)});
    CHECK_EQ(back.speed[0], 20.0);
}

TEST_CASE("motionless track") {
    const MovementFeatures f = features_of({at(7, 7, 0), at(7, 7, 10), at(7, 7, 20), at(7, 7, 35)});
    CHECK_EQ(f.total_distance, 0.0);
    CHECK_EQ(f.straightness, 1.0);
    CHECK_EQ(f.max_velocity, 0.0);
    CHECK_EQ(f.terminal_decel_ratio, 1.0);
    CHECK_EQ(f.submovement_count, std::uint64_t{0});
}

TEST_CASE("back and forth ends with straightness 0") {
    const MovementFeatures f = features_of({at(0, 0, 0), at(10, 0, 10), at(20, 0, 20), at(0, 0, 30)});
    CHECK_EQ(f.straightness, 0.0);
    CHECK_EQ(f.total_distance, 40.0);
}

TEST_CASE("a long track keeps the 300 earliest points, in time order") {
    // Out along x for the first 300 samples, then back: only the outward run counts.
    std::vector<MousePoint> points;
    for (int i = 0; i < 400; ++i) points.push_back(at(i < 300 ? i : 599 - i, 0, i * 10.0));
    std::shuffle(points.begin(), points.end(), std::mt19937(7));
    const MotionTrack track = build_motion_track(points);
    CHECK_EQ(track.size(), std::size_t{300});
    bool in_order = true;
    for (std::size_t i = 0; i < track.size(); ++i) in_order = in_order && track[i].t == static_cast<double>(i) * 10.0;
    CHECK(in_order);
    const MovementFeatures f = movement_features(track);
    CHECK_EQ(f.total_distance, 299.0);
    CHECK_EQ(f.straightness, 1.0);
}

TEST_CASE("equal times keep their input order") {
    const MotionTrack track = build_motion_track(std::vector<MousePoint>{
        at(1, 0, 5), at(2, 0, 0), at(3, 0, 5), at(4, 0, -0.0), at(5, 0, 0.0)});
    std::vector<double> xs;
    for (const MousePoint& p : track) xs.push_back(p.x);
    CHECK((xs == std::vector<double>{2, 4, 5, 1, 3}));
}

TEST_CASE("submovements are strict local peaks above 15% of the top speed") {
    CHECK_EQ(count_submovements(std::vector<double>{1, 3, 1, 3, 1}, 3.0), std::uint64_t{2});
    CHECK_EQ(count_submovements(std::vector<double>{1, 2, 2, 1}, 2.0), std::uint64_t{1});
    // The peak of 1 is below 0.15 * 100; the one of 100 counts.
    CHECK_EQ(count_submovements(std::vector<double>{0, 1, 0, 100, 0}, 100.0), std::uint64_t{1});
    CHECK_EQ(count_submovements(std::vector<double>{0, 20, 0, 100, 0}, 100.0), std::uint64_t{2});
    CHECK_EQ(count_submovements(std::vector<double>{0, 0, 0}, 0.0), std::uint64_t{0});
    // Through the whole pipeline the series come from the track.
    CHECK_EQ(features_of(track_with_speeds({1, 3, 1, 3, 1})).submovement_count, std::uint64_t{2});
}

TEST_CASE("terminal deceleration compares the last quarter with the top speed") {
    CHECK_EQ(terminal_decel_ratio(std::vector<double>{5, 1, 1, 1}, 5.0), 0.2);
    CHECK_EQ(terminal_decel_ratio(std::vector<double>{4, 4, 4, 4, 4, 4, 4, 4, 1, 3}, 4.0), 0.5);
    CHECK_EQ(features_of(track_with_speeds({5, 1, 1, 1})).terminal_decel_ratio, 0.2);
}

TEST_CASE("acceleration uses the later step, jerk the one after") {
    // Speeds 1, 3, 2 over steps 1, 2, 4: accel (3-1)/2 = 1 and (2-3)/4 = -0.25; jerk (-1.25)/4.
    const MovementFeatures f = features_of({at(0, 0, 0), at(1, 0, 1), at(7, 0, 3), at(15, 0, 7)});
    CHECK_EQ(f.avg_acceleration, 0.375);
    CHECK_EQ(f.acceleration_var, 0.390625);
    CHECK_EQ(f.avg_jerk, 0.3125);
}

TEST_CASE("spectral features need 9 track points") {
    const std::vector<double> speeds{1, 4, 2, 5, 1, 3, 2, 6};
    const MovementFeatures eight = features_of(track_with_speeds({1, 4, 2, 5, 1, 3, 2}));
    CHECK_EQ(eight.spectral.spectral_purity, 0.0);
    CHECK_EQ(eight.spectral.spectral_entropy, 1.0);
    const MovementFeatures nine = features_of(track_with_speeds(speeds));
    CHECK(nine.spectral.spectral_purity > 0.0);
    CHECK(nine.spectral.spectral_entropy < 1.0);
}

TEST_CASE("constant speed has no spectrum") {
    const SpectralFeatures s = spectral_features(std::vector<double>(50, 2.5), 2.5);
    CHECK_EQ(s.spectral_purity, 0.0);
    CHECK_EQ(s.spectral_entropy, 1.0);
}

TEST_CASE("alternating speeds put all power in the highest bin") {
    const SpectralFeatures s = spectral_features(std::vector<double>{1, 3, 1, 3, 1, 3, 1, 3}, 2.0);
    CHECK_NEAR(s.spectral_purity, 1.0, 1e-12);
    CHECK_NEAR(s.spectral_entropy, 0.0, 1e-12);
}

TEST_CASE("an odd length has (o - 1) / 2 bins") {
    // Equal power in bins 1 and 4 of nine samples: one bit, normalised by log2(4).
    std::vector<double> c(9);
    for (std::size_t k = 0; k < c.size(); ++k) {
        const double a = 6.283185307179586 * static_cast<double>(k) / 9.0;
        c[k] = std::cos(a) + std::cos(4.0 * a);
    }
    const SpectralFeatures s = spectral_features(c, 0.0);
    CHECK_NEAR(s.spectral_entropy, 0.5, 1e-9);
    CHECK_NEAR(s.spectral_purity, 0.5, 1e-9);
}

// Runs before the bit-identity case below, while most tables are still unbuilt.
TEST_CASE("threads racing to build the same tables all get the same spectra") {
    constexpr int kThreads = 4;
    std::vector<double> c(299);
    for (std::size_t k = 0; k < c.size(); ++k) c[k] = std::sin(0.37 * static_cast<double>(k * k % 101));
    std::vector<std::vector<double>> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            for (std::size_t o = 160; o < 300; ++o) {
                std::vector<double> power(o / 2);
                power_spectrum(std::span<const double>(c.data(), o), power);
                results[i].insert(results[i].end(), power.begin(), power.end());
            }
        });
    for (std::thread& t : threads) t.join();
    for (int i = 1; i < kThreads; ++i) CHECK(results[i] == results[0]);
    std::vector<double> literal(149);
    power_spectrum_reference(c, literal);
    CHECK(std::equal(literal.begin(), literal.end(), results[0].end() - 149));
}

TEST_CASE("cached twiddle tables reproduce the literal transform bit for bit") {
    const auto kernels = velmora::features::runnable_spectrum_kernels();
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> magnitude(-6, 6);
    int compared = 0, mismatches = 0;
    for (std::size_t o = 8; o < 300; ++o) {
        for (int trial = 0; trial < 6; ++trial) {
            std::vector<double> c(o);
            const double scale = std::ldexp(1.0, magnitude(rng) * 4);
            for (double& v : c) v = unit(rng) * scale;
            std::vector<double> literal(o / 2);
            power_spectrum_reference(c, literal);
            check::for_each_kernel(kernels, [&](SpectrumKernel kernel) {
                std::vector<double> fast(o / 2);
                power_spectrum_with(kernel, c, fast);
                for (std::size_t j = 0; j < fast.size(); ++j, ++compared)
                    if (check::bits_of(fast[j]) != check::bits_of(literal[j])) ++mismatches;
            });
        }
    }
    CHECK_EQ(mismatches, 0);
    CHECK(compared > 0);
}

TEST_CASE("two-lane square roots and quotients equal the scalar ones") {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> unit(-1e6, 1e6);
    int mismatches = 0;
    for (std::size_t n : {0, 1, 2, 3, 8, 299}) {
        std::vector<double> a(n), b(n), roots(n), quotients(n);
        for (std::size_t i = 0; i < n; ++i) {
            a[i] = std::fabs(unit(rng)) * (i % 7 == 3 ? 1e-300 : 1.0);
            b[i] = i % 11 == 5 ? 0.0 : unit(rng);
        }
        velmora::numeric::sqrt_each(a.data(), roots.data(), n);
        velmora::numeric::divide_each(a.data(), b.data(), quotients.data(), n);
        for (std::size_t i = 0; i < n; ++i) {
            mismatches += check::bits_of(roots[i]) != check::bits_of(std::sqrt(a[i]));
            mismatches += check::bits_of(quotients[i]) != check::bits_of(a[i] / b[i]);
        }
    }
    CHECK_EQ(mismatches, 0);
}

TEST_CASE("touch statistics count positive radii and forces") {
    std::vector<MousePoint> points{{0, 0, 0, 2, 0}, {0, 0, 1, 4, 0}, {0, 0, 2, 0, 0}, {0, 0, 3, 0, 0.5},
                                   {0, 0, 4, -3, -1}, {0, 0, 5, std::nan(""), std::nan("")}};
    const TouchStats s = touch_stats(points);
    CHECK_EQ(s.touch_event_count, std::uint64_t{2});
    CHECK_EQ(s.avg_touch_radius, 3.0);
    CHECK_EQ(s.touch_radius_var, 1.0);
    CHECK_EQ(s.avg_touch_force, 0.5);

    const TouchStats none = touch_stats(std::vector<MousePoint>{at(0, 0, 0)});
    CHECK_EQ(none.touch_event_count, std::uint64_t{0});
    CHECK_EQ(none.avg_touch_radius, 0.0);
    CHECK_EQ(none.avg_touch_force, 0.0);

    const double inf = std::numeric_limits<double>::infinity();
    const TouchStats infinite = touch_stats(std::vector<MousePoint>{{0, 0, 0, inf, 0}, {0, 0, 1, 1, 0}});
    CHECK(std::isinf(infinite.avg_touch_radius));
    CHECK(std::isnan(infinite.touch_radius_var));
}

TEST_CASE("the record takes touch from every point, motion from the 300 earliest") {
    ParsedTelemetry t;
    for (int i = 0; i < 400; ++i) t.points.push_back({double(i), 0, 400.0 - i, i < 350 ? 1.0 : 0.0, 0});
    const FeatureRecord r = build_feature_record(t);
    CHECK_EQ(r.mouse_points, std::uint64_t{400});
    CHECK_EQ(r.touch_event_count, std::uint64_t{350});
    CHECK_EQ(r.total_distance, 299.0);
}

TEST_CASE("the record hands over keystrokes and curvature only when there is data") {
    ParsedTelemetry t;
    t.points = {at(0, 0, 0), at(3, 4, 10), at(6, 8, 20)};
    FeatureRecord r = build_feature_record(t);
    CHECK_EQ(r.total_distance, 10.0);
    CHECK_EQ(r.curvature_score, 0.0);
    CHECK_EQ(r.key_count, std::uint64_t{0});
    CHECK_EQ(r.digraph_entropy, 0.5);

    // A straight line of 5 samples is the curvature analysis' "practically no curvature".
    t.points = {at(0, 0, 0), at(1, 0, 10), at(2, 0, 20), at(3, 0, 30), at(4, 0, 40)};
    t.events = {{"x", 0, 50}, {"y", 100, 150}, {"z", 200, 250}};
    r = build_feature_record(t);
    CHECK_EQ(r.curvature_score, 0.95);
    CHECK_EQ(r.key_count, std::uint64_t{3});
    CHECK_EQ(r.avg_dwell_time, 50.0);
    CHECK_EQ(r.key_interval_avg, r.avg_flight_time);
    CHECK_EQ(r.key_interval_var, r.flight_time_var);
    CHECK_EQ(r.avg_flight_time, 50.0);
}
