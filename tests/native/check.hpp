// A very small test harness for the plain C++ cores.
//
//   TEST_CASE(name) { CHECK(cond); CHECK_EQ(a, b); CHECK_BITS(x, y); }
//
// Each executable links check_main via `#define CHECK_MAIN` in exactly one file
// (every test file is its own executable, so every file defines it).
// Exit status is non-zero when any check failed; each failure prints file:line.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace check {

struct Registry {
    std::vector<std::pair<const char*, std::function<void()>>> cases;
    int failures = 0;
    const char* kernel = nullptr;  // the variant under test, named in failures
    bool kernels_listed = false;
    static Registry& get() {
        static Registry r;
        return r;
    }
};

struct Registrar {
    Registrar(const char* name, std::function<void()> fn) {
        Registry::get().cases.emplace_back(name, std::move(fn));
    }
};

inline void fail(const char* file, int line, const std::string& what) {
    const char* kernel = Registry::get().kernel;
    std::fprintf(stderr, "%s:%d: FAILED%s%s: %s\n", file, line, kernel ? " with kernel " : "", kernel ? kernel : "",
                 what.c_str());
    ++Registry::get().failures;
}

inline std::uint64_t bits_of(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

inline std::string show(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}
// Every integer type, whichever of them std::int64_t is on this target.
template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
inline std::string show(T v) {
    return std::to_string(v);
}
inline std::string show(bool v) { return v ? "true" : "false"; }
inline std::string show(const std::string& v) { return "\"" + v + "\""; }

// One test body run against every variant of a kernel list (numeric/kernel_list.hpp),
// each failure naming the variant. The first call lists the variants this processor runs.
template <class Kernels, class Body>
void for_each_kernel(const Kernels& kernels, Body&& body) {
    if (!Registry::get().kernels_listed) {
        std::printf("note: variants run on this processor:");
        for (const auto& k : kernels) std::printf(" %s", k.name);
        std::printf("\n");
        Registry::get().kernels_listed = true;
    }
    for (const auto& k : kernels) {
        Registry::get().kernel = k.name;
        body(k.kernel);
        Registry::get().kernel = nullptr;
    }
}

}  // namespace check

#define CHECK_CONCAT2(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT2(a, b)
#define TEST_CASE(name)                                                           \
    static void CHECK_CONCAT(test_fn_, __LINE__)();                               \
    static check::Registrar CHECK_CONCAT(test_reg_, __LINE__)(name,               \
                                                              CHECK_CONCAT(test_fn_, __LINE__)); \
    static void CHECK_CONCAT(test_fn_, __LINE__)()

#define CHECK(cond)                                                               \
    do {                                                                          \
        if (!(cond)) check::fail(__FILE__, __LINE__, #cond);                     \
    } while (0)

#define CHECK_EQ(a, b)                                                            \
    do {                                                                          \
        auto&& check_a_ = (a);                                                    \
        auto&& check_b_ = (b);                                                    \
        if (!(check_a_ == check_b_))                                              \
            check::fail(__FILE__, __LINE__,                                       \
                        std::string(#a " == " #b " (") + check::show(check_a_) + \
                            " vs " + check::show(check_b_) + ")");                \
    } while (0)

// Same IEEE-754 bit pattern (NaN payloads and signed zeros included).
#define CHECK_BITS(a, b)                                                          \
    do {                                                                          \
        double check_a_ = (a), check_b_ = (b);                                    \
        if (check::bits_of(check_a_) != check::bits_of(check_b_))                 \
            check::fail(__FILE__, __LINE__,                                       \
                        std::string(#a " bit-identical to " #b " (") +            \
                            check::show(check_a_) + " vs " + check::show(check_b_) + ")"); \
    } while (0)

#define CHECK_NEAR(a, b, tol)                                                     \
    do {                                                                          \
        double check_a_ = (a), check_b_ = (b);                                    \
        if (!(std::fabs(check_a_ - check_b_) <= (tol)))                           \
            check::fail(__FILE__, __LINE__,                                       \
                        std::string(#a " near " #b " (") + check::show(check_a_) + \
                            " vs " + check::show(check_b_) + ")");                \
    } while (0)

#ifdef CHECK_MAIN
int main(int argc, char** argv) {
    auto& reg = check::Registry::get();
    int run = 0;
    for (auto& [name, fn] : reg.cases) {
        if (argc > 1 && std::strstr(name, argv[1]) == nullptr) continue;
        int before = reg.failures;
        fn();
        ++run;
        std::printf("%s %s\n", reg.failures == before ? "ok  " : "FAIL", name);
    }
    std::printf("%d cases, %d failed checks\n", run, reg.failures);
    return reg.failures == 0 && run > 0 ? 0 : 1;
}
#endif
