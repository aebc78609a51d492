// velmora_core._native: the native half of our own Python layer (behaviour features,
// JSON ingest, model scoring). It links the same plain cores and binding helpers as
// velmora_core_rs but is a separate module, so velmora_core_rs keeps exactly its own
// function table. Each subsystem's *_py.cpp defines its entries; they are listed here.
#include <Python.h>

#include "entry_points.hpp"
#include "native_module/native_entries.hpp"

namespace velmora::py {
namespace {

constexpr int kKeywords = METH_VARARGS | METH_KEYWORDS;

PyMethodDef native_functions[] = {
    // {"name", keywords_entry<entry>(), kKeywords, "name(arg)\n--\n\nWhat it returns."},
    {"behaviour_features", keywords_entry<behaviour_features>(), kKeywords,
     "behaviour_features(telemetry)\n--\n\nThe behaviour features of a telemetry dict, by name."},
    {"behaviour_feature_values", keywords_entry<behaviour_feature_values>(), kKeywords,
     "behaviour_feature_values(telemetry)\n--\n\nThe behaviour feature values, in the order of "
     "behaviour_feature_names()."},
    {"behaviour_feature_names", noargs_entry<behaviour_feature_names>(), METH_NOARGS,
     "behaviour_feature_names()\n--\n\nThe behaviour feature names, in their fixed order."},
    {"forest_build", keywords_entry<forest_build>(), kKeywords,
     "forest_build(baseline, feature_count, feature, left, right, missing_left, threshold, value, roots)\n--\n\n"
     "A checked tree ensemble (a capsule) from its node columns; ValueError when malformed."},
    {"forest_score", keywords_entry<forest_score>(), kKeywords,
     "forest_score(forest, row)\n--\n\nThe logistic of the ensemble's raw score on row, in [0, 1]."},
    {"forest_explain", keywords_entry<forest_explain>(), kKeywords,
     "forest_explain(forest, row)\n--\n\n(bias, per-feature contributions) to the raw score on row."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef native_definition = {
    PyModuleDef_HEAD_INIT, "velmora_core._native", "Native half of the velmora_core layer.", 0,
    native_functions, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace velmora::py

PyMODINIT_FUNC PyInit__native(void) {
    try {
        return PyModule_Create2(&velmora::py::native_definition, 3);
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception during initialisation");
    }
}
