#include "behaviour/consistency_features.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora::behaviour {

namespace {

// A click a keyboard made (Enter or Space on a control) has no pointer place: the browser
// reports it at (0, 0).
bool keyboard_click(const Click& c) { return c.x == 0.0 && c.y == 0.0; }

// Whether a move of (dx, dy) is longer than px.
bool farther_than(double dx, double dy, double px) { return dx * dx + dy * dy > px * px; }

// Distance from c to the segment a-b: the pointer went from a to b between two events.
double distance_to_step(const Click& c, const PointerSample& a, const PointerSample& b) {
    const double ax = b.x - a.x, ay = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double length2 = ax * ax + ay * ay;
    const double u = length2 > 0.0 ? std::clamp((cx * ax + cy * ay) / length2, 0.0, 1.0) : 0.0;
    const double dx = cx - u * ax, dy = cy - u * ay;
    return std::sqrt(dx * dx + dy * dy);
}

// Distance from c to the pointer's path at its time, given the first sample stamped after
// it; -1 when there is nothing to judge (no sample at or before the click), too many
// samples share the click's stamp to place it, or the path there is not known. On a coarse
// clock (a privacy setting may round stamps to 100 ms) the click happened somewhere among
// the samples stamped with it: the path runs from the last sample stamped before the click
// through those to the next.
double distance_to_path(const Click& c, std::span<const PointerSample> track, std::size_t after) {
    std::size_t from = after;
    while (from > 0 && track[from - 1].t >= c.t) {  // samples stamped with the click
        if (after - from == kClickTieSamples) return -1.0;
        --from;
    }
    if (from > 0) --from;                 // and the last one before it
    else if (from == after) return -1.0;  // no sample at or before the click
    double nearest = INFINITY;
    for (std::size_t k = from; k < after; ++k) {
        const PointerSample &a = track[k], &b = track[k + 1];
        // Between samples far apart in time and place the path is not known: a slow
        // device's step cuts the corner the pointer turned at the click.
        if (b.t - a.t > kClickStepMs && farther_than(b.x - a.x, b.y - a.y, kJumpPx)) return -1.0;
        nearest = std::min(nearest, distance_to_step(c, a, b));
    }
    return nearest;
}

template <class T>
std::span<const T> by_time(std::span<const T> in, std::vector<T>& copy) {
    const auto earlier = [](const T& a, const T& b) { return a.t < b.t; };
    if (std::is_sorted(in.begin(), in.end(), earlier)) return in;
    copy.assign(in.begin(), in.end());
    std::stable_sort(copy.begin(), copy.end(), earlier);
    return copy;
}

}  // namespace

void consistency_features(std::span<const PointerSample> pointer, std::span<const Click> clicks_in, FeatureValues& out) {
    // A page receives events in the order they happened, with time stamps that never go back.
    double disorder = 0.0;
    for (std::size_t i = 1; i < pointer.size(); ++i)
        if (pointer[i].t < pointer[i - 1].t) ++disorder;
    out[kTimeDisorder] = disorder;

    double x_max = 0.0, y_max = 0.0, low = 0.0;
    bool any = false;
    const auto extend = [&](double x, double y) {
        if (!any) x_max = x, y_max = y, low = std::min(x, y), any = true;
        x_max = std::max(x_max, x), y_max = std::max(y_max, y), low = std::min({low, x, y});
    };
    for (const PointerSample& p : pointer) extend(p.x, p.y);
    for (const Click& c : clicks_in)
        if (!keyboard_click(c)) extend(c.x, c.y);
    out[kPlaceXMax] = x_max;
    out[kPlaceYMax] = y_max;
    out[kPlaceMin] = low;

    std::vector<PointerSample> pointer_copy;
    std::vector<Click> click_copy;
    const std::span<const PointerSample> track = by_time(pointer, pointer_copy);
    const std::span<const Click> clicks = by_time(clicks_in, click_copy);
    // Clicks after the last sample are not judged: a page may stop keeping samples at a cap.
    const double judged_until = track.empty() ? INFINITY : track.back().t;
    double off_path = 0.0, jumps = 0.0;
    const Click* last = nullptr;
    std::size_t at = 0;  // first sample after the click
    for (const Click& c : clicks) {
        if (keyboard_click(c)) continue;
        const std::size_t before = at;  // samples up to the previous click
        while (at < track.size() && track[at].t <= c.t) ++at;
        if (at < track.size() && distance_to_path(c, track, at) > kClickPlacePx) ++off_path;
        const bool moved_since = at != before;
        if (last != nullptr && !moved_since && c.t <= judged_until &&
            farther_than(c.x - last->x, c.y - last->y, kClickPlacePx))
            ++jumps;
        last = &c;
    }
    out[kClickOffPath] = off_path;
    out[kClickJump] = jumps;

    // A jump counts when the pointer is then clicked where it appeared: a device that reports
    // a sample only every 300 ms or more makes every sample look alone, but not at clicks.
    double lone = 0.0;
    std::size_t next_click = 0;
    for (std::size_t i = 1; i < track.size(); ++i) {
        const PointerSample &a = track[i - 1], &p = track[i];
        const double until = i + 1 == track.size() ? INFINITY : track[i + 1].t;
        const bool silent_around = p.t - a.t >= kJumpSilenceMs && until - p.t >= kJumpSilenceMs;
        if (!silent_around || !farther_than(p.x - a.x, p.y - a.y, kJumpPx)) continue;
        while (next_click < clicks.size() && clicks[next_click].t < p.t) ++next_click;
        for (std::size_t k = next_click; k < clicks.size() && clicks[k].t < until; ++k) {
            if (!keyboard_click(clicks[k]) && !farther_than(clicks[k].x - p.x, clicks[k].y - p.y, kClickPlacePx)) {
                ++lone;
                break;
            }
        }
    }
    out[kPointerJump] = lone;
}

}  // namespace velmora::behaviour
