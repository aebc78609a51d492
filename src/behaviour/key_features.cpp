#include "behaviour/key_features.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "behaviour/running_stats.hpp"

namespace velmora::behaviour {

namespace {

constexpr std::size_t kMinBurstIntervals = 3;

bool valid_hold(double hold) { return hold > 0.0 && hold < kMaxHoldMs; }

// How alike repeated bursts of the same length are: a person typing the same thing again
// keeps the slow and the fast pairs where they were; independent jitter does not. Each
// burst of the most common length is correlated with the mean of the others.
double burst_consistency(std::span<const double> intervals, std::span<const std::size_t> burst_starts) {
    // burst b covers intervals [burst_starts[b], burst_starts[b + 1]) (the last entry is the end)
    const std::size_t bursts = burst_starts.size() - 1;
    std::size_t best_length = 0, best_count = 0;
    for (std::size_t b = 0; b < bursts; ++b) {
        const std::size_t length = burst_starts[b + 1] - burst_starts[b];
        if (length < kMinBurstIntervals) continue;
        std::size_t count = 0;
        for (std::size_t c = 0; c < bursts; ++c) count += burst_starts[c + 1] - burst_starts[c] == length;
        if (count > best_count || (count == best_count && length > best_length)) {
            best_count = count;
            best_length = length;
        }
    }
    if (best_count < 2) return 0.0;
    std::vector<double> total(best_length, 0.0);
    for (std::size_t b = 0; b < bursts; ++b) {
        if (burst_starts[b + 1] - burst_starts[b] != best_length) continue;
        for (std::size_t j = 0; j < best_length; ++j) total[j] += intervals[burst_starts[b] + j];
    }
    Moments r;
    const double others = static_cast<double>(best_count - 1);
    for (std::size_t b = 0; b < bursts; ++b) {
        if (burst_starts[b + 1] - burst_starts[b] != best_length) continue;
        Correlation c;
        for (std::size_t j = 0; j < best_length; ++j) {
            const double own = intervals[burst_starts[b] + j];
            c.add(own, (total[j] - own) / others);
        }
        r.add(c.r(kMinBurstIntervals));
    }
    return r.mean();
}

}  // namespace

void key_features(std::span<const KeyTiming> keys_in, FeatureValues& out) {
    if (keys_in.size() < 2) {
        if (keys_in.size() == 1 && valid_hold(keys_in[0].up - keys_in[0].down))
            out[kHoldMean] = keys_in[0].up - keys_in[0].down;
        return;
    }
    std::vector<KeyTiming> keys(keys_in.begin(), keys_in.end());
    std::stable_sort(keys.begin(), keys.end(), [](const KeyTiming& a, const KeyTiming& b) { return a.down < b.down; });

    Moments holds;
    std::uint64_t hold_pairs = 0, hold_repeats = 0, overlaps = 0, follow = 0;
    double prev_hold = -1.0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double hold = keys[i].up - keys[i].down;
        if (valid_hold(hold)) {
            holds.add(hold);
            if (prev_hold > 0.0) {
                ++hold_pairs;
                if (hold == prev_hold) ++hold_repeats;
            }
            prev_hold = hold;
        } else {
            prev_hold = -1.0;
        }
        if (i > 0 && valid_hold(keys[i - 1].up - keys[i - 1].down) && keys[i].down - keys[i - 1].down < kBurstGapMs) {
            ++follow;
            if (keys[i].down < keys[i - 1].up) ++overlaps;
        }
    }
    if (holds.n > 0) {
        out[kHoldMean] = holds.mean();
        out[kHoldCv] = holds.cv();
        out[kHoldRepeatShare] = hold_pairs ? static_cast<double>(hold_repeats) / static_cast<double>(hold_pairs) : 0.0;
    }
    out[kRolloverShare] = follow ? static_cast<double>(overlaps) / static_cast<double>(follow) : 0.0;

    // Intervals between presses, grouped into bursts of typing.
    std::vector<double> intervals;
    std::vector<std::size_t> burst_starts{0};
    intervals.reserve(keys.size());
    Moments interval_moments;
    Correlation hold_interval, lag1;
    bool prev_in_burst = false;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const double interval = keys[i].down - keys[i - 1].down;
        if (!(interval < kBurstGapMs)) {
            if (burst_starts.back() != intervals.size()) burst_starts.push_back(intervals.size());
            prev_in_burst = false;
            continue;
        }
        interval_moments.add(interval);
        const double hold = keys[i - 1].up - keys[i - 1].down;
        if (valid_hold(hold)) hold_interval.add(hold, interval);
        if (prev_in_burst) lag1.add(intervals.back(), interval);
        intervals.push_back(interval);
        prev_in_burst = true;
    }
    if (burst_starts.back() != intervals.size()) burst_starts.push_back(intervals.size());
    if (interval_moments.n < 2) return;
    out[kKeyIntervalCv] = interval_moments.cv();
    out[kHoldIntervalCorr] = hold_interval.r(5);
    out[kKeyIntervalLag1] = lag1.r(5);
    if (burst_starts.size() >= 3) out[kBurstConsistency] = burst_consistency(intervals, burst_starts);
}

}  // namespace velmora::behaviour
