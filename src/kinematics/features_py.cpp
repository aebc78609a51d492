// extract_features_rs.
#include "arguments.hpp"
#include "entry_points.hpp"
#include "not_implemented.hpp"

namespace velmora::py {

PyObject* extract_features_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"extract_features_rs", {"telemetry"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    return not_implemented(signature.function);
}

}  // namespace velmora::py
