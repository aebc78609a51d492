#include "keystrokes/keystroke_parser_py.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "lenient_readers.hpp"
#include "record_fields_py.hpp"
#include "results.hpp"

namespace velmora::py {
namespace {

using keystrokes::KeystrokeEvent;

// A list may claim any length; only this much is reserved before items are read.
constexpr Py_ssize_t kMaxReservedEvents = 1 << 16;

// (key, down, up-or-None): a str key and two float conversions, times kept as given.
std::optional<KeystrokeEvent> read_tuple_record(PyObject* item) {
    if (!PyTuple_Check(item) || PyTuple_Size(item) != 3) return std::nullopt;
    // Borrowed from the tuple, which cannot change and which the caller holds.
    PyObject* key_obj = PyTuple_GetItem(item, 0);
    PyObject* down_obj = PyTuple_GetItem(item, 1);
    PyObject* up_obj = PyTuple_GetItem(item, 2);
    if (key_obj == nullptr || down_obj == nullptr || up_obj == nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }

    const std::optional<std::string_view> key = read_utf8(key_obj);
    if (!key) return std::nullopt;
    KeystrokeEvent event{std::string(*key), 0.0, std::nullopt};
    const std::optional<double> down = read_float(down_obj);
    if (!down) return std::nullopt;
    event.down = *down;
    if (up_obj != Py_None) {
        const std::optional<double> up = read_float(up_obj);
        if (!up) return std::nullopt;
        event.up = *up;
    }
    return event;
}

std::optional<double> dict_float(PyObject* dict, PyObject* key) {
    const PyRef value = dict_get(dict, key);
    if (!value) return std::nullopt;
    return read_float(value.get());
}

std::optional<double> finite_dict_float(PyObject* dict, PyObject* key) {
    const std::optional<double> value = dict_float(dict, key);
    if (value && std::isfinite(*value)) return value;
    return std::nullopt;
}

// A key-release record of clients that report presses and releases separately.
bool is_release_record(PyObject* dict) {
    const PyRef type = dict_get(dict, VELMORA_KEY("type"));
    return type && PyUnicode_Check(type.get()) && PyUnicode_EqualToUTF8AndSize(type.get(), "up", 2) == 1;
}

std::optional<KeystrokeEvent> read_dict_record(PyObject* item) {
    if (!PyDict_Check(item) || is_release_record(item)) return std::nullopt;

    std::optional<double> down = finite_dict_float(item, VELMORA_KEY("down"));
    if (!down) down = finite_dict_float(item, VELMORA_KEY("t"));
    if (!down) down = finite_dict_float(item, VELMORA_KEY("time"));
    if (!down) return std::nullopt;

    KeystrokeEvent event{"unknown", *down, std::nullopt};
    if (const PyRef key = dict_get(item, VELMORA_KEY("key"))) {
        if (const std::optional<std::string_view> text = read_utf8(key.get())) event.key.assign(*text);
    }

    if (const std::optional<double> up = dict_float(item, VELMORA_KEY("up"))) {
        event.up = *up;
    } else if (const std::optional<double> duration = dict_float(item, VELMORA_KEY("duration_ms"))) {
        event.up = *down + *duration;
    }
    return event;
}

// The same reading from a plain record's one-pass values.
std::optional<KeystrokeEvent> read_plain_record(const RecordValues& v) {
    PyObject* type = v.text_of(Field::type);
    if (type && PyUnicode_Check(type) && PyUnicode_EqualToUTF8AndSize(type, "up", 2) == 1) return std::nullopt;

    double down = 0.0;
    if (!(v.get(Field::down, down) && std::isfinite(down)) && !(v.get(Field::t, down) && std::isfinite(down)) &&
        !(v.get(Field::time, down) && std::isfinite(down)))
        return std::nullopt;

    KeystrokeEvent event{"unknown", down, std::nullopt};
    if (PyObject* key = v.text_of(Field::key)) {
        if (const std::optional<std::string_view> text = read_utf8(key)) event.key.assign(*text);
    }
    double up = 0.0, duration = 0.0;
    if (v.get(Field::up, up)) {
        event.up = up;
    } else if (v.get(Field::duration_ms, duration)) {
        event.up = down + duration;
    }
    return event;
}

}  // namespace

std::vector<KeystrokeEvent> parse_keystroke_list(PyObject* keystrokes) {
    std::vector<KeystrokeEvent> events;
    if (!PyList_Check(keystrokes)) return events;
    // Read once: items may run code (__float__) that changes the list under us;
    // indices that have gone are simply not fetched (list_get).
    const Py_ssize_t length = PyList_Size(keystrokes);
    if (length <= 0) {
        PyErr_Clear();
        return events;
    }
    events.reserve(static_cast<std::size_t>(std::min(length, kMaxReservedEvents)));
    RecordScanner scanner;
    for (Py_ssize_t i = 0; i < length; ++i) {
        const PyRef item = list_get(keystrokes, i);
        if (!item) continue;
        if (RecordValues values; scanner.scan(item.get(), values)) {
            if (std::optional<KeystrokeEvent> record = read_plain_record(values)) events.push_back(std::move(*record));
        } else if (std::optional<KeystrokeEvent> event = read_tuple_record(item.get())) {
            events.push_back(std::move(*event));
        } else if (std::optional<KeystrokeEvent> record = read_dict_record(item.get())) {
            events.push_back(std::move(*record));
        }
    }
    return events;
}

}  // namespace velmora::py
