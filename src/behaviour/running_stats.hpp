// Small accumulators the behaviour features share. Sums are taken in input order, so a
// result depends only on the data, bit for bit.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace velmora::behaviour {

// Count, mean and population variance by plain sums (values are bounded pixels and ms).
struct Moments {
    std::uint64_t n = 0;
    double sum = 0.0;
    double sum_sq = 0.0;

    void add(double v) {
        ++n;
        sum += v;
        sum_sq += v * v;
    }
    double mean() const { return n == 0 ? 0.0 : sum / static_cast<double>(n); }
    double variance() const {
        if (n == 0) return 0.0;
        const double m = mean();
        const double v = sum_sq / static_cast<double>(n) - m * m;
        return v > 0.0 ? v : 0.0;
    }
    double stddev() const { return std::sqrt(variance()); }
    // Standard deviation over mean; 0 when the mean is not positive.
    double cv() const {
        const double m = mean();
        return m > 0.0 ? stddev() / m : 0.0;
    }
};

// Pearson correlation and least-squares slope of y on x.
struct Correlation {
    std::uint64_t n = 0;
    double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;

    void add(double x, double y) {
        ++n;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
    }
    // 0 with fewer than `min_n` pairs or when either side does not vary.
    double r(std::uint64_t min_n) const {
        if (n < min_n) return 0.0;
        const double k = static_cast<double>(n);
        const double cxx = sxx - sx * sx / k, cyy = syy - sy * sy / k, cxy = sxy - sx * sy / k;
        if (!(cxx > 1e-12 * (sxx + 1e-300)) || !(cyy > 1e-12 * (syy + 1e-300))) return 0.0;
        const double v = cxy / std::sqrt(cxx * cyy);
        return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
    }
    double slope(std::uint64_t min_n) const {
        if (n < min_n) return 0.0;
        const double k = static_cast<double>(n);
        const double cxx = sxx - sx * sx / k, cxy = sxy - sx * sy / k;
        if (!(cxx > 1e-12 * (sxx + 1e-300))) return 0.0;
        return cxy / cxx;
    }
};

// A fixed-bin histogram whose Shannon entropy is read in bits.
template <std::size_t Bins>
struct Histogram {
    std::array<std::uint32_t, Bins> count{};
    std::uint64_t total = 0;

    void add(std::size_t bin) {
        ++count[bin < Bins ? bin : Bins - 1];
        ++total;
    }
    double entropy_bits() const {
        if (total == 0) return 0.0;
        const double k = static_cast<double>(total);
        double h = 0.0;
        for (std::uint32_t c : count) {
            if (c == 0) continue;
            const double p = static_cast<double>(c) / k;
            h -= p * std::log2(p);
        }
        return h;
    }
};

// The bin of a non-negative value for a given width; huge or non-finite values go last.
inline std::size_t bin_of(double v, double width, std::size_t bins) {
    const double b = v / width;
    if (!(b >= 0.0)) return 0;
    if (!(b < static_cast<double>(bins - 1))) return bins - 1;
    return static_cast<std::size_t>(b);
}

}  // namespace velmora::behaviour
