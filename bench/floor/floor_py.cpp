// The floor: what any extractor of this record must pay at least. It reads every field
// that extract_features_rs reads, through the same C API calls (interned keys, direct
// dict lookups, items by index, float/int conversions, UTF-8 of the key text), folds the
// values into running sums instead of analysing them, and builds a 39-entry dict.
#include <Python.h>

#include <array>
#include <cstdint>

#include "features/feature_table.hpp"

PyObject* stage_times(PyObject* self, PyObject* args);
PyObject* series_length(PyObject* self, PyObject* telemetry);
PyObject* spectrum_stream(PyObject* self, PyObject* args);

namespace {

using velmora::features::FeatureId;
using velmora::features::FeatureType;
using velmora::features::kFeatureCount;
using velmora::features::kFeatureTable;

constexpr std::size_t at(FeatureId id) { return static_cast<std::size_t>(id); }

PyObject* key(const char* text) { return PyUnicode_InternFromString(text); }

struct Keys {
    PyObject *browser, *clicks, *scrolls, *keystrokes, *mouse_movements;
    PyObject *webdriver, *screen_width, *screen_height, *touch_supported, *max_touch_points, *plugins_length;
    PyObject *t, *down, *time, *key_, *up, *duration_ms;
    PyObject *x, *y, *r, *f;
    std::array<PyObject*, kFeatureCount> record;
};
Keys* keys = nullptr;

double get_float(PyObject* dict, PyObject* k) {
    PyObject* v = nullptr;
    const int found = PyDict_GetItemRef(dict, k, &v);
    if (found < 0) PyErr_Clear();
    if (found <= 0) return 0.0;
    double d = PyFloat_AsDouble(v);
    Py_DECREF(v);
    if (d == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return 0.0;
    }
    return d;
}

long long get_int(PyObject* dict, PyObject* k) {
    PyObject* v = nullptr;
    const int found = PyDict_GetItemRef(dict, k, &v);
    if (found < 0) PyErr_Clear();
    if (found <= 0) return 0;
    long long i = PyLong_AsLongLong(v);
    Py_DECREF(v);
    if (i == -1 && PyErr_Occurred()) PyErr_Clear();
    return i;
}

bool get_bool(PyObject* dict, PyObject* k) {
    PyObject* v = nullptr;
    const int found = PyDict_GetItemRef(dict, k, &v);
    if (found < 0) PyErr_Clear();
    if (found <= 0) return false;
    bool b = v == Py_True;
    Py_DECREF(v);
    return b;
}

PyObject* get_list(PyObject* dict, PyObject* k) {
    PyObject* v = nullptr;
    const int found = PyDict_GetItemRef(dict, k, &v);
    if (found < 0) PyErr_Clear();
    if (found <= 0) return nullptr;
    if (!PyList_Check(v)) {
        Py_DECREF(v);
        return nullptr;
    }
    return v;
}

PyObject* floor_features(PyObject*, PyObject* telemetry) {
    double sums[kFeatureCount] = {};
    if (PyDict_Check(telemetry)) {
        PyObject* browser = nullptr;
        if (PyDict_GetItemRef(telemetry, keys->browser, &browser) > 0 && PyDict_Check(browser)) {
            sums[at(FeatureId::webdriver)] = get_bool(browser, keys->webdriver);
            sums[at(FeatureId::screen_width)] = get_float(browser, keys->screen_width);
            sums[at(FeatureId::screen_valid)] = get_float(browser, keys->screen_height);
            sums[at(FeatureId::touch_supported)] = get_bool(browser, keys->touch_supported);
            sums[at(FeatureId::max_touch_points)] = static_cast<double>(get_int(browser, keys->max_touch_points));
            sums[at(FeatureId::plugins_length)] = static_cast<double>(get_int(browser, keys->plugins_length));
        }
        Py_XDECREF(browser);
        for (int which = 0; which < 2; ++which) {
            if (PyObject* l = get_list(telemetry, which == 0 ? keys->clicks : keys->scrolls)) {
                sums[at(which == 0 ? FeatureId::click_count : FeatureId::scroll_count)] = static_cast<double>(PyList_Size(l));
                Py_DECREF(l);
            }
        }
        if (PyObject* l = get_list(telemetry, keys->keystrokes)) {
            Py_ssize_t n = PyList_Size(l);
            if (n > 150) n = 150;
            for (Py_ssize_t i = 0; i < n; ++i) {
                PyObject* item = PyList_GetItemRef(l, i);
                if (item == nullptr) {
                    PyErr_Clear();
                    continue;
                }
                if (PyDict_Check(item)) {
                    sums[at(FeatureId::key_count)] += 1;
                    const double down = get_float(item, keys->t);
                    sums[at(FeatureId::avg_dwell_time)] += down;
                    PyObject* k = nullptr;
                    if (PyDict_GetItemRef(item, keys->key_, &k) > 0 && PyUnicode_Check(k)) {
                        Py_ssize_t size = 0;
                        if (PyUnicode_AsUTF8AndSize(k, &size) == nullptr) PyErr_Clear();
                        sums[at(FeatureId::keystroke_score)] += static_cast<double>(size);
                    }
                    Py_XDECREF(k);
                    sums[at(FeatureId::dwell_time_var)] += get_float(item, keys->up) + get_float(item, keys->duration_ms);
                }
                Py_DECREF(item);
            }
            Py_DECREF(l);
        }
        if (PyObject* l = get_list(telemetry, keys->mouse_movements)) {
            const Py_ssize_t n = PyList_Size(l);
            for (Py_ssize_t i = 0; i < n; ++i) {
                PyObject* item = PyList_GetItemRef(l, i);
                if (item == nullptr) {
                    PyErr_Clear();
                    continue;
                }
                if (PyDict_Check(item)) {
                    sums[at(FeatureId::mouse_points)] += 1;
                    sums[at(FeatureId::total_distance)] += get_float(item, keys->x);
                    sums[at(FeatureId::straightness)] += get_float(item, keys->y);
                    sums[at(FeatureId::avg_velocity)] += get_float(item, keys->t);
                    sums[at(FeatureId::avg_touch_radius)] += get_float(item, keys->r);
                    sums[at(FeatureId::avg_touch_force)] += get_float(item, keys->f);
                }
                Py_DECREF(item);
            }
            Py_DECREF(l);
        }
    }
    PyObject* dict = PyDict_New();
    if (dict == nullptr) return nullptr;
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
        PyObject* value;
        switch (kFeatureTable[i].type) {
            case FeatureType::flag:
                value = Py_NewRef(sums[i] != 0.0 ? Py_True : Py_False);
                break;
            case FeatureType::count:
                value = PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(sums[i]));
                break;
            case FeatureType::integer:
                value = PyLong_FromLongLong(static_cast<long long>(sums[i]));
                break;
            default:
                value = PyFloat_FromDouble(sums[i]);
        }
        if (value == nullptr || PyDict_SetItem(dict, keys->record[i], value) < 0) {
            Py_XDECREF(value);
            Py_DECREF(dict);
            return nullptr;
        }
        Py_DECREF(value);
    }
    return dict;
}

PyMethodDef methods[] = {
    {"floor_features", floor_features, METH_O, "floor_features(telemetry)\n--\n\n"},
    {"stage_times", stage_times, METH_VARARGS, "stage_times(telemetry, repeats)\n--\n\n"},
    {"series_length", series_length, METH_O, "series_length(telemetry)\n--\n\n"},
    {"spectrum_stream", spectrum_stream, METH_VARARGS, "spectrum_stream(warm_up, lengths, budget)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef module = {PyModuleDef_HEAD_INIT, "velmora_bench", "", -1, methods,
                      nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_velmora_bench() {
    static Keys k{key("browser"), key("clicks"), key("scrolls"), key("keystrokes"), key("mouse_movements"),
                  key("webdriver"), key("screen_width"), key("screen_height"), key("touch_supported"),
                  key("max_touch_points"), key("plugins_length"), key("t"), key("down"), key("time"),
                  key("key"), key("up"), key("duration_ms"), key("x"), key("y"), key("r"), key("f"), {}};
    for (std::size_t i = 0; i < kFeatureCount; ++i) k.record[i] = key(kFeatureTable[i].name);
    keys = &k;
    return PyModule_Create(&module);
}
