#include "strokes/stroke_print.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velmora::strokes {

namespace {

using behaviour::Click;
using behaviour::PointerSample;

constexpr std::size_t kBandWidth = 6;     // projections per band
constexpr double kCellWidth = 0.8;        // of a projection of the unit-RMS detail
constexpr double kDecimateShare = 0.01;   // of the chord: noise below it adds no path length
constexpr std::size_t kFitDegree = 4;     // cubic: what is left of it is the detail

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double unit(std::uint64_t& state) { return static_cast<double>(splitmix(state) >> 11) * 0x1.0p-53; }

// Fixed projections and offsets: a seeded integer generator, so every build hashes alike.
struct Projections {
    double coef[kBands][kBandWidth][kShapeValues];
    double offset[kBands][kBandWidth];
    double basis[kFitDegree][kShapePoints];  // orthonormal polynomials over the arc samples
    Projections() {
        std::uint64_t state = 0x5EED5EEDull;
        const double scale = 1.0 / std::sqrt(static_cast<double>(kShapeValues) / 3.0);  // unit variance
        for (auto& band : coef)
            for (auto& row : band)
                for (double& c : row) c = (2.0 * unit(state) - 1.0) * scale;
        for (auto& band : offset)
            for (double& o : band) o = unit(state) * kCellWidth;
        for (std::size_t k = 0; k < kFitDegree; ++k) {
            for (std::size_t j = 0; j < kShapePoints; ++j) {
                const double s = (static_cast<double>(j) + 0.5) / static_cast<double>(kShapePoints);
                double p = 1.0;
                for (std::size_t e = 0; e < k; ++e) p *= s;
                basis[k][j] = p;
            }
            for (std::size_t m = 0; m < k; ++m) {
                double dot = 0.0;
                for (std::size_t j = 0; j < kShapePoints; ++j) dot += basis[k][j] * basis[m][j];
                for (std::size_t j = 0; j < kShapePoints; ++j) basis[k][j] -= dot * basis[m][j];
            }
            double norm = 0.0;
            for (std::size_t j = 0; j < kShapePoints; ++j) norm += basis[k][j] * basis[k][j];
            norm = std::sqrt(norm);
            for (std::size_t j = 0; j < kShapePoints; ++j) basis[k][j] /= norm;
        }
    }
};

const Projections& projections() {
    static const Projections p;
    return p;
}

// What is left of a profile after its least-squares cubic.
void residual(const double* v, double* out) {
    const Projections& p = projections();
    std::copy(v, v + kShapePoints, out);
    for (const auto& q : p.basis) {
        double dot = 0.0;
        for (std::size_t j = 0; j < kShapePoints; ++j) dot += q[j] * v[j];
        for (std::size_t j = 0; j < kShapePoints; ++j) out[j] -= dot * q[j];
    }
}

std::uint32_t band_hash(std::size_t band, const double* detail) {
    const Projections& p = projections();
    std::uint64_t h = 0x9E3779B97F4A7C15ull * (band + 1);
    for (std::size_t k = 0; k < kBandWidth; ++k) {
        double proj = p.offset[band][k];
        for (std::size_t i = 0; i < kShapeValues; ++i) proj += p.coef[band][k][i] * detail[i];
        const auto cell = static_cast<std::int64_t>(std::floor(proj / kCellWidth));
        std::uint64_t state = h ^ static_cast<std::uint64_t>(cell);
        h = splitmix(state);
    }
    return static_cast<std::uint32_t>(h >> 32);
}

template <class T>
T clamped_round(double v, double lo, double hi) {
    return static_cast<T>(std::nearbyint(std::min(std::max(v, lo), hi)));
}

struct Point {
    double x, y, t;
};

// The print of one stroke, or false when it is not distinctive.
bool print_of(std::span<const PointerSample> m, std::vector<Point>& kept, StrokePrint& out) {
    const double x0 = m.front().x, y0 = m.front().y;
    const double cx = m.back().x - x0, cy = m.back().y - y0;
    const double chord = std::sqrt(cx * cx + cy * cy);
    if (!(chord >= kMinChordPx) || !std::isfinite(chord)) return false;
    // Thinned path: pixel noise on densely sampled slow parts would otherwise lengthen it.
    const double spacing = kDecimateShare * chord;
    kept.clear();
    kept.push_back({m.front().x, m.front().y, m.front().t});
    for (std::size_t i = 1; i < m.size(); ++i) {
        const double dx = m[i].x - kept.back().x, dy = m[i].y - kept.back().y;
        if (dx * dx + dy * dy >= spacing * spacing || i + 1 == m.size()) kept.push_back({m[i].x, m[i].y, m[i].t});
    }
    std::vector<double> cum(kept.size(), 0.0);
    for (std::size_t i = 1; i < kept.size(); ++i) {
        const double dx = kept[i].x - kept[i - 1].x, dy = kept[i].y - kept[i - 1].y;
        cum[i] = cum[i - 1] + std::sqrt(dx * dx + dy * dy);
    }
    const double path = cum.back();
    // The stroke's time runs from leaving the start to reaching the end: a slow creep of a
    // pixel or two at either end is not timed, since re-sampling keeps or drops it at random.
    std::size_t leave = 1, reach = m.size() - 2;
    const auto away = [&](const PointerSample& p, const PointerSample& from) {
        const double dx = p.x - from.x, dy = p.y - from.y;
        return dx * dx + dy * dy >= spacing * spacing;
    };
    while (leave + 1 < m.size() && !away(m[leave], m.front())) ++leave;
    while (reach > 0 && !away(m[reach], m.back())) --reach;
    const double t_begin = m[leave - 1].t, t_end = m[std::min(reach + 1, m.size() - 1)].t;
    const double duration = t_end - t_begin;
    if (!(chord >= kMinChordShare * path) || !(duration > 0.0) || !std::isfinite(path)) return false;

    // Along and across the chord, in chord lengths, at the midpoints of equal arc shares.
    const double ux = cx / chord, uy = cy / chord;
    double along[kShapePoints], across[kShapePoints];
    std::size_t seg = 1;
    for (std::size_t j = 0; j < kShapePoints; ++j) {
        const double s = (static_cast<double>(j) + 0.5) / static_cast<double>(kShapePoints) * path;
        while (seg + 1 < kept.size() && cum[seg] < s) ++seg;
        const double len = cum[seg] - cum[seg - 1];
        const double f = len > 0.0 ? (s - cum[seg - 1]) / len : 0.0;
        const double px = kept[seg - 1].x + f * (kept[seg].x - kept[seg - 1].x) - x0;
        const double py = kept[seg - 1].y + f * (kept[seg].y - kept[seg - 1].y) - y0;
        along[j] = (px * ux + py * uy) / chord;
        across[j] = (py * ux - px * uy) / chord;
    }
    // A mirror image is the same stroke: the largest excursion is put on one side.
    std::size_t far = 0;
    for (std::size_t j = 1; j < kShapePoints; ++j)
        if (std::fabs(across[j]) > std::fabs(across[far])) far = j;
    if (across[far] < 0.0)
        for (double& c : across) c = -c;

    double detail[kShapeValues];
    residual(along, detail);
    residual(across, detail + kShapePoints);
    double energy = 0.0;
    for (double d : detail) energy += d * d;
    const double rms = std::sqrt(energy / static_cast<double>(kShapeValues));
    // RMS over the arc samples of both profiles' squared residuals summed, in px.
    if (!(std::sqrt(energy / static_cast<double>(kShapePoints)) * chord >= kMinDetailPx)) return false;
    for (double& d : detail) d /= rms;

    // The share of the path covered at the midpoints of equal time shares.
    std::size_t at = 1;
    for (std::size_t k = 0; k < kProgressPoints; ++k) {
        const double t = t_begin + (static_cast<double>(k) + 0.5) / static_cast<double>(kProgressPoints) * duration;
        while (at + 1 < kept.size() && kept[at].t < t) ++at;
        const double span = kept[at].t - kept[at - 1].t;
        const double f = span > 0.0 ? std::min(std::max((t - kept[at - 1].t) / span, 0.0), 1.0) : 1.0;
        const double covered = cum[at - 1] + f * (cum[at] - cum[at - 1]);
        out.progress[k] = clamped_round<std::uint8_t>(covered / path * kProgressUnit, 0.0, kProgressUnit);
    }
    for (std::size_t j = 0; j < kShapePoints; ++j) {
        out.shape[j] = clamped_round<std::int16_t>(along[j] * kShapeUnit, -32767.0, 32767.0);
        out.shape[kShapePoints + j] = clamped_round<std::int16_t>(across[j] * kShapeUnit, -32767.0, 32767.0);
    }
    out.chord = clamped_round<std::uint16_t>(chord, 0.0, 65535.0);
    out.duration = clamped_round<std::uint16_t>(duration, 1.0, 65535.0);
    for (std::size_t b = 0; b < kBands; ++b) out.bands[b] = band_hash(b, detail);
    return true;
}

}  // namespace

