#include "behaviour/pointer_features.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "behaviour/fast_math.hpp"
#include "behaviour/human_reference.hpp"
#include "behaviour/interval_divergence.hpp"
#include "behaviour/running_stats.hpp"

namespace velmora::behaviour {

namespace {

// A peak counts once the speed has fallen below this share of it, and the next one once
// the speed has risen from its valley by the inverse; peaks below kPeakFloor of the
// movement's top speed are sensor noise, not submovements.
constexpr double kPeakDrop = 0.6;
constexpr double kPeakFloor = 0.2;
// The homing phase: the part of a movement after this share of its path.
constexpr double kHomingShare = 0.7;
// The approach: the last part of a movement's path, whose share of the time is measured.
constexpr double kApproachShare = 0.9;
// Clicks further than this from the last sample (ms) have no pointer context.
constexpr double kClickContextMs = 1000.0;
constexpr double kOffsetCapPx = 50.0;
constexpr double kOvershootPx = 3.0;
// The coarse path keeps a sample once it is this far (px) from the last kept one; turns
// smaller than kInflectionTurn (rad) between coarse segments do not count as bending.
constexpr double kCoarseSpacing = 10.0;
constexpr double kInflectionTurn = 0.05;

// Distinct times only: samples sharing a time stamp are one position report, the last one.
std::vector<PointerSample> distinct_times(std::span<const PointerSample> sorted) {
    std::vector<PointerSample> out;
    out.reserve(sorted.size());
    for (const PointerSample& p : sorted) {
        if (!out.empty() && out.back().t == p.t) out.back() = p;
        else out.push_back(p);
    }
    return out;
}

// One step between consecutive samples of a movement; every feature below reads these
// instead of recomputing distances.
struct Step {
    double dx, dy, d, dt;
};

double length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

void build_steps(std::span<const PointerSample> m, std::vector<Step>& steps) {
    steps.resize(m.size() - 1);
    for (std::size_t i = 1; i < m.size(); ++i) {
        const double dx = m[i].x - m[i - 1].x, dy = m[i].y - m[i - 1].y;
        steps[i - 1] = {dx, dy, length(dx, dy), m[i].t - m[i - 1].t};
    }
}

// Peak counting with hysteresis over a speed series (see kPeakDrop).
std::size_t count_peaks(std::span<const double> speed, double top) {
    const double floor = kPeakFloor * top;
    std::size_t peaks = 0;
    bool rising = true;
    double high = 0.0, low = 0.0;
    for (double s : speed) {
        if (rising) {
            high = std::max(high, s);
            if (s < kPeakDrop * high && high >= floor) {
                ++peaks;
                rising = false;
                low = s;
            }
        } else {
            low = std::min(low, s);
            if (s * kPeakDrop > low && s >= floor) {
                rising = true;
                high = s;
            }
        }
    }
    if (rising && high >= floor) ++peaks;
    return peaks;
}

// The minimum-jerk share of the path covered at time share tau.
double min_jerk_progress(double tau) {
    const double t3 = tau * tau * tau;
    return t3 * (10.0 - 15.0 * tau + 6.0 * tau * tau);
}

// Session-wide sums over all measured movements.
struct MovementSums {
    Moments peaks, peak_time, min_jerk, straightness, deviation, end_speed;
    double jitter = 0.0, jitter_speed = 0.0;
    Moments turn_abs;
    std::uint64_t turns = 0, turn_zero = 0, turn_pairs = 0, turn_flips = 0;
    Histogram<18> turn_hist;
    Correlation power_law, coupling;
    std::uint64_t steps = 0, tiny = 0, axis = 0;
    std::uint64_t click_moves = 0, overshoots = 0;
    Correlation speed_diff, peak_amplitude;
    double fine_length = 0.0, coarse_length = 0.0;
    std::uint64_t inflections = 0;
    Moments end_corrections;
    Moments approach_time;
    Correlation duration_distance;
};

// Turning, curvature-speed and timing-distance relations over consecutive steps of one
// movement. Curvature and speed use the geometric mean of the two steps' lengths and
// times, so that each step's logarithms are taken once.
void measure_steps(std::span<const Step> steps, MovementSums& s) {
    double prev_turn = 0.0, prev_log_d = 0.0, prev_log_dt = 0.0;
    bool prev_moved = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& st = steps[i];
        if (st.d <= 0.0) {
            prev_moved = false;
            continue;
        }
        ++s.steps;
        if (st.d <= 1.5) ++s.tiny;
        if (st.dx == 0.0 || st.dy == 0.0) ++s.axis;
        const double log_d = fast_log(st.d), log_dt = fast_log(st.dt);
        if (prev_moved) {
            const Step& pv = steps[i - 1];
            const double cross = pv.dx * st.dy - pv.dy * st.dx, dot = pv.dx * st.dx + pv.dy * st.dy;
            const double turn_abs = turn_angle(cross, dot);
            const double turn = cross < 0.0 ? -turn_abs : turn_abs;
            ++s.turns;
            s.turn_abs.add(turn_abs);
            s.turn_hist.add(bin_of(turn_abs, kPi / 18.0, 18));
            if (cross == 0.0) ++s.turn_zero;
            if (turn != 0.0) {
                if (prev_turn != 0.0) {
                    ++s.turn_pairs;
                    if ((turn > 0.0) != (prev_turn > 0.0)) ++s.turn_flips;
                }
                prev_turn = turn;
            }
            s.coupling.add(log_dt - prev_log_dt, log_d - prev_log_d);
            if (st.d >= 2.0 && pv.d >= 2.0 && turn_abs > 0.01) {
                const double log_len = 0.5 * (log_d + prev_log_d);
                s.power_law.add(fast_log(turn_abs) - log_len, log_len - 0.5 * (log_dt + prev_log_dt));
            }
        }
        prev_log_d = log_d;
        prev_log_dt = log_dt;
        prev_moved = true;
    }
}

// Bending at a coarser scale than the samples: the path thinned to points kCoarseSpacing
// apart, its length, and how often its turning changes side.
void measure_coarse_path(std::span<const PointerSample> m, double path, MovementSums& s) {
    PointerSample kept = m.front();
    double prev_dx = 0.0, prev_dy = 0.0, prev_turn = 0.0, coarse = 0.0;
    bool has_prev = false;
    for (std::size_t i = 1; i < m.size(); ++i) {
        const double dx = m[i].x - kept.x, dy = m[i].y - kept.y;
        const double d2 = dx * dx + dy * dy;
        if (d2 < kCoarseSpacing * kCoarseSpacing && i + 1 < m.size()) continue;
        coarse += std::sqrt(d2);
        kept = m[i];
        if (has_prev) {
            const double cross = prev_dx * dy - prev_dy * dx;
            const double turn_abs = turn_angle(cross, prev_dx * dx + prev_dy * dy);
            const double turn = cross < 0.0 ? -turn_abs : turn_abs;
            if (turn_abs >= kInflectionTurn) {
                if (prev_turn != 0.0 && (turn > 0.0) != (prev_turn > 0.0)) ++s.inflections;
                prev_turn = turn;
            }
        }
        prev_dx = dx;
        prev_dy = dy;
        has_prev = true;
    }
    s.fine_length += path;
    s.coarse_length += coarse;
}

// Shape of one movement's speed profile and path. `speed` is scratch space.
void measure_shape(std::span<const PointerSample> m, std::span<const Step> step, const Click* click,
                   std::vector<double>& speed, MovementSums& s) {
    const std::size_t steps = step.size();
    double path = 0.0;
    speed.resize(steps);
    std::vector<double>& v = speed;
    for (std::size_t i = 0; i < steps; ++i) {
        path += step[i].d;
        v[i] = step[i].d / step[i].dt;
    }
    if (path < kMinMovementPath) return;

    // Speed jitter is measured on the raw speeds, the profile on lightly smoothed ones.
    for (std::size_t i = 1; i + 1 < steps; ++i) {
        s.jitter += std::fabs(v[i] - 0.5 * (v[i - 1] + v[i + 1]));
        s.jitter_speed += v[i];
        if (i >= 2) s.speed_diff.add(v[i - 1] - v[i - 2], v[i] - v[i - 1]);
    }
    measure_coarse_path(m, path, s);
    double last_raw = v[steps - 1], prev = v[0], top = 0.0;
    std::size_t top_at = 0;
    for (std::size_t i = 0; i < steps; ++i) {
        const double next = i + 1 < steps ? v[i + 1] : v[i];
        const double here = v[i];
        v[i] = 0.25 * (prev + 2.0 * here + next);
        prev = here;
        if (v[i] > top) {
            top = v[i];
            top_at = i;
        }
    }
    if (!(top > 0.0)) return;

    const double t0 = m.front().t, duration = m.back().t - t0;
    s.peaks.add(static_cast<double>(count_peaks(v, top)));
    s.peak_time.add((0.5 * (m[top_at].t + m[top_at + 1].t) - t0) / duration);
    s.end_speed.add(last_raw / top);

    const double cx = m.back().x - m.front().x, cy = m.back().y - m.front().y;
    const double chord = length(cx, cy);
    s.straightness.add(chord / path);
    if (chord >= 1.0) {
        const double log_chord = fast_log(chord);
        s.peak_amplitude.add(log_chord, fast_log(top));
        s.duration_distance.add(log_chord, fast_log(duration));
    }
    // Shares of path and time by multiplication with their inverses: one division each per movement.
    const double per_path = 1.0 / path, per_duration = 1.0 / duration;
    double covered = 0.0, error = 0.0, off_line = 0.0, approach_at = -1.0;
    std::size_t homing_from = steps;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (i > 0) covered += step[i - 1].d;
        const double e = covered * per_path - min_jerk_progress((m[i].t - t0) * per_duration);
        error += e * e;
        off_line = std::max(off_line, std::fabs((m[i].x - m.front().x) * cy - (m[i].y - m.front().y) * cx));
        if (homing_from == steps && i < steps && covered >= kHomingShare * path) homing_from = i;
        if (approach_at < 0.0 && covered >= kApproachShare * path) approach_at = m[i].t;
    }
    s.approach_time.add((m.back().t - approach_at) * per_duration);
    s.min_jerk.add(std::sqrt(error / static_cast<double>(m.size())));
    if (chord >= 1.0) s.deviation.add(off_line / (chord * chord));  // largest distance from the line over its length

