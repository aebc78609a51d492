#include "ingest/json_telemetry.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "ingest/json_document.hpp"
#include "ingest/json_values.hpp"

namespace velmora::ingest {

namespace {

using features::BrowserFacts;
using features::MousePoint;
using features::ParsedTelemetry;
using keystrokes::KeystrokeEvent;

// As the dict reader: keystroke items beyond features::kMaxKeystrokeItems are not examined,
// and the room reserved for movement samples before any is read is capped.
constexpr std::size_t kMaxReservedPoints = std::size_t{1} << 16;

// A "browser" object that lacks a key reads it as 0.0 / false, not as the defaults that
// apply when there is no browser object at all.
bool read_browser(yyjson_val* browser, BrowserFacts& facts) {
    static constexpr std::string_view names[] = {"webdriver", "screen_width", "screen_height", "touch_supported",
                                                 "max_touch_points", "plugins_length"};
    const Members m(browser, names);
    facts.reported = true;
    bool flag = false;
    if (bool_of(m.value[0], flag)) facts.webdriver = flag;
    double width = 0.0, height = 0.0;
    const Number w = float_of(m.value[1], width);
    const Number h = float_of(m.value[2], height);
    if (w == Number::undecided || h == Number::undecided) return false;
    facts.screen_width = w == Number::present ? width : 0.0;
    if (h == Number::present) {
        facts.screen_height = height;
        facts.screen_valid = facts.screen_width > 0.0 && height > 0.0;
    } else {
        facts.screen_height = 0.0;
        facts.screen_valid = false;
    }
    if (bool_of(m.value[3], flag)) facts.touch_supported = flag;
    std::int64_t count = 0;
    if (int_of(m.value[4], count)) facts.max_touch_points = count;
    if (int_of(m.value[5], count)) facts.plugins_length = count;
    return true;
}

// Appends the event of one keystroke object unless it has no usable down time: the first
// of "t", "down", "time" that reads as a finite number.
bool read_keystroke(yyjson_val* record, std::vector<KeystrokeEvent>& events) {
    static constexpr std::string_view names[] = {"t", "down", "time", "key", "up", "duration_ms"};
    const Members m(record, names);
    double down = 0.0;
    const Number press = press_time(m.value[0], m.value[1], m.value[2], down);
    if (press == Number::undecided) return false;
    if (press == Number::absent) return true;
    KeystrokeEvent& event = events.emplace_back();
    event.down = down;
    yyjson_val* key = m.value[3];
    event.key = key != nullptr && unsafe_yyjson_is_str(key) ? text_of(key) : std::string_view("unknown");
    double up = 0.0, duration = 0.0;
    const Number u = float_of(m.value[4], up);
    if (u == Number::undecided) return false;
    if (u == Number::present) {
        event.up = up;
        return true;
    }
    const Number d = float_of(m.value[5], duration);
    if (d == Number::undecided) return false;
    if (d == Number::present) event.up = down + duration;
    return true;
}

bool read_keystrokes(yyjson_val* list, std::vector<KeystrokeEvent>& events) {
    const std::size_t examined = std::min(unsafe_yyjson_get_len(list), features::kMaxKeystrokeItems);
    events.reserve(examined);
    yyjson_val* item = unsafe_yyjson_get_first(list);
    for (std::size_t i = 0; i < examined; ++i, item = unsafe_yyjson_get_next(item)) {
        if (unsafe_yyjson_is_obj(item) && !read_keystroke(item, events)) return false;
    }
    return true;
}

// Movement samples: all five numbers are read before the sample is judged.
bool read_mouse_movements(yyjson_val* list, std::vector<MousePoint>& points) {
    static constexpr std::string_view names[] = {"x", "y", "t", "r", "f"};
    const std::size_t length = unsafe_yyjson_get_len(list);
    points.reserve(std::min(length, kMaxReservedPoints));
    yyjson_val* item = unsafe_yyjson_get_first(list);
    for (std::size_t i = 0; i < length; ++i, item = unsafe_yyjson_get_next(item)) {
        if (!unsafe_yyjson_is_obj(item)) continue;
        const Members m(item, names);
        MousePoint p;
        const Number x = float_of(m.value[0], p.x);
        const Number y = float_of(m.value[1], p.y);
        const Number t = float_of(m.value[2], p.t);
        const Number r = float_of(m.value[3], p.r);
        const Number f = float_of(m.value[4], p.f);
        if (x == Number::undecided || y == Number::undecided || t == Number::undecided || r == Number::undecided ||
            f == Number::undecided)
            return false;
        if (x == Number::present && y == Number::present && t == Number::present && std::isfinite(p.x) &&
            std::isfinite(p.y) && std::isfinite(p.t))
            points.push_back(p);
    }
    return true;
}

}  // namespace

bool read_telemetry(yyjson_val* telemetry, ParsedTelemetry& parsed) {
    if (telemetry == nullptr || !unsafe_yyjson_is_obj(telemetry)) return true;
    static constexpr std::string_view names[] = {"browser", "clicks", "scrolls", "keystrokes", "mouse_movements"};
    const Members m(telemetry, names);
    if (m.value[0] != nullptr && unsafe_yyjson_is_obj(m.value[0]) && !read_browser(m.value[0], parsed.browser))
        return false;
    if (m.value[1] != nullptr && unsafe_yyjson_is_arr(m.value[1])) parsed.click_count = unsafe_yyjson_get_len(m.value[1]);
    if (m.value[2] != nullptr && unsafe_yyjson_is_arr(m.value[2]))
        parsed.scroll_count = unsafe_yyjson_get_len(m.value[2]);
    if (m.value[3] != nullptr && unsafe_yyjson_is_arr(m.value[3]) && !read_keystrokes(m.value[3], parsed.events))
        return false;
    if (m.value[4] != nullptr && unsafe_yyjson_is_arr(m.value[4]) && !read_mouse_movements(m.value[4], parsed.points))
        return false;
    return true;
}

}  // namespace velmora::ingest
