// Cheap replacements for atan2 and log on the per-step path. The features only need
// angles and logarithms to about 1e-5, and these take a handful of multiplications
// instead of a library call. Plain arithmetic only, so results are the same bit for bit
// on every build (the project compiles without contraction into fused multiply-adds).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace velmora::behaviour {

inline constexpr double kPi = 3.14159265358979323846;

// The unsigned angle (0 to pi) between two vectors given their cross and dot products;
// 0 when both are 0. Absolute error below 2e-5 rad.
inline double turn_angle(double cross, double dot) {
    const double ax = std::fabs(dot), ay = std::fabs(cross);
    const double hi = ax > ay ? ax : ay, lo = ax > ay ? ay : ax;
    if (!(hi > 0.0)) return 0.0;
    const double a = lo / hi, s = a * a;
    double r = a * (0.99997726 + s * (-0.33262347 + s * (0.19354346 + s * (-0.11643287 + s * (0.05265332 + s * -0.01172120)))));
    if (ay > ax) r = 0.5 * kPi - r;
    if (dot < 0.0) r = kPi - r;
    return r;
}

// Natural logarithm of a positive normal number (others: std::log). Error below 1e-9.
inline double fast_log(double v) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const std::uint64_t exponent = bits >> 52;
    if (exponent == 0 || exponent >= 0x7ff) return std::log(v);  // zero, subnormal, negative, inf, NaN
    // v = m * 2^e with m in [sqrt(1/2), sqrt(2)), log m = 2 atanh((m - 1) / (m + 1)).
    std::int64_t e = static_cast<std::int64_t>(exponent) - 1023;
    double m = std::bit_cast<double>((bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++e;
    }
    const double t = (m - 1.0) / (m + 1.0), t2 = t * t;
    const double series = t * (2.0 + t2 * (2.0 / 3.0 + t2 * (2.0 / 5.0 + t2 * (2.0 / 7.0 + t2 * (2.0 / 9.0)))));
    return series + static_cast<double>(e) * 0.69314718055994530942;
}

}  // namespace velmora::behaviour