    if (click == nullptr) return;
    ++s.click_moves;
    // Overshoot: the pointer got further along the start-to-click line than the click itself.
    const double tx = click->x - m.front().x, ty = click->y - m.front().y;
    const double target = length(tx, ty);
    if (target >= 1.0) {
        double reach = 0.0;  // times the target distance
        for (const PointerSample& p : m) reach = std::max(reach, (p.x - m.front().x) * tx + (p.y - m.front().y) * ty);
        if (reach > (target + kOvershootPx) * target) ++s.overshoots;
    }
    s.end_corrections.add(static_cast<double>(count_peaks(std::span<const double>(v).subspan(homing_from), top)));
}

// Sampling statistics over the raw time steps inside movements.
void sampling_features(std::span<const PointerSample> track, FeatureValues& out) {
    Histogram<64> hist;
    Moments dt_moments;
    Correlation lag1;
    std::uint64_t pairs = 0, repeats = 0, zeros = 0;
    double prev_dt = -1.0;
    for (std::size_t i = 1; i < track.size(); ++i) {
        const double dt = track[i].t - track[i - 1].t;
        if (dt > kPauseMs) {
            prev_dt = -1.0;
            continue;
        }
        hist.add(bin_of(dt + 0.5, 1.0, 64));
        dt_moments.add(dt);
        if (dt == 0.0) ++zeros;
        if (prev_dt >= 0.0) {
            ++pairs;
            if (dt == prev_dt) ++repeats;
            lag1.add(prev_dt, dt);
        }
        prev_dt = dt;
    }
    if (dt_moments.n < 2) return;
    out[kDtEntropy] = hist.entropy_bits();
    out[kDtRepeatShare] = pairs ? static_cast<double>(repeats) / static_cast<double>(pairs) : 0.0;
    out[kDtCv] = dt_moments.cv();
    out[kDtZeroShare] = static_cast<double>(zeros) / static_cast<double>(dt_moments.n);
    out[kDtLag1] = lag1.r(20);
}

