// velmora_core._native entries for the behaviour features: a telemetry dict is read into a
// BehaviourSession (session_reader_py.hpp; nothing in the content raises), and the values
// come back as a dict, a list, or just the names.
#include <Python.h>

#include <array>

#include "binding/arguments_py.hpp"
#include "behaviour/behaviour_features.hpp"
#include "behaviour/session_reader_py.hpp"
#include "binding/results_py.hpp"
#include "native_module/native_entries.hpp"

namespace velmora::py {

namespace {

using behaviour::kFeatureCount;
using behaviour::kFeatureNames;

// The names as process-wide interned str objects, made on first use.
const std::array<PyObject*, kFeatureCount>& feature_keys() {
    static const std::array<PyObject*, kFeatureCount> keys = [] {
        std::array<PyObject*, kFeatureCount> made{};
        for (std::size_t i = 0; i < kFeatureCount; ++i) made[i] = intern_forever(kFeatureNames[i].data());
        return made;
    }();
    return keys;
}

behaviour::FeatureValues values_of(PyObject* telemetry) {
    return behaviour::compute_behaviour_features(read_behaviour_session(telemetry));
}

}  // namespace

PyObject* behaviour_features(const BoundArguments<1>& arguments) {
    const behaviour::FeatureValues values = values_of(arguments[0].get());
    const auto& keys = feature_keys();
    DictBuilder d;
    for (std::size_t i = 0; i < kFeatureCount; ++i) d.add(keys[i], new_float(values[i]));
    return d.finish();
}

PyObject* behaviour_feature_values(const BoundArguments<1>& arguments) {
    const behaviour::FeatureValues values = values_of(arguments[0].get());
    PyRef list = VELMORA_CREATED(PyList_New(static_cast<Py_ssize_t>(kFeatureCount)));
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), new_float(values[i]).release());
    return list.release();
}

PyObject* behaviour_feature_names(const BoundArguments<0>&) {
    const auto& keys = feature_keys();
    PyRef names = VELMORA_CREATED(PyTuple_New(static_cast<Py_ssize_t>(kFeatureCount)));
    for (std::size_t i = 0; i < kFeatureCount; ++i)
        PyTuple_SetItem(names.get(), static_cast<Py_ssize_t>(i), borrow(keys[i]).release());
    return names.release();
}

}  // namespace velmora::py
