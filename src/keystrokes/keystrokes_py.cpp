// evaluate_keystroke_dynamics_rs.
#include <vector>

#include "binding/core_functions_py.hpp"
#include "keystrokes/analysis.hpp"
#include "keystrokes/keystroke_parser_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {

PyObject* evaluate_keystroke_dynamics_rs(const BoundArguments<1>& arguments) {

    const std::vector<keystrokes::KeystrokeEvent> events = parse_keystroke_list(arguments[0].get());
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
