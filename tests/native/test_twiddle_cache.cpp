// The twiddle-table cache: its memory budget, which tables it keeps, and spectra that stay
// bit-identical whether a length is cached, dropped and rebuilt, or served without a table.
#define CHECK_MAIN
#include "check.hpp"

#include <cmath>
#include <random>
#include <span>
#include <vector>

#include "features/spectrum.hpp"
#include "features/twiddle_table.hpp"

using namespace velmora::features;

namespace {

std::vector<double> signal(std::size_t o) {
    std::vector<double> c(o);
    for (std::size_t k = 0; k < o; ++k) c[k] = std::sin(0.37 * static_cast<double>(k * k % 101)) * 40.0;
    return c;
}

// Spectrum of length o through `cache`, compared bit for bit with the literal transform.
bool same_as_literal(TwiddleCache& cache, std::size_t o) {
    const std::vector<double> c = signal(o);
    std::vector<double> fast(o / 2), literal(o / 2);
    power_spectrum_with(fastest_spectrum_kernel(), cache, c, fast);
    power_spectrum_reference(c, literal);
    for (std::size_t j = 0; j < fast.size(); ++j)
        if (check::bits_of(fast[j]) != check::bits_of(literal[j])) return false;
    return true;
}

}  // namespace

TEST_CASE("a skewed stream of lengths stays within the budget and every spectrum is exact") {
    // Room for about four tables of the longest tracks.
    const std::size_t budget = 4 * twiddle_table_bytes(299);
    TwiddleCache cache(budget);
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<std::size_t> any_length(8, 299);
    std::bernoulli_distribution common(0.6);
    int inexact = 0, over_budget = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::size_t o = common(rng) ? 299 : any_length(rng);
        if (!same_as_literal(cache, o)) ++inexact;
        if (cache.stats().bytes > budget) ++over_budget;
    }
    CHECK_EQ(inexact, 0);
    CHECK_EQ(over_budget, 0);
    const TwiddleCacheStats s = cache.stats();
    CHECK(s.builds > s.tables);  // tables were dropped, and their lengths came back
    CHECK(s.not_cached > 0);
    // The common length earned its place and keeps it.
    const std::uint64_t builds = s.builds;
    CHECK(cache.table(299) != nullptr);
    CHECK_EQ(cache.stats().builds, builds);
}

TEST_CASE("a length that keeps coming back displaces less used ones; equally used ones do not churn") {
    const std::size_t budget = twiddle_table_bytes(101) + twiddle_table_bytes(102);  // 100 is the smallest
    TwiddleCache cache(budget);
    CHECK(cache.table(100) != nullptr);
    CHECK(cache.table(101) != nullptr);
    CHECK(cache.table(102) == nullptr);  // used once, like the two cached ones: not admitted
    CHECK(cache.table(102) != nullptr);  // used twice: drops the least recently used of the two
    CHECK_EQ(cache.stats().tables, std::size_t{2});
    CHECK(cache.table(101) != nullptr);  // still cached
    CHECK_EQ(cache.stats().builds, std::uint64_t{3});
    CHECK(same_as_literal(cache, 100));  // dropped: served without a table, still exact
    CHECK(cache.stats().bytes <= budget);
}

TEST_CASE("the process-wide cache holds at most its budget after every possible length") {
    static_assert(kTwiddleCacheBudget <= std::size_t{16} << 20);
    int inexact = 0;
    for (std::size_t o = kMinSpectralSamples; o < kMaxSeriesLength; ++o) {
        const std::vector<double> c = signal(o);
        std::vector<double> fast(o / 2), literal(o / 2);
        power_spectrum(c, fast);
        power_spectrum_reference(c, literal);
        for (std::size_t j = 0; j < fast.size(); ++j) inexact += check::bits_of(fast[j]) != check::bits_of(literal[j]);
        CHECK(twiddle_cache().stats().bytes <= kTwiddleCacheBudget);
    }
    CHECK_EQ(inexact, 0);
    CHECK(twiddle_cache().stats().not_cached > 0);
}
