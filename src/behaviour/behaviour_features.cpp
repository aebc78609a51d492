#include "behaviour/behaviour_features.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>
#include <vector>

#include "behaviour/consistency_features.hpp"
#include "behaviour/key_features.hpp"
#include "behaviour/pointer_features.hpp"

namespace velmora::behaviour {

namespace {

bool finite_point(const auto& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.t); }

// Readers only hand over finite positions and times; a record filled by other code may
// not, and sorting by a NaN time is undefined, so such items are dropped here.
template <class T, class Keep>
std::span<const T> finite_items(const std::vector<T>& in, std::vector<T>& copy, Keep keep) {
    if (std::all_of(in.begin(), in.end(), keep)) return in;
    std::copy_if(in.begin(), in.end(), std::back_inserter(copy), keep);
    return copy;
}

}  // namespace

FeatureValues compute_behaviour_features(const BehaviourSession& session) {
    FeatureValues out{};
    std::vector<PointerSample> pointer_copy;
    std::vector<Click> click_copy;
    std::vector<KeyTiming> key_copy;
    const auto pointer = finite_items(session.pointer, pointer_copy, [](const PointerSample& p) { return finite_point(p); });
    const auto clicks = finite_items(session.clicks, click_copy, [](const Click& c) { return finite_point(c); });
    const auto keys = finite_items(session.keys, key_copy, [](const KeyTiming& k) { return std::isfinite(k.down); });
    pointer_features(pointer, clicks, out);
    key_features(keys, out);
    consistency_features(pointer, clicks, out);
    // A last guard: no input, however extreme, may hand a model a NaN or an infinity.
    for (double& v : out)
        if (!std::isfinite(v)) v = 0.0;
    return out;
}

}  // namespace velmora::behaviour
