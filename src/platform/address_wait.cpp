#include "platform/address_wait.hpp"

#include "platform/fault.hpp"

#if defined(_WIN32)
#include "platform/windows_headers.hpp"
#elif defined(__linux__)
#include <sys/syscall.h>
#if __has_include(<linux/futex.h>)
#include <linux/futex.h>
#else  // C libraries built without the kernel headers (musl): the values are kernel ABI
#define FUTEX_WAIT_PRIVATE 128
#define FUTEX_WAKE_PRIVATE 129
#endif
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace velmora::platform {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t) &&
                  std::atomic<std::uint32_t>::is_always_lock_free,
              "the OS waits on the atomic's own four bytes");

#if defined(_WIN32)

void address_wait(const std::atomic<std::uint32_t>& word, std::uint32_t expected) {
    // FALSE only on a timeout, and there is none.
    WaitOnAddress(const_cast<std::atomic<std::uint32_t>*>(&word), &expected, sizeof expected, INFINITE);
}
void address_wake_one(std::atomic<std::uint32_t>& word) { WakeByAddressSingle(&word); }
void address_wake_all(std::atomic<std::uint32_t>& word) { WakeByAddressAll(&word); }

#elif defined(__linux__)

namespace {

long futex(const std::atomic<std::uint32_t>& word, int op, std::uint32_t value) {
    return syscall(SYS_futex, &word, op, value, nullptr, nullptr, 0);
}

}  // namespace

void address_wait(const std::atomic<std::uint32_t>& word, std::uint32_t expected) {
    // EAGAIN: the word no longer holds `expected`; EINTR: a signal. Both mean "look again".
    if (futex(word, FUTEX_WAIT_PRIVATE, expected) != 0 && errno != EAGAIN && errno != EINTR)
        platform_fault("futex wait failed");
}
void address_wake_one(std::atomic<std::uint32_t>& word) { futex(word, FUTEX_WAKE_PRIVATE, 1); }
void address_wake_all(std::atomic<std::uint32_t>& word) { futex(word, FUTEX_WAKE_PRIVATE, INT_MAX); }

#else

void address_wait(const std::atomic<std::uint32_t>& word, std::uint32_t expected) {
    word.wait(expected, std::memory_order_relaxed);
}
void address_wake_one(std::atomic<std::uint32_t>& word) { word.notify_one(); }
void address_wake_all(std::atomic<std::uint32_t>& word) { word.notify_all(); }

#endif

}  // namespace velmora::platform
