// The curvature routine: worked paths, the score rules, and bit-identity of the
// scalar, SSE2 and AVX curvature loops.
#define CHECK_MAIN
#include "check.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "curvature/curvature.hpp"
#include "curvature/curvature_kernels.hpp"
#include "curvature/curvature_score.hpp"
#include "platform/cpu_features.hpp"

using velmora::curvature::CurvatureInputs;
using velmora::curvature::CurvatureKernel;
using velmora::curvature::CurvatureReport;
using velmora::curvature::curvature_score;
using velmora::curvature::evaluate_curvature;
using Series = std::vector<double>;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

void check_report_bits(const CurvatureReport& a, const CurvatureReport& b) {
    CHECK_BITS(a.mean_curvature, b.mean_curvature);
    CHECK_BITS(a.curvature_var, b.curvature_var);
    CHECK_BITS(a.curvature_rate_var, b.curvature_rate_var);
    CHECK_BITS(a.curvature_score, b.curvature_score);
}

void check_all_zero(const CurvatureReport& r) { check_report_bits(r, CurvatureReport{}); }

// A wobbly path whose curvature varies from sample to sample.
void wobbly_path(std::size_t n, Series& x, Series& y, Series& t) {
    x.clear(), y.clear(), t.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const double k = static_cast<double>(i);
        x.push_back(3.0 * k + 2.0 * std::sin(k * 0.7));
        y.push_back(1.5 * k * k * 0.1 + std::cos(k * 1.3));
        t.push_back(16.0 * k + (i % 3 == 0 ? 1.0 : 0.0));
    }
}

double from_bits(std::uint64_t b) {
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

}  // namespace

TEST_CASE("straight line: zero curvature, score 0.95") {
    const CurvatureReport r = evaluate_curvature(Series{0, 1, 2, 3, 4}, Series{0, 0, 0, 0, 0},
                                                 Series{0, 10, 20, 30, 40});
    check_report_bits(r, CurvatureReport{0.0, 0.0, 0.0, 0.95});
}

TEST_CASE("circle: constant curvature, score 0.9") {
    Series x, y, t;
    for (int i = 0; i < 12; ++i) {
        x.push_back(100.0 * std::cos(0.1 * i));
        y.push_back(100.0 * std::sin(0.1 * i));
        t.push_back(16.0 * i);
    }
    const CurvatureReport r = evaluate_curvature(x, y, t);
    CHECK_NEAR(r.mean_curvature, 0.00999, 5e-5);
    CHECK(r.curvature_var < 1e-30);
    CHECK(r.curvature_rate_var < 1e-30);
    CHECK_EQ(r.curvature_score, 0.9);
}

TEST_CASE("regular zig-zag: equal kappa of about 0.0707, score 0.9") {
    const CurvatureReport r = evaluate_curvature(Series{0, 10, 20, 30, 40, 50}, Series{0, 10, 0, 10, 0, 10},
                                                 Series{0, 1, 2, 3, 4, 5});
    // |cross| = 200 and |v|^2 = 200 at every sample.
    CHECK_NEAR(r.mean_curvature, 200.0 / std::pow(200.0 + 1e-6, 1.5), 1e-15);
    CHECK_EQ(r.curvature_var, 0.0);
    CHECK_EQ(r.curvature_rate_var, 0.0);
    CHECK_EQ(r.curvature_score, 0.9);
}

TEST_CASE("a NaN in x makes every statistic NaN and scores 0.1") {
    Series x, y, t;
    wobbly_path(9, x, y, t);
    x[4] = kNaN;
    const CurvatureReport r = evaluate_curvature(x, y, t);
    CHECK(std::isnan(r.mean_curvature));
    CHECK(std::isnan(r.curvature_var));
    CHECK(std::isnan(r.curvature_rate_var));
    CHECK_EQ(r.curvature_score, 0.1);
}

TEST_CASE("fewer than four samples in the shortest input: all zeros, score 0.0") {
    Series x, y, t;
    wobbly_path(10, x, y, t);
    check_all_zero(evaluate_curvature({}, {}, {}));
    for (std::size_t shortest = 0; shortest < 4; ++shortest) {
        check_all_zero(evaluate_curvature(std::span(x).first(shortest), y, t));
        check_all_zero(evaluate_curvature(x, std::span(y).first(shortest), t));
        check_all_zero(evaluate_curvature(x, y, std::span(t).first(shortest)));
    }
}

