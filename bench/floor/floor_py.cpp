// The floor: what any extractor of this record must pay at least. It reads every field
// that extract_features_rs reads, through the same C API calls (interned keys, direct
// dict lookups, items by index, float/int conversions, UTF-8 of the key text), folds the
// values into running sums instead of analysing them, and builds a 39-entry dict.
#include <Python.h>

#include <array>
#include <cstdint>

PyObject* stage_times(PyObject* self, PyObject* args);
PyObject* series_length(PyObject* self, PyObject* telemetry);
PyObject* spectrum_stream(PyObject* self, PyObject* args);

namespace {

PyObject* key(const char* text) { return PyUnicode_InternFromString(text); }

struct Keys {
    PyObject *browser, *clicks, *scrolls, *keystrokes, *mouse_movements;
    PyObject *webdriver, *screen_width, *screen_height, *touch_supported, *max_touch_points, *plugins_length;
    PyObject *t, *down, *time, *key_, *up, *duration_ms;
    PyObject *x, *y, *r, *f;
    std::array<PyObject*, 39> record;
};
Keys* keys = nullptr;

const char* const record_keys[39] = {
    "mouse_points", "total_distance", "straightness", "avg_velocity", "max_velocity", "velocity_var",
    "avg_acceleration", "acceleration_var", "avg_jerk", "dt_var", "click_count", "key_count",
    "key_interval_avg", "key_interval_var", "webdriver", "screen_valid", "scroll_count",
    "terminal_decel_ratio", "plugins_length", "touch_supported", "screen_width", "spectral_purity",
    "spectral_entropy", "submovement_count", "max_touch_points", "avg_touch_radius", "touch_radius_var",
    "avg_touch_force", "touch_event_count", "curvature_score", "mean_curvature", "curvature_var",
    "curvature_rate_var", "avg_dwell_time", "dwell_time_var", "avg_flight_time", "flight_time_var",
    "digraph_entropy", "keystroke_score"};

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
    double sums[39] = {};
    if (PyDict_Check(telemetry)) {
        PyObject* browser = nullptr;
        if (PyDict_GetItemRef(telemetry, keys->browser, &browser) > 0 && PyDict_Check(browser)) {
            sums[14] = get_bool(browser, keys->webdriver);
            sums[20] = get_float(browser, keys->screen_width);
            sums[15] = get_float(browser, keys->screen_height);
            sums[19] = get_bool(browser, keys->touch_supported);
            sums[24] = static_cast<double>(get_int(browser, keys->max_touch_points));
            sums[18] = static_cast<double>(get_int(browser, keys->plugins_length));
        }
        Py_XDECREF(browser);
        for (int which = 0; which < 2; ++which) {
            if (PyObject* l = get_list(telemetry, which == 0 ? keys->clicks : keys->scrolls)) {
                sums[which == 0 ? 10 : 16] = static_cast<double>(PyList_Size(l));
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
                    sums[11] += 1;
                    const double down = get_float(item, keys->t);
                    sums[33] += down;
                    PyObject* k = nullptr;
                    if (PyDict_GetItemRef(item, keys->key_, &k) > 0 && PyUnicode_Check(k)) {
                        Py_ssize_t size = 0;
                        if (PyUnicode_AsUTF8AndSize(k, &size) == nullptr) PyErr_Clear();
                        sums[38] += static_cast<double>(size);
                    }
                    Py_XDECREF(k);
                    sums[34] += get_float(item, keys->up) + get_float(item, keys->duration_ms);
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
                    sums[0] += 1;
                    sums[1] += get_float(item, keys->x);
                    sums[2] += get_float(item, keys->y);
                    sums[3] += get_float(item, keys->t);
                    sums[25] += get_float(item, keys->r);
                    sums[27] += get_float(item, keys->f);
                }
                Py_DECREF(item);
            }
            Py_DECREF(l);
        }
    }
    PyObject* dict = PyDict_New();
    if (dict == nullptr) return nullptr;
    for (int i = 0; i < 39; ++i) {
        PyObject* value;
        if (i == 14 || i == 15 || i == 19)
            value = Py_NewRef(sums[i] != 0.0 ? Py_True : Py_False);
        else if (i == 0 || i == 10 || i == 11 || i == 16 || i == 23 || i == 28)
            value = PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(sums[i]));
        else if (i == 18 || i == 24)
            value = PyLong_FromLongLong(static_cast<long long>(sums[i]));
        else
            value = PyFloat_FromDouble(sums[i]);
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
    for (int i = 0; i < 39; ++i) k.record[i] = key(record_keys[i]);
    keys = &k;
    return PyModule_Create(&module);
}
