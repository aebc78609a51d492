// The registry of velmora_core_rs: its thirteen functions in the order of `__all__`, each
// with its parameters (every one required, positional or keyword) and an empty doc (the
// interpreter turns a bare text signature into `__text_signature__` and a `__doc__` of None).
// Each is implemented in its subsystem's *_py.cpp; module_py.cpp builds the table.
#pragma once

#include "binding/function_registry_py.hpp"

#define VELMORA_CORE_FUNCTIONS(X)                                 \
    X(is_rust_core_active, "", "")                                \
    X(get_core_version, "", "")                                   \
    X(extract_features_rs, "telemetry", "")                       \
    X(evaluate_curvature_naturalness_rs, "x, y, t", "")           \
    X(evaluate_curvature_zerocopy_rs, "x_obj, y_obj, t_obj", "")  \
    X(evaluate_keystroke_dynamics_rs, "keystrokes", "")           \
    X(consume_nonce_rs, "nonce", "")                              \
    X(is_ip_banned_rs, "ip", "")                                  \
    X(ban_ip_rs, "ip, duration_sec", "")                          \
    X(unban_ip_rs, "ip", "")                                      \
    X(hydrate_bans_rs, "bans", "")                                \
    X(clear_state_engine_rs, "", "")                              \
    X(get_state_engine_stats_rs, "", "")

namespace velmora::py {
VELMORA_CORE_FUNCTIONS(VELMORA_DECLARE_FUNCTION)
}  // namespace velmora::py