double share(std::uint64_t part, std::uint64_t whole) {
    return whole ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

double median_of(std::vector<double>& values) {
    if (values.empty()) return 0.0;
    const std::size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    double m = values[mid];
    if (values.size() % 2 == 0) {
        m = 0.5 * (m + *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid)));
    }
    return m;
}

// Where the pointer was, and how long it had been still, when each click came.
void click_context(std::span<const PointerSample> track, std::span<const Click> clicks, FeatureValues& out) {
    std::vector<double> settle, offset;
    std::size_t at = 0;          // first sample after the click
    std::size_t last_motion = 0;  // last sample before `at` that moved
    bool moved = false;
    for (const Click& c : clicks) {
        while (at < track.size() && track[at].t <= c.t) {
            if (at > 0 && (track[at].x != track[at - 1].x || track[at].y != track[at - 1].y)) {
                last_motion = at;
                moved = true;
            }
            ++at;
        }
        if (at == 0) continue;
        const PointerSample& p = track[at - 1];
        if (c.t - p.t > kClickContextMs) continue;
        offset.push_back(std::min(length(c.x - p.x, c.y - p.y), kOffsetCapPx));
        if (moved) settle.push_back(std::min(c.t - track[last_motion].t, kClickContextMs));
    }
    out[kClickSettleMs] = median_of(settle);
    out[kClickOffsetPx] = median_of(offset);
}

}  // namespace

