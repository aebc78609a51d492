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
    {"state_text_argument", keywords_entry<state_text_argument>(), kKeywords,
     "state_text_argument(name, value)\n--\n\n"
     "value's UTF-8 bytes, refused as the state functions refuse their str argument `name`."},
    {"state_u64_argument", keywords_entry<state_u64_argument>(), kKeywords,
     "state_u64_argument(name, value)\n--\n\n"
     "value as an int in [0, 2**64 - 1], refused as the state functions refuse argument `name`."},
    {"state_bans_argument", keywords_entry<state_bans_argument>(), kKeywords,
     "state_bans_argument(bans)\n--\n\n"
     "Every (address, expiry) pair as (UTF-8 bytes, int), refused as hydrate_bans_rs refuses it."},
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
