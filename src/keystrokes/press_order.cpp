#include "keystrokes/press_order.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::keystrokes {
namespace {

// A plain `<` is no strict weak ordering once NaN is present, and std::stable_sort
// is undefined for such a comparator. Ranking NaN above every number (all NaNs
// equivalent) makes it one, and it agrees with `<` wherever `<` is meaningful.
bool presses_before(const KeystrokeEvent* a, const KeystrokeEvent* b) {
    if (std::isnan(a->down)) return false;
    if (std::isnan(b->down)) return true;
    return a->down < b->down;
}

}  // namespace

std::vector<const KeystrokeEvent*> in_press_order(std::span<const KeystrokeEvent> events) {
    std::vector<const KeystrokeEvent*> order;
    order.reserve(events.size());
    for (const KeystrokeEvent& event : events) order.push_back(&event);
    std::stable_sort(order.begin(), order.end(), presses_before);
    return order;
}

}  // namespace velmora::keystrokes
