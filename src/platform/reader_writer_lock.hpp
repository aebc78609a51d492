// A reader-writer lock on one atomic word and the OS's address waits (see
// address_wait.hpp). Meets the standard SharedMutex interface, so std::unique_lock and
// std::shared_lock hold it. Not fair: it serves whoever finds it free. The process's
// state engine is its one user, and there the interpreter's lock already orders calls.
//
// It exists because the thread libraries beneath std::shared_mutex differ in quality
// between targets (MinGW's rwlock let two writers in at once under load).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/address_wait.hpp"

namespace velmora::platform {

class ReaderWriterLock {
public:
    ReaderWriterLock() = default;
    ReaderWriterLock(const ReaderWriterLock&) = delete;
    ReaderWriterLock& operator=(const ReaderWriterLock&) = delete;

    void lock() {
        std::uint32_t seen = kFree;
        while (!state_.compare_exchange_weak(seen, kWriter, std::memory_order_acquire, std::memory_order_relaxed)) {
            if (seen != kFree) wait_while(seen);
            seen = kFree;
        }
    }

    void unlock() {
        state_.store(kFree, std::memory_order_seq_cst);
        if (waiters_.load(std::memory_order_seq_cst) != 0) address_wake_all(state_);
    }

    void lock_shared() {
        std::uint32_t seen = state_.load(std::memory_order_relaxed);
        for (;;) {
            if (seen < kMaxReaders) {
                if (state_.compare_exchange_weak(seen, seen + 1, std::memory_order_acquire,
                                                 std::memory_order_relaxed))
                    return;
            } else {
                wait_while(seen);
                seen = state_.load(std::memory_order_relaxed);
            }
        }
    }

    void unlock_shared() {
        // The last reader out lets one waiting writer in; the writer's unlock wakes the rest.
        if (state_.fetch_sub(1, std::memory_order_seq_cst) == 1 && waiters_.load(std::memory_order_seq_cst) != 0)
            address_wake_one(state_);
    }

private:
    static constexpr std::uint32_t kFree = 0;
    static constexpr std::uint32_t kWriter = 0xffff'ffff;    // held exclusively
    static constexpr std::uint32_t kMaxReaders = 0xffff'fffe;  // 1 .. this - 1: shared holders

    // The waiter count is raised before the wait looks at the word, and the unlocks change
    // the word before they read the count (all sequentially consistent): either the unlock
    // sees the waiter, or the waiter sees the changed word and does not sleep.
    void wait_while(std::uint32_t seen) {
        waiters_.fetch_add(1, std::memory_order_seq_cst);
        address_wait(state_, seen);
        waiters_.fetch_sub(1, std::memory_order_relaxed);
    }

    std::atomic<std::uint32_t> state_{kFree};
    std::atomic<std::uint32_t> waiters_{0};
};

}  // namespace velmora::platform
