#include "binding/record_fields_py.hpp"

#include <string_view>

#include "binding/results_py.hpp"

namespace velmora::py {

namespace {

constexpr std::string_view kFieldNames[kFieldCount] = {"x",  "y",  "t",           "r",   "f",   "down",
                                                       "time", "up", "duration_ms", "key", "type"};

// The interned key objects: records built from literals in Python code use these very
// objects, so most keys are recognised by address alone.
const std::array<PyObject*, kFieldCount>& interned_names() {
    static const std::array<PyObject*, kFieldCount> names = {
        VELMORA_KEY("x"),  VELMORA_KEY("y"),  VELMORA_KEY("t"),           VELMORA_KEY("r"),
        VELMORA_KEY("f"),  VELMORA_KEY("down"), VELMORA_KEY("time"),      VELMORA_KEY("up"),
        VELMORA_KEY("duration_ms"), VELMORA_KEY("key"), VELMORA_KEY("type")};
    return names;
}

}  // namespace

PyObject* field_key(Field field) { return interned_names()[static_cast<std::size_t>(field)]; }

RecordScanner::~RecordScanner() {
    for (Slot(&set)[2] : memo_) {
        Py_XDECREF(set[0].key);
        Py_XDECREF(set[1].key);
    }
}

std::int8_t RecordScanner::classify(PyObject* key) {
    if (!PyUnicode_CheckExact(key)) return kNotPlainKey;

    std::int8_t field = kUnknownKey;
    const auto& names = interned_names();
    for (std::size_t i = 0; i < kFieldCount && field == kUnknownKey; ++i)
        if (names[i] == key) field = static_cast<std::int8_t>(i);
    // Equal text in another object. A str that has no UTF-8 form (lone surrogates)
    // compares unequal, as it does in a dict lookup with these ASCII names.
    for (std::size_t i = 0; i < kFieldCount && field == kUnknownKey; ++i) {
        const std::string_view name = kFieldNames[i];
        if (PyUnicode_EqualToUTF8AndSize(key, name.data(), static_cast<Py_ssize_t>(name.size())) == 1)
            field = static_cast<std::int8_t>(i);
    }

    // The newcomer takes the first way, the first way's key the second.
    Slot* set = memo_[set_of(key)];
    Py_INCREF(key);
    Py_XDECREF(set[1].key);
    set[1] = set[0];
    set[0] = Slot{key, field};
    return field;
}

bool RecordScanner::scan(PyObject* record, RecordValues& values) {
    if (!PyDict_CheckExact(record)) return false;
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    // Each value is converted as soon as it is seen, so no borrowed value is held across
    // a later step of the pass.
    while (PyDict_Next(record, &pos, &key, &value)) {
        const std::int8_t field = field_of(key);
        if (field == kUnknownKey) continue;
        if (field == kNotPlainKey) return false;
        const auto index = static_cast<std::size_t>(field);
        if (index < kNumericFields) {
            double number = 0.0;
            if (PyFloat_CheckExact(value)) {
                number = PyFloat_AsDouble(value);
            } else if (PyLong_CheckExact(value)) {
                // What float() of an int does; an int too large for a double is unreadable.
                number = PyLong_AsDouble(value);
                if (number == -1.0 && PyErr_Occurred() != nullptr) {
                    PyErr_Clear();
                    continue;
                }
            } else {
                return false;
            }
            values.number[index] = number;
            values.numbers_present = static_cast<std::uint16_t>(values.numbers_present | (1u << index));
        } else {
            // Text is read only from a str; a str subclass could run code, anything else is
            // simply not text.
            if (PyUnicode_Check(value) && !PyUnicode_CheckExact(value)) return false;
            values.text[index - kNumericFields] = borrow(value);
        }
    }
    return true;
}

}  // namespace velmora::py
