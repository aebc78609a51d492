// velmora_core._native entries for the behaviour features: a telemetry dict is read into a
// BehaviourSession by the rules in behaviour_session.hpp (nothing in the content raises),
// and the values come back as a dict, a list, or just the names.
#include <Python.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "arguments.hpp"
#include "behaviour/behaviour_features.hpp"
#include "lenient_readers.hpp"
#include "native_module/native_entries.hpp"
#include "record_fields_py.hpp"
#include "results.hpp"

namespace velmora::py {

namespace {

using behaviour::BehaviourSession;
using behaviour::kFeatureCount;
using behaviour::kFeatureNames;

// Room reserved before any item is read: a list's length alone must not size an allocation.
constexpr std::size_t kMaxReserved = 4096;

// The names as process-wide interned str objects, made on first use.
const std::array<PyObject*, kFeatureCount>& feature_keys() {
    static const std::array<PyObject*, kFeatureCount> keys = [] {
        std::array<PyObject*, kFeatureCount> made{};
        for (std::size_t i = 0; i < kFeatureCount; ++i) made[i] = intern_forever(kFeatureNames[i].data());
        return made;
    }();
    return keys;
}

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

// Calls `read(item)` for the first `limit` items of the list under `key`. The length is
// taken once: conversions may run client code that changes the list.
template <class Read>
void for_items(PyObject* telemetry, PyObject* key, std::size_t limit, Read read) {
    PyRef list = list_at(telemetry, key);
    if (!list) return;
    const Py_ssize_t length = std::min(PyList_Size(list.get()), static_cast<Py_ssize_t>(limit));
    for (Py_ssize_t i = 0; i < length; ++i) {
        PyRef item = list_get(list.get(), i);
        if (item) read(item.get());
    }
}

template <class T>
void reserve_for(PyObject* telemetry, PyObject* key, std::vector<T>& v) {
    PyRef list = list_at(telemetry, key);
    if (list) v.reserve(std::min(static_cast<std::size_t>(PyList_Size(list.get())), kMaxReserved));
}

// The down and up times of one keystroke record (see behaviour_session.hpp).
void read_key(PyObject* record, RecordScanner& scanner, std::vector<behaviour::KeyTiming>& keys) {
    double down = 0.0, up = 0.0, duration = 0.0;
    bool has_down = false, has_up = false, has_duration = false;
    if (RecordValues v; scanner.scan(record, v)) {
        has_down = (v.get(Field::t, down) && std::isfinite(down)) || (v.get(Field::down, down) && std::isfinite(down)) ||
                   (v.get(Field::time, down) && std::isfinite(down));
        has_up = v.get(Field::up, up);
        has_duration = v.get(Field::duration_ms, duration);
    } else if (PyDict_Check(record)) {
        for (PyObject* key : {VELMORA_KEY("t"), VELMORA_KEY("down"), VELMORA_KEY("time")}) {
            if (float_at(record, key, down) && std::isfinite(down)) {
                has_down = true;
                break;
            }
        }
        has_up = float_at(record, VELMORA_KEY("up"), up);
        has_duration = float_at(record, VELMORA_KEY("duration_ms"), duration);
    }
    if (!has_down) return;
    keys.push_back({down, has_up ? up : (has_duration ? down + duration : NAN)});
}

BehaviourSession read_session(PyObject* telemetry) {
    BehaviourSession s;
    if (!PyDict_Check(telemetry)) return s;
    RecordScanner scanner;
    PyObject* moves = VELMORA_KEY("mouse_movements");
    reserve_for(telemetry, moves, s.pointer);
    for_items(telemetry, moves, behaviour::kMaxPointer, [&](PyObject* item) {
        behaviour::PointerSample p;
        if (read_xyt(item, scanner, p.x, p.y, p.t)) s.pointer.push_back(p);
    });
    for_items(telemetry, VELMORA_KEY("clicks"), behaviour::kMaxClicks, [&](PyObject* item) {
        behaviour::Click c;
        if (read_xyt(item, scanner, c.x, c.y, c.t)) s.clicks.push_back(c);
    });
    for_items(telemetry, VELMORA_KEY("scrolls"), behaviour::kMaxScrolls, [&](PyObject* item) {
        double t = 0.0;
        bool has_t = false;
        if (RecordValues v; scanner.scan(item, v)) has_t = v.get(Field::t, t);
        else if (PyDict_Check(item)) has_t = float_at(item, VELMORA_KEY("t"), t);
        if (has_t && std::isfinite(t)) s.scrolls.push_back(t);
    });
    PyObject* keystrokes = VELMORA_KEY("keystrokes");
    reserve_for(telemetry, keystrokes, s.keys);
    for_items(telemetry, keystrokes, behaviour::kMaxKeys,
              [&](PyObject* item) { read_key(item, scanner, s.keys); });
    return s;
}

behaviour::FeatureValues values_of(PyObject* telemetry) {
    return behaviour::compute_behaviour_features(read_session(telemetry));
}

}  // namespace

PyObject* behaviour_features(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"behaviour_features", {"telemetry"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    const behaviour::FeatureValues values = values_of(slots[0]);
    const auto& keys = feature_keys();
    DictBuilder d;
    for (std::size_t i = 0; i < kFeatureCount; ++i) d.add(keys[i], new_float(values[i]));
    return d.finish();
}

PyObject* behaviour_feature_values(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"behaviour_feature_values", {"telemetry"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    const behaviour::FeatureValues values = values_of(slots[0]);
    PyRef list = VELMORA_CREATED(PyList_New(static_cast<Py_ssize_t>(kFeatureCount)));
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), new_float(values[i]).release());
    return list.release();
}

PyObject* behaviour_feature_names(PyObject*, PyObject*) {
    const auto& keys = feature_keys();
    PyRef names = VELMORA_CREATED(PyTuple_New(static_cast<Py_ssize_t>(kFeatureCount)));
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        PyTuple_SetItem(names.get(), static_cast<Py_ssize_t>(i), borrow(keys[i]).release());
    return names.release();
}

}  // namespace velmora::py
