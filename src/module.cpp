// Module initialisation: the function table, `__all__`, the owner-interpreter
// claim and the cached module object.
#include <Python.h>

#include <atomic>
#include <cstdint>

#include "entry_points.hpp"
#include "errors.hpp"
#include "results.hpp"

namespace velmora::py {
namespace {

constexpr int kKeywords = METH_VARARGS | METH_KEYWORDS;  // 3
constexpr int kNoArgs = METH_NOARGS;                     // 4

// Registration order is the order of `__all__`. Each doc is a bare text signature,
// which the interpreter turns into `__text_signature__` (and a `__doc__` of None).
PyMethodDef function_table[] = {
    {"is_rust_core_active", noargs_entry<is_rust_core_active>(), kNoArgs, "is_rust_core_active()\n--\n\n"},
    {"get_core_version", noargs_entry<get_core_version>(), kNoArgs, "get_core_version()\n--\n\n"},
    {"extract_features_rs", keywords_entry<extract_features_rs>(), kKeywords,
     "extract_features_rs(telemetry)\n--\n\n"},
    {"evaluate_curvature_naturalness_rs", keywords_entry<evaluate_curvature_naturalness_rs>(), kKeywords,
     "evaluate_curvature_naturalness_rs(x, y, t)\n--\n\n"},
    {"evaluate_curvature_zerocopy_rs", keywords_entry<evaluate_curvature_zerocopy_rs>(), kKeywords,
     "evaluate_curvature_zerocopy_rs(x_obj, y_obj, t_obj)\n--\n\n"},
    {"evaluate_keystroke_dynamics_rs", keywords_entry<evaluate_keystroke_dynamics_rs>(), kKeywords,
     "evaluate_keystroke_dynamics_rs(keystrokes)\n--\n\n"},
    {"consume_nonce_rs", keywords_entry<consume_nonce_rs>(), kKeywords, "consume_nonce_rs(nonce)\n--\n\n"},
    {"is_ip_banned_rs", keywords_entry<is_ip_banned_rs>(), kKeywords, "is_ip_banned_rs(ip)\n--\n\n"},
    {"ban_ip_rs", keywords_entry<ban_ip_rs>(), kKeywords, "ban_ip_rs(ip, duration_sec)\n--\n\n"},
    {"unban_ip_rs", keywords_entry<unban_ip_rs>(), kKeywords, "unban_ip_rs(ip)\n--\n\n"},
    {"hydrate_bans_rs", keywords_entry<hydrate_bans_rs>(), kKeywords, "hydrate_bans_rs(bans)\n--\n\n"},
    {"clear_state_engine_rs", noargs_entry<clear_state_engine_rs>(), kNoArgs, "clear_state_engine_rs()\n--\n\n"},
    {"get_state_engine_stats_rs", noargs_entry<get_state_engine_stats_rs>(), kNoArgs,
     "get_state_engine_stats_rs()\n--\n\n"},
};

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT, "velmora_core_rs", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// The first interpreter to initialise the module owns it for the life of the process.
std::atomic<std::int64_t> owner_interpreter{-1};
// The finished module, kept forever: re-initialisation hands back this same object.
PyObject* module_cell = nullptr;

bool claim_interpreter() {
    const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id == -1) return ensure_error_set();
    std::int64_t expected = -1;
    if (!owner_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError,
                        "velmora_core_rs does not yet support sub-interpreters, see the "
                        "'Limitations' section of the velmora_core_rs README");
        return false;
    }
    return true;
}

// `__all__` as a borrowed list, created empty on first use.
PyObject* module_all_list(PyObject* module) {
    PyRef all = steal(PyObject_GetAttr(module, VELMORA_KEY("__all__")));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
        PyErr_Clear();
        all = VELMORA_CREATED(PyList_New(0));
        if (PyObject_SetAttr(module, VELMORA_KEY("__all__"), all.get()) < 0) return nullptr;
    }
    if (!PyList_Check(all.get())) {
        raise_cannot_convert(all.get(), "PyList");
        return nullptr;
    }
    return all.get();  // the module keeps it alive
}

bool add_function(PyObject* module, PyObject* function) {
    PyRef name = steal(PyObject_GetAttr(function, VELMORA_KEY("__name__")));
    if (!name) return ensure_error_set();
    if (!PyUnicode_Check(name.get())) return raise_cannot_convert(name.get(), "PyString");
    PyObject* all = module_all_list(module);
    if (all == nullptr) return ensure_error_set();
    if (PyList_Append(all, name.get()) < 0) VELMORA_FATAL("could not append __name__ to __all__");
    return PyObject_SetAttr(module, name.get(), function) == 0 || ensure_error_set();
}

bool register_functions(PyObject* module) {
    for (PyMethodDef& record : function_table) {
        PyRef module_name = steal(PyModule_GetNameObject(module));
        if (!module_name) return ensure_error_set();
        PyRef function = steal(PyCMethod_New(&record, module, module_name.get(), nullptr));
        if (!function) return ensure_error_set();
        if (!add_function(module, function.get())) return false;
    }
    return true;
}

PyObject* initialise_module() {
    if (!claim_interpreter()) return nullptr;
    if (module_cell != nullptr) return borrow(module_cell).release();

    PyRef module = steal(PyModule_Create2(&module_definition, 3));
    if (!module) {
        ensure_error_set();
        return nullptr;
    }
    if (!register_functions(module.get())) return nullptr;  // the half-built module is released

    if (module_cell == nullptr) module_cell = module.release();
    return borrow(module_cell).release();
}

}  // namespace
}  // namespace velmora::py

PyMODINIT_FUNC PyInit_velmora_core_rs(void) {
    try {
        return velmora::py::initialise_module();
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception during initialisation");
    }
}
