// The slot that holds the process's one StateEngine, and the only two ways in.
//
// The engine is created lazily, by the first operation that enters either path,
// under the exclusive lock. Operations run while the lock is held, so they must
// not call into the Python interpreter: callers convert arguments before and build
// results after.
#pragma once

#include <mutex>
#include <optional>
#include <shared_mutex>
#include <type_traits>
#include <utility>

#include "state/engine_clocks.hpp"
#include "state/state_engine.hpp"
#include "platform/reader_writer_lock.hpp"

namespace velmora::state {

class EngineSlot {
public:
    explicit EngineSlot(EngineClocks clocks) : clocks_(std::move(clocks)) {}
    EngineSlot(const EngineSlot&) = delete;
    EngineSlot& operator=(const EngineSlot&) = delete;

    // Runs op(StateEngine&) under the exclusive lock, creating the engine first if needed.
    template <class Op>
    std::invoke_result_t<Op&, StateEngine&> with_engine_write(Op&& op) {
        std::unique_lock exclusive(lock_);
        if (!engine_) engine_.emplace(clocks_);
        return op(*engine_);
    }

    // Runs op(const StateEngine&) under the shared lock. With no engine yet, the shared
    // lock is dropped and op goes through the write path, which looks at the slot again
    // after acquiring exclusively, so an engine created meanwhile is used, not replaced.
    template <class Op>
    std::invoke_result_t<Op&, const StateEngine&> with_engine_read(Op&& op) {
        {
            std::shared_lock shared(lock_);
            if (engine_) return op(std::as_const(*engine_));
        }
        return with_engine_write([&op](StateEngine& engine) { return op(std::as_const(engine)); });
    }

    // The clocks the engine is (or will be) created with. Reading them takes no lock,
    // for the operations that read the wall clock before entering.
    const EngineClocks& clocks() const { return clocks_; }

    bool has_engine() {
        std::shared_lock shared(lock_);
        return engine_.has_value();
    }

private:
    const EngineClocks clocks_;
    platform::ReaderWriterLock lock_;
    std::optional<StateEngine> engine_;
};

// STATE_ENGINE, the process-wide slot on the host's clocks. Never destroyed: a call
// can still arrive from another thread while the process is exiting.
EngineSlot& state_engine_slot();

}  // namespace velmora::state
