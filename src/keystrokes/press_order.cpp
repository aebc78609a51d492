#include "keystrokes/press_order.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::keystrokes {

std::vector<const KeystrokeEvent*> in_press_order(std::span<const KeystrokeEvent> events) {
    std::vector<const KeystrokeEvent*> order;
    order.reserve(events.size());
    bool already_ordered = true;  // clients normally send presses in time order
    for (const KeystrokeEvent& event : events) {
        if (std::isnan(event.down) || (!order.empty() && event.down < order.back()->down))
            already_ordered = false;
        order.push_back(&event);
    }
    if (already_ordered) return order;

    // A plain `<` is no strict weak ordering once NaN is present, and std::stable_sort
    // is undefined for such a comparator. Ranking NaN above every number (all NaNs
    // equivalent) makes it one, and it agrees with `<` wherever `<` is meaningful.
    std::stable_sort(order.begin(), order.end(), [](const KeystrokeEvent* a, const KeystrokeEvent* b) {
        if (std::isnan(a->down)) return false;
        if (std::isnan(b->down)) return true;
        return a->down < b->down;
    });
    return order;
}

}  // namespace velmora::keystrokes
