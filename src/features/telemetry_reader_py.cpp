#include "features/telemetry_reader_py.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "binding/lenient_readers_py.hpp"
#include "binding/record_fields_py.hpp"
#include "binding/results_py.hpp"
#include "keystrokes/keystroke_record_py.hpp"

namespace velmora::py {

namespace {

using features::BrowserFacts;
using features::MousePoint;
using features::ParsedTelemetry;
using keystrokes::KeystrokeEvent;

// Room reserved for movement samples before any is read (40 bytes each).
constexpr Py_ssize_t kMaxReservedPoints = 1 << 16;

// Lookups go through process-wide interned keys: the dict's own lookup behaves exactly
// as with a fresh str of the same text, without creating and hashing one per read.

std::optional<std::int64_t> int_at(PyObject* dict, PyObject* key) {
    PyRef value = dict_get(dict, key);
    if (!value) return std::nullopt;
    return read_int(value.get());
}

std::optional<bool> bool_at(PyObject* dict, PyObject* key) {
    PyRef value = dict_get(dict, key);
    if (!value) return std::nullopt;
    return read_bool(value.get());
}

// A "browser" dict that lacks a key reads it as 0.0 / false, not as the defaults that
// apply when there is no browser dict at all.
void read_browser(PyObject* browser, BrowserFacts& facts) {
    facts.reported = true;
    if (auto v = bool_at(browser, VELMORA_KEY("webdriver"))) facts.webdriver = *v;
    double width = 0.0, height = 0.0;
    float_at(browser, VELMORA_KEY("screen_width"), width);
    facts.screen_width = width;
    if (float_at(browser, VELMORA_KEY("screen_height"), height)) {
        facts.screen_height = height;
        facts.screen_valid = width > 0.0 && height > 0.0;
    } else {
        facts.screen_height = 0.0;
        facts.screen_valid = false;
    }
    if (auto v = bool_at(browser, VELMORA_KEY("touch_supported"))) facts.touch_supported = *v;
    if (auto v = int_at(browser, VELMORA_KEY("max_touch_points"))) facts.max_touch_points = *v;
    if (auto v = int_at(browser, VELMORA_KEY("plugins_length"))) facts.plugins_length = *v;
}

std::uint64_t list_length_at(PyObject* telemetry, PyObject* key) {
    PyRef list = list_at(telemetry, key);
    return list ? static_cast<std::uint64_t>(PyList_Size(list.get())) : 0;
}

// Lengths are taken once, up front: user code run by a conversion (__float__ and
// friends) may grow or shrink the list, and growing it must not keep the loop going.
// Items that vanish meanwhile are simply skipped.
void read_keystrokes(PyObject* list, RecordScanner& scanner, std::vector<KeystrokeEvent>& events) {
    const Py_ssize_t examined = std::min(PyList_Size(list), static_cast<Py_ssize_t>(features::kMaxKeystrokeItems));
    events.reserve(static_cast<std::size_t>(examined));
    for (Py_ssize_t i = 0; i < examined; ++i) {
        PyRef item = list_get(list, i);
        if (!item) continue;
        if (std::optional<KeystrokeEvent> event = read_keystroke_dict(item.get(), scanner, kTelemetryKeystroke))
            events.push_back(std::move(*event));
    }
}

// A plain sample (exact dict, str keys, float/int values) is read in one pass over its
// items; any other dict by one lookup per field, which gives the same point.
void read_mouse_movements(PyObject* list, RecordScanner& scanner, std::vector<MousePoint>& points) {
    const Py_ssize_t length = PyList_Size(list);
    // Reserved up to a cap only: the list may hold anything but movement dicts, and
    // its length alone must not size an allocation. Real points grow the vector.
    points.reserve(static_cast<std::size_t>(std::min(length, kMaxReservedPoints)));
    for (Py_ssize_t i = 0; i < length; ++i) {
        PyRef item = list_get(list, i);
        if (!item) continue;
        PyObject* record = item.get();
        MousePoint p;
        bool has_x = false, has_y = false, has_t = false;
        if (RecordValues values; scanner.scan(record, values)) {
            has_x = values.get(Field::x, p.x);
            has_y = values.get(Field::y, p.y);
            has_t = values.get(Field::t, p.t);
            values.get(Field::r, p.r);
            values.get(Field::f, p.f);
        } else if (PyDict_Check(record)) {
            // All five are read before deciding, so every conversion runs as the client expects.
            has_x = float_at(record, VELMORA_KEY("x"), p.x);
            has_y = float_at(record, VELMORA_KEY("y"), p.y);
            has_t = float_at(record, VELMORA_KEY("t"), p.t);
            float_at(record, VELMORA_KEY("r"), p.r);
            float_at(record, VELMORA_KEY("f"), p.f);
        }
        if (has_x && has_y && has_t && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.t))
            points.push_back(p);
    }
}

}  // namespace

ParsedTelemetry read_telemetry(PyObject* telemetry) {
    ParsedTelemetry parsed;
    if (!PyDict_Check(telemetry)) return parsed;

    PyRef browser = dict_get(telemetry, VELMORA_KEY("browser"));
    if (browser && PyDict_Check(browser.get())) read_browser(browser.get(), parsed.browser);
    browser = PyRef();

    parsed.click_count = list_length_at(telemetry, VELMORA_KEY("clicks"));
    parsed.scroll_count = list_length_at(telemetry, VELMORA_KEY("scrolls"));
    RecordScanner scanner;
    if (PyRef keys = list_at(telemetry, VELMORA_KEY("keystrokes")))
        read_keystrokes(keys.get(), scanner, parsed.events);
    if (PyRef moves = list_at(telemetry, VELMORA_KEY("mouse_movements")))
        read_mouse_movements(moves.get(), scanner, parsed.points);
    return parsed;
}

}  // namespace velmora::py
