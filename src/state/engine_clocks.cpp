#include "state/engine_clocks.hpp"

#include "platform/clock.hpp"

namespace velmora::state {

EngineClocks system_clocks() { return {&platform::monotonic_now_ns, &platform::unix_now_secs}; }

}  // namespace velmora::state
