// evaluate_keystroke_dynamics_rs.
#include <vector>

#include "arguments.hpp"
#include "entry_points.hpp"
#include "keystrokes/analysis.hpp"
#include "keystrokes/keystroke_parser_py.hpp"
#include "results.hpp"

namespace velmora::py {

PyObject* evaluate_keystroke_dynamics_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"evaluate_keystroke_dynamics_rs", {"keystrokes"}};
    BoundArguments<1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;

    const std::vector<keystrokes::KeystrokeEvent> events = parse_keystroke_list(slots[0].get());
    const keystrokes::KeystrokeReport report = keystrokes::analyze_keystrokes(events);

    return DictBuilder()
        .add(VELMORA_KEY("key_count"), new_u64(report.key_count))
        .add(VELMORA_KEY("avg_dwell_time"), new_float(report.avg_dwell_time))
        .add(VELMORA_KEY("dwell_time_var"), new_float(report.dwell_time_var))
        .add(VELMORA_KEY("avg_flight_time"), new_float(report.avg_flight_time))
        .add(VELMORA_KEY("flight_time_var"), new_float(report.flight_time_var))
        .add(VELMORA_KEY("digraph_entropy"), new_float(report.digraph_entropy))
        .add(VELMORA_KEY("keystroke_score"), new_float(report.keystroke_score))
        .finish();
}

}  // namespace velmora::py
