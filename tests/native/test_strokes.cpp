// Stroke prints and the stroke memory on strokes whose answers are known by construction.
#define CHECK_MAIN
#include <cmath>
#include <cstdint>
#include <vector>

#include "check.hpp"
#include "strokes/stroke_memory.hpp"
#include "strokes/stroke_print.hpp"

using namespace velmora::strokes;
using velmora::behaviour::Click;
using velmora::behaviour::PointerSample;

namespace {

// A wavy reach with detail beyond a smooth bend, rotated by `angle`, scaled by `scale` and
// sampled every `dt` ms over `duration` ms; `wobble` changes the detail (another hand).
std::vector<PointerSample> wavy(double angle, double scale, double dt, double duration, double wobble = 1.0,
                                double t0 = 1000.0) {
    std::vector<PointerSample> out;
    for (double t = 0.0;; t += dt) {
        const double u = std::min(t / duration, 1.0);
        const double s = u * u * (3.0 - 2.0 * u);
        const double x = 400.0 * s;
        const double y = 40.0 * std::sin(3.14159 * s) + 12.0 * wobble * std::sin(5.0 * 3.14159 * s * wobble);
        out.push_back({200.0 + scale * (x * std::cos(angle) - y * std::sin(angle)),
                       300.0 + scale * (x * std::sin(angle) + y * std::cos(angle)), t0 + t});
        if (u >= 1.0) break;
    }
    return out;
}

SessionPrints prints_of(const std::vector<PointerSample>& p, const std::vector<Click>& clicks = {}) {
    return session_prints(p, clicks);
}

}  // namespace

TEST_CASE("a replay of a stroke, rotated, scaled 0.5-2x, re-sampled and re-timed, keeps its print") {
    const SessionPrints original = prints_of(wavy(0.0, 1.0, 16.0, 600.0));
    CHECK_EQ(original.strokes, 1u);
    CHECK_EQ(original.prints.size(), 1u);
    for (double angle : {0.5, 2.0, -2.8})
        for (double scale : {0.5, 1.0, 2.0})
            for (double dt : {8.0, 16.0}) {
                const SessionPrints replay = prints_of(wavy(angle, scale, dt, 600.0 * 1.2));
                CHECK_EQ(replay.prints.size(), 1u);
                if (!replay.prints.empty()) CHECK(prints_match(original.prints[0], replay.prints[0]));
            }
}

TEST_CASE("other detail, a plain dash or three times the duration do not match") {
    const StrokePrint a = prints_of(wavy(0.0, 1.0, 16.0, 600.0)).prints.at(0);
    const SessionPrints other = prints_of(wavy(0.0, 1.0, 16.0, 600.0, 1.3));
    CHECK_EQ(other.prints.size(), 1u);
    CHECK(!prints_match(a, other.prints.at(0)));
    // A straight dash and a smooth bend have no detail: no print at all.
    std::vector<PointerSample> dash;
    for (int i = 0; i < 40; ++i) dash.push_back({10.0 * i, 5.0, 16.0 * i});
    CHECK_EQ(prints_of(dash).strokes, 1u);
    CHECK(prints_of(dash).prints.empty());
    // Three times slower is another movement.
    CHECK(!prints_match(a, prints_of(wavy(0.0, 1.0, 16.0, 1800.0)).prints.at(0)));
}

TEST_CASE("strokes end at pauses and at clicks") {
    std::vector<PointerSample> two = wavy(0.0, 1.0, 16.0, 600.0);
    const std::vector<PointerSample> second = wavy(1.0, 1.0, 16.0, 600.0, 1.0, 3000.0);
    two.insert(two.end(), second.begin(), second.end());
    CHECK_EQ(prints_of(two).prints.size(), 2u);
    // A click in the middle of one reach cuts it in two shorter strokes.
    const SessionPrints cut = prints_of(wavy(0.0, 1.0, 16.0, 600.0), {{0.0, 0.0, 1300.0}});
    CHECK_EQ(cut.strokes, 2u);
}

TEST_CASE("the wire form round-trips") {
    const StrokePrint p = prints_of(wavy(0.3, 1.0, 16.0, 600.0)).prints.at(0);
    std::uint8_t wire[kWireBytes];
    encode(p, wire);
    const StrokePrint q = decode(wire);
    CHECK(q.shape == p.shape && q.progress == p.progress && q.bands == p.bands);
    CHECK(q.chord == p.chord && q.duration == p.duration);
}

TEST_CASE("the memory counts earlier sessions' strokes and forgets the oldest first") {
    const StrokePrint a = prints_of(wavy(0.0, 1.0, 16.0, 600.0)).prints.at(0);
    const StrokePrint b = prints_of(wavy(1.0, 1.5, 8.0, 700.0)).prints.at(0);
    StrokeMemory memory(3);
    CHECK_EQ(memory.observe(std::vector<StrokePrint>{a, a}), 0u);  // not against its own session
    CHECK_EQ(memory.observe(std::vector<StrokePrint>{b}), 1u);  // the same wavy reach, replayed
    CHECK_EQ(memory.size(), 3u);
    std::vector<StrokePrint> others;
    for (double w : {1.2, 1.4, 1.6}) others.push_back(prints_of(wavy(0.0, 1.0, 16.0, 600.0, w)).prints.at(0));
    CHECK_EQ(memory.observe(others), 0u);
    CHECK_EQ(memory.size(), 3u);
    CHECK(!memory.recalls(a));  // forgotten, oldest first
    CHECK(memory.recalls(others[2]));
}
