// Runs one fixed set of inputs through the cores and prints every result as its IEEE-754
// bits, one "name bits class" line each. `make test-cross` runs it on every target and
// compares the outputs: class "exact" bit for bit, class "libm" (values that pass through
// the C library's sin, cos or log2) by their distance in units in the last place.
//
// The inputs come from a fixed integer generator, not from <random>'s distributions, whose
// algorithms are the standard library's choice.
#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "curvature/curvature.hpp"
#include "features/feature_record.hpp"
#include "features/spectrum.hpp"

namespace {

using velmora::keystrokes::KeystrokeEvent;
using velmora::features::MousePoint;
using velmora::features::ParsedTelemetry;

struct SplitMix64 {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), exactly representable.
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
};

using velmora::features::FeatureRounding;

void emit(const std::string& name, double v, FeatureRounding rounding = FeatureRounding::exact) {
    std::printf("%s %016" PRIx64 " %s\n", name.c_str(), std::bit_cast<std::uint64_t>(v),
                rounding == FeatureRounding::libm ? "libm" : "exact");
}
// Integers and flags never pass through the C library.
void emit(const std::string& name, std::uint64_t v, FeatureRounding = FeatureRounding::exact) {
    std::printf("%s %016" PRIx64 " exact\n", name.c_str(), v);
}
void emit(const std::string& name, std::int64_t v, FeatureRounding = FeatureRounding::exact) {
    emit(name, static_cast<std::uint64_t>(v));
}
void emit(const std::string& name, bool v, FeatureRounding = FeatureRounding::exact) { emit(name, std::uint64_t{v}); }

ParsedTelemetry telemetry(std::uint64_t seed, std::size_t points, std::size_t keys) {
    SplitMix64 rng{seed};
    ParsedTelemetry t;
    double x = rng.between(0, 1920), y = rng.between(0, 1080), time = rng.between(0, 1e6);
    for (std::size_t i = 0; i < points; ++i) {
        // Mostly forward in time, with ties and a few steps back (the track is sorted).
        const std::size_t kind = rng.below(10);
        time += kind == 0 ? 0.0 : kind == 1 ? -rng.between(0, 30) : rng.between(1, 40);
        x += rng.between(-25, 25) * (kind == 2 ? 20.0 : 1.0);
        y += rng.between(-25, 25);
        const double r = rng.below(3) == 0 ? 0.0 : rng.between(-1, 30);
        const double f = rng.below(3) == 0 ? 0.0 : rng.between(-0.2, 1);
        t.points.push_back(MousePoint{x, y, time, r, f});
    }
    static const char* const names[] = {"t", "h", "e", "a", "n", "d", "r", "s", "T", "H", "Shift", "Enter", "é", "K"};
    double down = rng.between(0, 1e5);
    for (std::size_t i = 0; i < keys; ++i) {
        down += rng.below(8) == 0 ? rng.between(-50, 0) : rng.between(20, 400);
        KeystrokeEvent ev{names[rng.below(std::size(names))], down, std::nullopt};
        if (rng.below(5) != 0) ev.up = down + rng.between(-10, 250);
        t.events.push_back(ev);
    }
    t.click_count = rng.below(20);
    t.scroll_count = rng.below(20);
    t.browser.webdriver = rng.below(4) == 0;
    t.browser.screen_width = static_cast<double>(rng.below(4000));
    t.browser.touch_supported = rng.below(2) == 0;
    t.browser.max_touch_points = static_cast<std::int64_t>(rng.below(11));
    t.browser.plugins_length = static_cast<std::int64_t>(rng.below(8));
    return t;
}

void feature_records() {
    const std::size_t point_counts[] = {0, 2, 3, 4, 8, 9, 10, 17, 50, 151, 299, 300, 301, 450};
    const std::size_t key_counts[] = {0, 1, 2, 5, 40, 150};
    std::uint64_t seed = 1;
    for (std::size_t points : point_counts) {
        for (std::size_t keys : key_counts) {
            const auto r = velmora::features::build_feature_record(telemetry(seed, points, keys));
            const std::string p = "record[" + std::to_string(seed++) + "].";
#define VELMORA_GOLDEN_FEATURE(name, type, none, unit, title, meaning, origin, rounding) \
    emit(p + #name, r.name, velmora::features::FeatureRounding::rounding);
            VELMORA_FEATURES(VELMORA_GOLDEN_FEATURE)
#undef VELMORA_GOLDEN_FEATURE
        }
    }
}

// Direct curvature calls: every vector tail length, long paths, and the values that break
// arithmetic (NaN, infinities, huge and tiny magnitudes, equal times).
void curvature_paths() {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double specials[] = {nan, inf, -inf, 1e300, -1e-310, 0.0, -0.0};
    SplitMix64 rng{2024};
    std::uint64_t id = 0;
    for (std::size_t n : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 31, 64, 300, 1001}) {
        for (int variant = 0; variant < 4; ++variant) {
            std::vector<double> x(n), y(n), t(n);
            double time = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                x[i] = rng.between(-500, 500) * (variant == 1 ? 1e-4 : 1.0);
                y[i] = rng.between(-500, 500);
                time += variant == 2 ? 0.0 : rng.between(-2, 20);
                t[i] = time;
            }
            if (variant == 3 && n > 0) x[rng.below(n)] = specials[rng.below(std::size(specials))];
            const auto r = velmora::curvature::evaluate_curvature(x, y, t);
            const std::string p = "curvature[" + std::to_string(id++) + "].";
            emit(p + "mean_curvature", r.mean_curvature);
            emit(p + "curvature_var", r.curvature_var);
            emit(p + "curvature_rate_var", r.curvature_rate_var);
            emit(p + "curvature_score", r.curvature_score);
        }
    }
}

// Raw power spectra through the cached tables, which hold the C library's cos and sin.
void power_spectra() {
    SplitMix64 rng{7};
    for (std::size_t o = 8; o < 300; o += 13) {
        std::vector<double> centred(o), power(o / 2);
        for (double& c : centred) c = rng.between(-3, 3);
        velmora::features::power_spectrum(centred, power);
        for (std::size_t j = 0; j < power.size(); ++j)
            emit("spectrum[" + std::to_string(o) + "][" + std::to_string(j + 1) + "]", power[j], FeatureRounding::libm);
    }
}

}  // namespace

int main() {
    feature_records();
    curvature_paths();
    power_spectra();
    return 0;
}