TEST_CASE("lengths 10, 6 and 8 use the first 6 samples of each") {
    Series x, y, t;
    wobbly_path(10, x, y, t);
    const CurvatureReport mixed = evaluate_curvature(x, std::span(y).first(6), std::span(t).first(8));
    const CurvatureReport six =
        evaluate_curvature(std::span(x).first(6), std::span(y).first(6), std::span(t).first(6));
    check_report_bits(mixed, six);
    CHECK(six.mean_curvature > 0.0);
}

TEST_CASE("equal, decreasing, NaN and too-small time steps are all floored at 0.1") {
    Series x, y, t;
    wobbly_path(9, x, y, t);
    const CurvatureReport equal = evaluate_curvature(x, y, Series(9, 5.0));
    Series decreasing, not_a_time(9, kNaN), tiny;
    for (int i = 0; i < 9; ++i) decreasing.push_back(-3.0 * i), tiny.push_back(0.01 * i);
    check_report_bits(evaluate_curvature(x, y, decreasing), equal);
    check_report_bits(evaluate_curvature(x, y, not_a_time), equal);
    check_report_bits(evaluate_curvature(x, y, tiny), equal);
    // ...which is the path sampled every 0.1 (up to the rounding of k * 0.1).
    Series tenths;
    for (int i = 0; i < 9; ++i) tenths.push_back(0.1 * i);
    const CurvatureReport sampled = evaluate_curvature(x, y, tenths);
    CHECK_NEAR(equal.mean_curvature, sampled.mean_curvature, 1e-9 * sampled.mean_curvature);
    CHECK_EQ(equal.curvature_score, sampled.curvature_score);
}

TEST_CASE("exactly four samples: two kappa values, one rate, rate variance 0.0") {
    const CurvatureReport r = evaluate_curvature(Series{0, 1, 3, 4}, Series{0, 2, 1, 5}, Series{0, 1, 2, 3});
    CHECK(r.curvature_var > 0.0);  // the two kappa values differ, so the one rate is not 0
    CHECK_BITS(r.curvature_rate_var, 0.0);
}

TEST_CASE("score rules apply in order") {
    const Series flat{0.0, 0.0}, curved{0.5, 0.5, 0.5, 0.0}, half_curved{0.5, 0.5, 0.0, 0.0};
    CHECK_EQ(curvature_score(0.0, 0.0, 100.0, flat), 0.95);       // straight beats extreme rate
    CHECK_EQ(curvature_score(1e-6, 0.0, 0.0, flat), 0.9);         // mean not below 1e-6
    CHECK_EQ(curvature_score(0.5, 9e-5, 9e-9, curved), 0.9);
    CHECK_EQ(curvature_score(0.5, 9e-5, 1e-8, curved), 0.1);      // rate var not below 1e-8
    CHECK_EQ(curvature_score(0.5, 10.5, 0.0, curved), 0.85);
    CHECK_EQ(curvature_score(0.5, 1.0, 5.5, curved), 0.85);
    CHECK_EQ(curvature_score(0.5, 10.0, 5.0, curved), 0.75);      // both limits exclusive
    CHECK_EQ(curvature_score(0.5, 1.0, 3.0, half_curved), 0.1);   // q == h is not a majority
    CHECK_EQ(curvature_score(0.5, 1.0, 2.0, curved), 0.1);        // rate var must exceed 2
    const Series nan_counted{0.5, 0.5, kNaN, kNaN};               // NaN never counts as curved
    CHECK_EQ(curvature_score(0.5, 1.0, 3.0, nan_counted), 0.1);
    CHECK_EQ(curvature_score(kNaN, kNaN, kNaN, Series{0.5, 0.5, 0.5}), 0.1);
}

// ---- kernels -------------------------------------------------------------

namespace {

// Ordinary magnitudes most of the time, with the values that break arithmetic mixed in:
// NaNs of both signs and odd payloads, infinities, signed zeros, overflow-prone,
// subnormal and tiny numbers.
double random_input(std::mt19937_64& rng) {
    static const double specials[] = {
        kNaN, -kNaN, from_bits(0x7ff0000000000001), from_bits(0xfff4000000abcdef), from_bits(0x7ffabcdef0123456),
        kInf, -kInf, 0.0, -0.0, 1e300, -1e300, 1e154, -3e160, 1e-300, -1e-310, 5e-324,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), 1e-3, 1.0};
    const std::uint64_t pick = rng() % 10;
    if (pick < 3) return specials[rng() % std::size(specials)];
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double scale = std::pow(10.0, static_cast<double>(static_cast<int>(rng() % 13) - 6));
    return unit(rng) * scale;
}

}  // namespace

