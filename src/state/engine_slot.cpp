#include "state/engine_slot.hpp"

namespace velmora::state {

EngineSlot& state_engine_slot() {
    static EngineSlot* const STATE_ENGINE = new EngineSlot(system_clocks());
    return *STATE_ENGINE;
}

}  // namespace velmora::state