void pointer_features(std::span<const PointerSample> pointer, std::span<const Click> clicks_in, FeatureValues& out) {
    std::vector<PointerSample> sorted;
    std::span<const PointerSample> track = pointer;
    const auto by_time = [](const auto& a, const auto& b) { return a.t < b.t; };
    if (!std::is_sorted(pointer.begin(), pointer.end(), by_time)) {
        sorted.assign(pointer.begin(), pointer.end());
        std::stable_sort(sorted.begin(), sorted.end(), by_time);
        track = sorted;
    }
    std::vector<Click> sorted_clicks;
    std::span<const Click> clicks = clicks_in;
    if (!std::is_sorted(clicks_in.begin(), clicks_in.end(), by_time)) {
        sorted_clicks.assign(clicks_in.begin(), clicks_in.end());
        std::stable_sort(sorted_clicks.begin(), sorted_clicks.end(), by_time);
        clicks = sorted_clicks;
    }

    sampling_features(track, out);
    click_context(track, clicks, out);

    const std::vector<PointerSample> k = distinct_times(track);
    MovementSums sums;
    std::vector<double> scratch;
    std::vector<Step> steps;
    std::uint64_t still = 0, all_steps = 0;
    std::size_t start = 0, next_click = 0;
    std::vector<std::pair<std::size_t, std::size_t>> movements;
    for (std::size_t i = 1; i <= k.size(); ++i) {
        // The movement [start, i) ends at a pause, at a click, or with the track.
        const Click* ends_at_click = nullptr;
        while (next_click < clicks.size() && clicks[next_click].t < k[i - 1].t) ++next_click;
        if (i < k.size()) {
            const bool click_between = next_click < clicks.size() && clicks[next_click].t < k[i].t;
            if (click_between) ends_at_click = &clicks[next_click];
            if (!click_between && k[i].t - k[i - 1].t <= kPauseMs) continue;
        } else if (next_click < clicks.size() && clicks[next_click].t - k[i - 1].t <= kClickContextMs) {
            ends_at_click = &clicks[next_click];
        }
        std::size_t a = start, b = i;  // trim still ends
        start = i;
        movements.emplace_back(a, b);
        for (std::size_t j = a + 1; j < b; ++j) {
            ++all_steps;
            if (k[j].x == k[j - 1].x && k[j].y == k[j - 1].y) ++still;
        }
        while (a + 1 < b && k[a + 1].x == k[a].x && k[a + 1].y == k[a].y) ++a;
        while (b > a + 1 && k[b - 1].x == k[b - 2].x && k[b - 1].y == k[b - 2].y) --b;
        if (b - a < kMinMovementSamples) continue;
        const std::span<const PointerSample> m(k.data() + a, b - a);
        build_steps(m, steps);
        measure_steps(steps, sums);
        measure_shape(m, steps, ends_at_click, scratch, sums);
    }

    out[kStillStepShare] = share(still, all_steps);
    out[kDtStrokeDivergence] = interval_divergence(k, movements);
    out[kTinyStepShare] = share(sums.tiny, sums.steps);
    out[kAxisStepShare] = share(sums.axis, sums.steps);
    if (sums.peaks.n > 0) {
        out[kPeakCountMean] = sums.peaks.mean();
        out[kPeakTimeRatioMean] = sums.peak_time.mean();
        out[kPeakTimeRatioStd] = sums.peak_time.stddev();
        out[kMinJerkError] = sums.min_jerk.mean();
        out[kStraightnessMean] = sums.straightness.mean();
        out[kDeviationMean] = sums.deviation.mean();
        out[kEndSpeedRatio] = sums.end_speed.mean();
    }
    out[kSpeedJitter] = sums.jitter_speed > 0.0 ? sums.jitter / sums.jitter_speed : 0.0;
    if (sums.turns > 0) {
        out[kTurnAbsMean] = sums.turn_abs.mean();
        out[kTurnFlipShare] = share(sums.turn_flips, sums.turn_pairs);
        out[kTurnZeroShare] = share(sums.turn_zero, sums.turns);
        out[kTurnEntropy] = sums.turn_hist.entropy_bits();
    }
    out[kPowerLawSlope] = sums.power_law.slope(20);
    out[kPowerLawR] = sums.power_law.r(20);
    out[kDtStepCoupling] = sums.coupling.r(20);
    out[kOvershootShare] = share(sums.overshoots, sums.click_moves);
    out[kEndCorrectionMean] = sums.end_corrections.mean();
    out[kSpeedDiffLag1] = sums.speed_diff.r(20);
    out[kPeakSpeedScaling] = sums.peak_amplitude.slope(5);
    out[kApproachTimeShare] = sums.approach_time.mean();
    out[kDurationDistanceR] = sums.duration_distance.r(5);
    if (sums.coarse_length > 0.0) {
        out[kFineCoarseRatio] = sums.fine_length / sums.coarse_length;
        out[kInflectionRate] = 100.0 * static_cast<double>(sums.inflections) / sums.fine_length;
    }
    out[kHumanDistance] = human_distance(out);
    out[kHumanRangeExcess] = human_range_excess(out);
}

}  // namespace velmora::behaviour
