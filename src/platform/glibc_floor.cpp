// Linked into the extension alone, and only against glibc: lets a build made on a current
// distribution load on glibc 2.28 (the manylinux_2_28 floor of the Linux wheel).
// These symbols would otherwise raise that floor:
//  - the static C++ runtime reads __libc_single_threaded (new in glibc 2.32) to skip atomic
//    reference counts in single-threaded processes. Our own definition, local to the
//    module, says "maybe threaded", so the runtime always takes the atomic path: correct
//    everywhere, as on the older glibcs that lack the flag.
//  - exp, log and log2 got a second symbol version in glibc 2.29 that only drops the SVID
//    error hooks; both versions compute the same values. Every call is routed
//    (-Wl,--wrap=exp,--wrap=log,--wrap=log2) to the first version, which every glibc has.
#include <cmath>

#if defined(__GLIBC__)

extern "C" {

__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;

#if defined(__x86_64__)
__asm__(".symver exp, exp@GLIBC_2.2.5");
__asm__(".symver log, log@GLIBC_2.2.5");
__asm__(".symver log2, log2@GLIBC_2.2.5");
#elif defined(__aarch64__)
__asm__(".symver exp, exp@GLIBC_2.17");
__asm__(".symver log, log@GLIBC_2.17");
__asm__(".symver log2, log2@GLIBC_2.17");
#else
#error "no symbol versions of exp, log and log2 known for this processor"
#endif

__attribute__((visibility("hidden"))) double __wrap_exp(double x) { return exp(x); }
__attribute__((visibility("hidden"))) double __wrap_log(double x) { return log(x); }
__attribute__((visibility("hidden"))) double __wrap_log2(double x) { return log2(x); }

}  // extern "C"

#endif  // __GLIBC__
