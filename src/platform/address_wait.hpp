// Blocking on a 32-bit word until another thread changes it and wakes the waiters:
// futex on Linux, WaitOnAddress on Windows, the standard library's atomic wait elsewhere.
#pragma once

#include <atomic>
#include <cstdint>

namespace velmora::platform {

// Sleeps while `word` holds `expected`. May return spuriously; callers re-check.
void address_wait(const std::atomic<std::uint32_t>& word, std::uint32_t expected);
// Wakes one, or every, thread sleeping in address_wait on `word`.
void address_wake_one(std::atomic<std::uint32_t>& word);
void address_wake_all(std::atomic<std::uint32_t>& word);

}  // namespace velmora::platform
