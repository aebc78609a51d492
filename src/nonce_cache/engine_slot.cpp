#include "nonce_cache/engine_slot.hpp"

namespace velmora::nonce_cache {

EngineSlot& state_engine_slot() {
    static EngineSlot* const STATE_ENGINE = new EngineSlot(system_clocks());
    return *STATE_ENGINE;
}

}  // namespace velmora::nonce_cache
