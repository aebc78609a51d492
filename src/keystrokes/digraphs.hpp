// Press-to-press latencies grouped by digraph (two lower-cased one-byte keys).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velmora::keystrokes {

// Letter pairs frequent in the languages the clients type; typing them faster
// than other pairs is what practised human typists do.
inline constexpr std::array<std::string_view, 39> COMMON_DIGRAPHS = {
    "th", "er", "on", "an", "re", "he", "in", "ed", "nd", "ha", "at", "en", "es",
    "of", "or", "nt", "ea", "ti", "to", "it", "st", "io", "le", "is", "ou", "ar",
    "as", "de", "rt", "ve", "la", "ik", "ak", "el", "al", "ma", "me", "ba", "ka",
};

bool is_common_digraph(char first, char second);

struct DigraphGroup {
    char first = 0;
    char second = 0;
    double latency_sum = 0.0;  // left to right in order of acceptance
    std::uint64_t count = 0;

    double mean_latency() const { return latency_sum / static_cast<double>(count); }
};

// The groups in the order in which each digraph first occurred. A fixed order
// matters: the group means are summed in it, and a hash order that changed from
// run to run could round the sums differently and move a score across a threshold.
class DigraphGroups {
public:
    // `expected_pairs` only sizes the lookup table; more pairs are still accepted.
    explicit DigraphGroups(std::size_t expected_pairs);

    void add(char first, char second, double latency);
    std::span<const DigraphGroup> in_first_seen_order() const { return groups_; }

private:
    void grow();
    std::size_t slot_of(std::uint16_t digraph) const;

    std::vector<DigraphGroup> groups_;
    std::vector<std::uint32_t> slots_;  // open addressing: group index + 1, 0 = empty
    unsigned slot_bits_ = 0;
};

// Mean over common-digraph groups and mean over the other groups, each group
// counting once; absent unless both kinds occur.
struct DigraphSpeeds {
    double common_mean = 0.0;
    double other_mean = 0.0;
};
std::optional<DigraphSpeeds> digraph_speeds(std::span<const DigraphGroup> groups);

}  // namespace velmora::keystrokes
