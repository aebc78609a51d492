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
    {"features_json", keywords_entry<features_json>(), kKeywords,
     "features_json(data)\n--\n\nThe feature dict of one JSON telemetry document, or None when only json.loads can "
     "decide its content."},
    {"session_json", keywords_entry<session_json>(), kKeywords,
     "session_json(data, member, keep)\n--\n\n(kind of the document, kind of the telemetry (the document or its "
     "member), the telemetry's feature dict if it is an object or None, the kept top-level values), or None when "
     "only json.loads can decide the document's content."},
    {"behaviour_values_json", keywords_entry<behaviour_values_json>(), kKeywords,
     "behaviour_values_json(data)\n--\n\nThe behaviour feature values of one JSON telemetry document, in the "
     "order of behaviour_feature_names(), or None when only json.loads can decide its content."},
    {"set_table_budget", keywords_entry<set_table_budget>(), kKeywords,
     "set_table_budget(budget)\n--\n\nBytes this module's spectrum tables may take (the cache starts afresh)."},
    {"table_stats", noargs_entry<table_stats>(), METH_NOARGS,
     "table_stats()\n--\n\nBudget and use of this module's spectrum tables."},
    {"behaviour_features", keywords_entry<behaviour_features>(), kKeywords,
     "behaviour_features(telemetry)\n--\n\nThe behaviour features of a telemetry dict, by name."},
    {"behaviour_feature_values", keywords_entry<behaviour_feature_values>(), kKeywords,
     "behaviour_feature_values(telemetry)\n--\n\nThe behaviour feature values, in the order of "
     "behaviour_feature_names()."},
    {"behaviour_feature_names", noargs_entry<behaviour_feature_names>(), METH_NOARGS,
     "behaviour_feature_names()\n--\n\nThe behaviour feature names, in their fixed order."},
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
