#include "kinematics/telemetry_reader_py.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "lenient_readers.hpp"
#include "results.hpp"

namespace velmora::py {

namespace {

using kinematics::BrowserFacts;
using kinematics::MousePoint;
using kinematics::ParsedTelemetry;
using keystrokes::KeystrokeEvent;

// Keystroke records beyond this are ignored: typing analysis needs no more, and it
// bounds the work a single telemetry can cause.
constexpr Py_ssize_t kMaxKeystrokeItems = 150;

// Lookups go through process-wide interned keys: the dict's own lookup behaves exactly
// as with a fresh str of the same text, without creating and hashing one per read.

std::optional<double> float_at(PyObject* dict, PyObject* key) {
    PyRef value = dict_get(dict, key);
    if (!value) return std::nullopt;
    return read_float(value.get());
}

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

// The value under `key` when it is a list (or subclass), else null.
PyRef list_at(PyObject* dict, PyObject* key) {
    PyRef value = dict_get(dict, key);
    if (value && !PyList_Check(value.get())) return PyRef();
    return value;
}

// A "browser" dict that lacks a key reads it as 0.0 / false, not as the defaults that
// apply when there is no browser dict at all.
void read_browser(PyObject* browser, BrowserFacts& facts) {
    if (auto v = bool_at(browser, VELMORA_KEY("webdriver"))) facts.webdriver = *v;
    const double width = float_at(browser, VELMORA_KEY("screen_width")).value_or(0.0);
    facts.screen_width = width;
    if (auto height = float_at(browser, VELMORA_KEY("screen_height"))) {
        facts.screen_height = *height;
        facts.screen_valid = width > 0.0 && *height > 0.0;
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

// The first of "t", "down", "time" that reads as a finite number.
std::optional<double> keystroke_down(PyObject* record) {
    for (PyObject* key : {VELMORA_KEY("t"), VELMORA_KEY("down"), VELMORA_KEY("time")}) {
        std::optional<double> v = float_at(record, key);
        if (v && std::isfinite(*v)) return v;
    }
    return std::nullopt;
}

std::optional<KeystrokeEvent> read_keystroke(PyObject* record) {
    std::optional<double> down = keystroke_down(record);
    if (!down) return std::nullopt;
    KeystrokeEvent event;
    event.down = *down;
    PyRef key = dict_get(record, VELMORA_KEY("key"));
    std::optional<std::string_view> text = key ? read_utf8(key.get()) : std::nullopt;
    event.key = text ? std::string(*text) : std::string("unknown");
    if (auto up = float_at(record, VELMORA_KEY("up"))) {
        event.up = *up;
    } else if (auto duration = float_at(record, VELMORA_KEY("duration_ms"))) {
        event.up = event.down + *duration;
    }
    return event;
}

// Lengths are taken once, up front: user code run by a conversion (__float__ and
// friends) may grow or shrink the list, and growing it must not keep the loop going.
// Items that vanish meanwhile are simply skipped.
void read_keystrokes(PyObject* list, std::vector<KeystrokeEvent>& events) {
    const Py_ssize_t examined = std::min(PyList_Size(list), kMaxKeystrokeItems);
    events.reserve(static_cast<std::size_t>(examined));
    for (Py_ssize_t i = 0; i < examined; ++i) {
        PyRef item = list_get(list, i);
        if (!item || !PyDict_Check(item.get())) continue;
        if (std::optional<KeystrokeEvent> event = read_keystroke(item.get())) events.push_back(std::move(*event));
    }
}

void read_mouse_movements(PyObject* list, std::vector<MousePoint>& points) {
    const Py_ssize_t length = PyList_Size(list);
    points.reserve(static_cast<std::size_t>(length));
    for (Py_ssize_t i = 0; i < length; ++i) {
        PyRef item = list_get(list, i);
        if (!item || !PyDict_Check(item.get())) continue;
        PyObject* record = item.get();
        // All five are read before deciding, so every conversion runs as the client expects.
        const std::optional<double> x = float_at(record, VELMORA_KEY("x"));
        const std::optional<double> y = float_at(record, VELMORA_KEY("y"));
        const std::optional<double> t = float_at(record, VELMORA_KEY("t"));
        const double r = float_at(record, VELMORA_KEY("r")).value_or(0.0);
        const double f = float_at(record, VELMORA_KEY("f")).value_or(0.0);
        if (!x || !y || !t || !std::isfinite(*x) || !std::isfinite(*y) || !std::isfinite(*t)) continue;
        points.push_back(MousePoint{*x, *y, *t, r, f});
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
    if (PyRef keys = list_at(telemetry, VELMORA_KEY("keystrokes"))) read_keystrokes(keys.get(), parsed.events);
    if (PyRef moves = list_at(telemetry, VELMORA_KEY("mouse_movements")))
        read_mouse_movements(moves.get(), parsed.points);
    return parsed;
}

}  // namespace velmora::py