TEST_CASE("every kernel is bit-identical to the scalar reference, tails included") {
    std::mt19937_64 rng(20240611);
    const auto kernels = velmora::curvature::runnable_curvature_kernels();
    constexpr double sentinel = -12345.0;
    std::vector<std::size_t> lengths{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 17, 64, 1001};
    for (std::size_t count : lengths) {
        const int rounds = count < 10 ? 3000 : 100;
        for (int round = 0; round < rounds; ++round) {
            // One spare slot in front so the vector loads start unaligned half the time.
            const std::size_t offset = round % 2;
            Series vx(count + 1), vy(count + 1), ax(count + 1), ay(count + 1);
            for (Series* s : {&vx, &vy, &ax, &ay})
                for (double& v : *s) v = random_input(rng);
            const CurvatureInputs in{vx.data() + offset, vy.data() + offset, ax.data() + offset,
                                     ay.data() + offset};
            Series reference(count + 4, sentinel);
            velmora::curvature::curvature_kernel_scalar(in, reference.data(), count);
            check::for_each_kernel(kernels, [&](CurvatureKernel kernel) {
                Series out(count + 4, sentinel);
                kernel(in, out.data(), count);
                for (std::size_t i = 0; i < out.size(); ++i) CHECK_BITS(out[i], reference[i]);
            });
        }
    }
}

TEST_CASE("the scalar reference computes the stated formula, |.| as std::fabs") {
    // Against a hand evaluation, including a NaN whose sign bit must be cleared.
    const double vx[] = {3.0, -kNaN, 0.0, 1e200};
    const double vy[] = {-4.0, 1.0, 0.0, 1.0};
    const double ax[] = {2.0, 1.0, 5.0, 1.0};
    const double ay[] = {1.0, 1.0, 7.0, 1e200};
    double kappa[4];
    velmora::curvature::curvature_kernel_scalar({vx, vy, ax, ay}, kappa, 4);
    const double s = 9.0 + 16.0 + 1e-6;
    CHECK_BITS(kappa[0], std::fabs(3.0 * 1.0 - -4.0 * 2.0) / (s * std::sqrt(s)));
    CHECK_BITS(kappa[1], std::fabs(-kNaN));  // sign cleared
    CHECK_BITS(kappa[2], 0.0);               // standing still: curvature 0
    CHECK_BITS(kappa[3], kNaN);              // inf / inf, written as the positive quiet NaN
}

TEST_CASE("every kernel writes a NaN curvature as the one quiet NaN, whatever the payloads") {
    // Two NaN operands meeting in a commutative product: the payload that survives
    // would depend on register allocation, so the kernels settle on one NaN.
    const double a = from_bits(0x7ff0000000000001), b = from_bits(0xfff4000000abcdef);
    const double vx[] = {a, b, 1.0, a, 2.0}, vy[] = {b, a, -kInf, 1.0, -b};
    const double ax[] = {a, a, 1.0, b, 1.0}, ay[] = {b, b, kInf, 1.0, a};
    check::for_each_kernel(velmora::curvature::runnable_curvature_kernels(), [&](CurvatureKernel kernel) {
        double kappa[5];
        kernel({vx, vy, ax, ay}, kappa, 5);
        for (double v : kappa) CHECK_BITS(v, kNaN);
    });
}

TEST_CASE("the selected kernel is the widest this processor runs") {
    const auto list = velmora::curvature::runnable_curvature_kernels();
    CHECK(velmora::curvature::select_curvature_kernel() == list.back().kernel);
#if defined(VELMORA_ARCH_X86_64)
    CHECK_EQ(list.size(), velmora::platform::cpu_has_avx() ? std::size_t{3} : std::size_t{2});
#elif defined(VELMORA_ARCH_AARCH64)
    CHECK(!velmora::platform::cpu_has_avx());
    CHECK_EQ(std::string(list.back().name), std::string("neon"));
#endif
}