SessionPrints session_prints(std::span<const PointerSample> pointer, std::span<const Click> clicks_in) {
    const auto by_time = [](const auto& a, const auto& b) { return a.t < b.t; };
    std::vector<PointerSample> k;
    k.reserve(pointer.size());
    {
        std::vector<PointerSample> sorted(pointer.begin(), pointer.end());
        if (!std::is_sorted(sorted.begin(), sorted.end(), by_time)) std::stable_sort(sorted.begin(), sorted.end(), by_time);
        for (const PointerSample& p : sorted) {  // one position per time stamp, the last
            if (!k.empty() && k.back().t == p.t) k.back() = p;
            else k.push_back(p);
        }
    }
    std::vector<Click> clicks(clicks_in.begin(), clicks_in.end());
    if (!std::is_sorted(clicks.begin(), clicks.end(), by_time)) std::stable_sort(clicks.begin(), clicks.end(), by_time);

    SessionPrints out;
    std::vector<Point> scratch;
    std::size_t start = 0, next_click = 0;
    for (std::size_t i = 1; i <= k.size(); ++i) {
        // The stroke [start, i) ends at a pause, at a click, or with the track.
        while (next_click < clicks.size() && clicks[next_click].t < k[i - 1].t) ++next_click;
        if (i < k.size()) {
            const bool click_between = next_click < clicks.size() && clicks[next_click].t < k[i].t;
            if (!click_between && k[i].t - k[i - 1].t <= kPauseMs) continue;
        }
        std::size_t a = start, b = i;
        start = i;
        while (a + 1 < b && k[a + 1].x == k[a].x && k[a + 1].y == k[a].y) ++a;
        while (b > a + 1 && k[b - 1].x == k[b - 2].x && k[b - 1].y == k[b - 2].y) --b;
        if (b - a < kMinSamples) continue;
        ++out.strokes;
        StrokePrint print;
        if (print_of(std::span<const PointerSample>(k.data() + a, b - a), scratch, print)) out.prints.push_back(print);
    }
    return out;
}

