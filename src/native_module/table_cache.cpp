#include "native_module/table_cache.hpp"

#include <memory>

namespace velmora::native_module {

namespace {

struct Tables {
    std::size_t budget = features::kTwiddleCacheBudget;
    std::unique_ptr<features::TwiddleCache> cache = std::make_unique<features::TwiddleCache>(budget);
};

// Never destroyed: a call may still run while the interpreter shuts down.
Tables& tables() {
    static auto* const made = new Tables();
    return *made;
}

}  // namespace

features::TwiddleCache& table_cache() { return *tables().cache; }

std::size_t table_budget() { return tables().budget; }

void set_table_budget(std::size_t budget) {
    Tables& t = tables();
    if (budget == t.budget) return;
    t.cache = std::make_unique<features::TwiddleCache>(budget);
    t.budget = budget;
}

}  // namespace velmora::native_module
