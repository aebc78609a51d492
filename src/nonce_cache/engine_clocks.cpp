#include "nonce_cache/engine_clocks.hpp"

#include "platform/clock.hpp"

namespace velmora::nonce_cache {

EngineClocks system_clocks() { return {&platform::monotonic_now_ns, &platform::unix_now_secs}; }

}  // namespace velmora::nonce_cache
