#include "keystrokes/keystroke_parser_py.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "binding/lenient_readers_py.hpp"
#include "binding/record_fields_py.hpp"
#include "keystrokes/keystroke_record_py.hpp"

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
        if (std::optional<KeystrokeEvent> event = read_tuple_record(item.get()))
            events.push_back(std::move(*event));
        else if (std::optional<KeystrokeEvent> record = read_keystroke_dict(item.get(), scanner, kDynamicsKeystroke))
            events.push_back(std::move(*record));
    }
    return events;
}

}  // namespace velmora::py
