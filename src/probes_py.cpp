// The two readiness probes.
#include "entry_points.hpp"
#include "results.hpp"

namespace velmora::py {

PyObject* is_rust_core_active(PyObject*, PyObject*) { Py_RETURN_TRUE; }

PyObject* get_core_version(PyObject*, PyObject*) { return new_str(VELMORA_VERSION "-native-rust").release(); }

}  // namespace velmora::py
