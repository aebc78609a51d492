// The two readiness probes.
#include "binding/core_functions_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {

PyObject* is_rust_core_active(const BoundArguments<0>&) { Py_RETURN_TRUE; }

PyObject* get_core_version(const BoundArguments<0>&) { return new_str(VELMORA_VERSION "-native-rust").release(); }

}  // namespace velmora::py
