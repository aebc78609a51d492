#include "ingest/json_behaviour.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "ingest/json_values.hpp"

namespace velmora::ingest {

namespace {

using behaviour::BehaviourSession;

// As the dict reader: a list's length alone never sizes an allocation beyond this.
constexpr std::size_t kMaxReserved = 4096;

// Calls `read(item)` for the first `limit` items of `list`, if it is an array; false as
// soon as one read is undecided.
template <class Read>
bool for_items(yyjson_val* list, std::size_t limit, Read read) {
    if (list == nullptr || !unsafe_yyjson_is_arr(list)) return true;
    const std::size_t count = std::min(unsafe_yyjson_get_len(list), limit);
    yyjson_val* item = unsafe_yyjson_get_first(list);
    for (std::size_t i = 0; i < count; ++i, item = unsafe_yyjson_get_next(item))
        if (!read(item)) return false;
    return true;
}

template <class T>
void reserve_for(yyjson_val* list, std::vector<T>& v) {
    if (list != nullptr && unsafe_yyjson_is_arr(list)) v.reserve(std::min(unsafe_yyjson_get_len(list), kMaxReserved));
}

// x, y and t of an object item; *kept when all three read as finite numbers.
bool read_xyt(yyjson_val* item, double& x, double& y, double& t, bool& kept) {
    kept = false;
    if (!unsafe_yyjson_is_obj(item)) return true;
    static constexpr std::string_view names[] = {"x", "y", "t"};
    const Members m(item, names);
    const Number nx = float_of(m.value[0], x), ny = float_of(m.value[1], y), nt = float_of(m.value[2], t);
    if (nx == Number::undecided || ny == Number::undecided || nt == Number::undecided) return false;
    kept = nx == Number::present && ny == Number::present && nt == Number::present && std::isfinite(x) &&
           std::isfinite(y) && std::isfinite(t);
    return true;
}

bool read_key(yyjson_val* item, std::vector<behaviour::KeyTiming>& keys) {
    if (!unsafe_yyjson_is_obj(item)) return true;
    static constexpr std::string_view names[] = {"t", "down", "time", "up", "duration_ms"};
    const Members m(item, names);
    double down = 0.0;
    const Number press = press_time(m.value[0], m.value[1], m.value[2], down);
    if (press == Number::undecided) return false;
    double up = 0.0, duration = 0.0;
    const Number u = float_of(m.value[3], up), d = float_of(m.value[4], duration);
    if (u == Number::undecided || d == Number::undecided) return false;
    if (press == Number::absent) return true;
    keys.push_back({down, u == Number::present ? up : (d == Number::present ? down + duration : NAN)});
    return true;
}

}  // namespace

bool read_behaviour_session(yyjson_val* telemetry, BehaviourSession& s) {
    if (telemetry == nullptr || !unsafe_yyjson_is_obj(telemetry)) return true;
    static constexpr std::string_view names[] = {"mouse_movements", "clicks", "scrolls", "keystrokes"};
    const Members m(telemetry, names);
    reserve_for(m.value[0], s.pointer);
    const bool decided =
        for_items(m.value[0], behaviour::kMaxPointer,
                  [&](yyjson_val* item) {
                      behaviour::PointerSample p;
                      bool kept = false;
                      if (!read_xyt(item, p.x, p.y, p.t, kept)) return false;
                      if (kept) s.pointer.push_back(p);
                      return true;
                  }) &&
        for_items(m.value[1], behaviour::kMaxClicks,
                  [&](yyjson_val* item) {
                      behaviour::Click c;
                      bool kept = false;
                      if (!read_xyt(item, c.x, c.y, c.t, kept)) return false;
                      if (kept) s.clicks.push_back(c);
                      return true;
                  }) &&
        for_items(m.value[2], behaviour::kMaxScrolls,
                  [&](yyjson_val* item) {
                      if (!unsafe_yyjson_is_obj(item)) return true;
                      static constexpr std::string_view t_name[] = {"t"};
                      double t = 0.0;
                      const Number n = float_of(Members(item, t_name).value[0], t);
                      if (n == Number::undecided) return false;
                      if (n == Number::present && std::isfinite(t)) s.scrolls.push_back(t);
                      return true;
                  });
    if (!decided) return false;
    reserve_for(m.value[3], s.keys);
    return for_items(m.value[3], behaviour::kMaxKeys, [&](yyjson_val* item) { return read_key(item, s.keys); });
}

}  // namespace velmora::ingest
