#include "behaviour/session_reader_py.hpp"

#include <algorithm>
#include <cmath>

#include "binding/lenient_readers_py.hpp"
#include "binding/results_py.hpp"
#include "keystrokes/keystroke_record_py.hpp"

namespace velmora::py {

namespace {

using behaviour::BehaviourSession;

// Room reserved before any item is read: a list's length alone must not size an allocation.
constexpr std::size_t kMaxReserved = 4096;

bool finite_all(double a, double b, double c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

// x, y and t of one record, by one pass when the scanner takes it, else by lookups.
bool read_xyt(PyObject* record, RecordScanner& scanner, double& x, double& y, double& t) {
    bool has_x = false, has_y = false, has_t = false;
    if (RecordValues values; scanner.scan(record, values)) {
        has_x = values.get(Field::x, x);
        has_y = values.get(Field::y, y);
        has_t = values.get(Field::t, t);
    } else if (PyDict_Check(record)) {
        has_x = float_at(record, VELMORA_KEY("x"), x);
        has_y = float_at(record, VELMORA_KEY("y"), y);
        has_t = float_at(record, VELMORA_KEY("t"), t);
    }
    return has_x && has_y && has_t && finite_all(x, y, t);
}

// Calls `read(item)` for items [first, limit) of the list under `key`. The length is taken
// once: conversions may run client code that changes the list.
template <class Read>
void for_items(PyObject* telemetry, PyObject* key, std::size_t first, std::size_t limit, Read read) {
    PyRef list = list_at(telemetry, key);
    if (!list) return;
    const Py_ssize_t length = std::min(PyList_Size(list.get()), static_cast<Py_ssize_t>(limit));
    for (auto i = static_cast<Py_ssize_t>(first); i < length; ++i) {
        PyRef item = list_get(list.get(), i);
        if (item) read(item.get());
    }
}

template <class T>
void reserve_for(PyObject* telemetry, PyObject* key, std::vector<T>& v) {
    PyRef list = list_at(telemetry, key);
    if (list) v.reserve(v.size() + std::min(static_cast<std::size_t>(PyList_Size(list.get())), kMaxReserved));
}

}  // namespace

void read_pointer(PyObject* telemetry, RecordScanner& scanner, std::vector<behaviour::PointerSample>& pointer) {
    PyObject* moves = VELMORA_KEY("mouse_movements");
    reserve_for(telemetry, moves, pointer);
    for_items(telemetry, moves, 0, behaviour::kMaxPointer, [&](PyObject* item) {
        behaviour::PointerSample p;
        if (read_xyt(item, scanner, p.x, p.y, p.t)) pointer.push_back(p);
    });
}

void read_clicks(PyObject* telemetry, RecordScanner& scanner, std::vector<behaviour::Click>& clicks) {
    for_items(telemetry, VELMORA_KEY("clicks"), 0, behaviour::kMaxClicks, [&](PyObject* item) {
        behaviour::Click c;
        if (read_xyt(item, scanner, c.x, c.y, c.t)) clicks.push_back(c);
    });
}

void read_scrolls(PyObject* telemetry, RecordScanner& scanner, std::vector<double>& scrolls) {
    for_items(telemetry, VELMORA_KEY("scrolls"), 0, behaviour::kMaxScrolls, [&](PyObject* item) {
        double t = 0.0;
        bool has_t = false;
        if (RecordValues v; scanner.scan(item, v)) has_t = v.get(Field::t, t);
        else if (PyDict_Check(item)) has_t = float_at(item, VELMORA_KEY("t"), t);
        if (has_t && std::isfinite(t)) scrolls.push_back(t);
    });
}

void read_keys(PyObject* telemetry, RecordScanner& scanner, std::size_t first, std::vector<behaviour::KeyTiming>& keys) {
    PyObject* keystrokes = VELMORA_KEY("keystrokes");
    if (first == 0) reserve_for(telemetry, keystrokes, keys);
    // The keystroke reader of the 39 features, by the same rules (behaviour_session.hpp).
    for_items(telemetry, keystrokes, first, behaviour::kMaxKeys, [&](PyObject* item) {
        if (const auto event = read_keystroke_dict(item, scanner, kTelemetryKeystroke)) {
            keys.push_back(behaviour::key_timing(*event));
        }
    });
}

BehaviourSession read_behaviour_session(PyObject* telemetry) {
    BehaviourSession s;
    if (!PyDict_Check(telemetry)) return s;
    RecordScanner scanner;
    read_pointer(telemetry, scanner, s.pointer);
    read_clicks(telemetry, scanner, s.clicks);
    read_scrolls(telemetry, scanner, s.scrolls);
    read_keys(telemetry, scanner, 0, s.keys);
    return s;
}

}  // namespace velmora::py