bool prints_match(const StrokePrint& a, const StrokePrint& b) {
    const std::uint32_t short_chord = std::min(a.chord, b.chord), long_chord = std::max(a.chord, b.chord);
    if (5u * long_chord > 11u * short_chord) return false;
    if (std::max(a.duration, b.duration) > 2u * std::min(a.duration, b.duration)) return false;
    int progress = 0;
    for (std::size_t k = 0; k < kProgressPoints; ++k) progress += std::abs(int{a.progress[k]} - int{b.progress[k]});
    if (progress > 163) return false;  // 0.04 on average
    // 2 px RMS at the shorter chord: sum of squares times chord^2 <= 2^2 * 64 * 4096^2.
    std::int64_t squares = 0;
    for (std::size_t i = 0; i < kShapeValues; ++i) {
        const std::int64_t d = std::int64_t{a.shape[i]} - std::int64_t{b.shape[i]};
        squares += d * d;
    }
    // 2 px RMS at the shorter chord: sum of squares times chord^2 <= 2^2 * 64 * 4096^2. Both
    // sides are exact in doubles wherever the comparison can go either way.
    const double c = static_cast<double>(short_chord);
    return static_cast<double>(squares) * c * c <= 4294967296.0;
}

void encode(const StrokePrint& p, std::uint8_t* out) {
    const auto put16 = [&](std::uint32_t v) {
        *out++ = static_cast<std::uint8_t>(v >> 8);
        *out++ = static_cast<std::uint8_t>(v);
    };
    for (std::int16_t v : p.shape) put16(static_cast<std::uint32_t>(std::int32_t{v} + 32768));
    for (std::uint8_t v : p.progress) *out++ = v;
    put16(p.chord);
    put16(p.duration);
    for (std::uint32_t h : p.bands) {
        put16(h >> 16);
        put16(h & 0xFFFFu);
    }
}

StrokePrint decode(const std::uint8_t* in) {
    StrokePrint p;
    const auto get16 = [&]() {
        const std::uint32_t v = (std::uint32_t{in[0]} << 8) | in[1];
        in += 2;
        return v;
    };
    for (std::int16_t& v : p.shape) v = static_cast<std::int16_t>(static_cast<std::int32_t>(get16()) - 32768);
    for (std::uint8_t& v : p.progress) v = *in++;
    p.chord = static_cast<std::uint16_t>(get16());
    p.duration = static_cast<std::uint16_t>(get16());
    for (std::uint32_t& h : p.bands) {
        const std::uint32_t hi = get16();
        h = (hi << 16) | get16();
    }
    return p;
}

}  // namespace velmora::strokes
