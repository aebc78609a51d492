// evaluate_keystroke_dynamics_rs.
#include "arguments.hpp"
#include "entry_points.hpp"
#include "not_implemented.hpp"

namespace velmora::py {

PyObject* evaluate_keystroke_dynamics_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"evaluate_keystroke_dynamics_rs", {"keystrokes"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    return not_implemented(signature.function);
}

}  // namespace velmora::py
