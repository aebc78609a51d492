#include "keystrokes/digraphs.hpp"

#include <algorithm>
#include <bit>

namespace velmora::keystrokes {
namespace {

constexpr std::uint16_t digraph_code(char first, char second) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(first) << 8) |
                                      static_cast<unsigned char>(second));
}

}  // namespace

namespace {

// COMMON_DIGRAPHS as a bit per possible digraph code: each group is tested once per
// call, and a scan of the 39 entries per group showed up in profiles.
using DigraphBits = std::array<std::uint64_t, 65536 / 64>;

constexpr DigraphBits common_digraph_bits() {
    DigraphBits bits{};
    for (std::string_view common : COMMON_DIGRAPHS) {
        const std::uint16_t code = digraph_code(common[0], common[1]);
        bits[code / 64] |= std::uint64_t{1} << (code % 64);
    }
    return bits;
}

constexpr DigraphBits kCommonDigraphBits = common_digraph_bits();

}  // namespace

bool is_common_digraph(char first, char second) {
    const std::uint16_t code = digraph_code(first, second);
    return (kCommonDigraphBits[code / 64] >> (code % 64)) & 1u;
}

DigraphGroups::DigraphGroups(std::size_t expected_pairs) {
    // At most half full, so probe runs stay short. Keys lower-case to ASCII bytes, so
    // there are at most 128 * 128 digraphs and 2**15 slots always suffice.
    const std::size_t wanted = std::min<std::size_t>(std::max<std::size_t>(expected_pairs * 2, 16), 1u << 15);
    slot_bits_ = static_cast<unsigned>(std::bit_width(std::bit_ceil(wanted)) - 1);
    slots_.assign(std::size_t{1} << slot_bits_, 0);
}

std::size_t DigraphGroups::slot_of(std::uint16_t digraph) const {
    // Fibonacci hashing: a fixed multiplier, so the layout is the same in every run.
    const std::uint32_t mixed = static_cast<std::uint32_t>(digraph) * 0x9E3779B1u;
    std::size_t slot = mixed >> (32 - slot_bits_);
    const std::size_t mask = slots_.size() - 1;
    while (slots_[slot] != 0) {
        const DigraphGroup& group = groups_[slots_[slot] - 1];
        if (digraph_code(group.first, group.second) == digraph) break;
        slot = (slot + 1) & mask;
    }
    return slot;
}

void DigraphGroups::grow() {
    ++slot_bits_;
    slots_.assign(std::size_t{1} << slot_bits_, 0);
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const DigraphGroup& group = groups_[i];
        slots_[slot_of(digraph_code(group.first, group.second))] = static_cast<std::uint32_t>(i + 1);
    }
}

void DigraphGroups::add(char first, char second, double latency) {
    const std::uint16_t digraph = digraph_code(first, second);
    std::size_t slot = slot_of(digraph);
    if (slots_[slot] == 0) {
        if ((groups_.size() + 1) * 2 > slots_.size()) {
            grow();
            slot = slot_of(digraph);
        }
        groups_.push_back(DigraphGroup{first, second, 0.0, 0});
        slots_[slot] = static_cast<std::uint32_t>(groups_.size());
    }
    DigraphGroup& group = groups_[slots_[slot] - 1];
    group.latency_sum = group.latency_sum + latency;
    ++group.count;
}

std::optional<DigraphSpeeds> digraph_speeds(std::span<const DigraphGroup> groups) {
    double common_sum = 0.0, other_sum = 0.0;
    std::uint64_t common_count = 0, other_count = 0;
    for (const DigraphGroup& group : groups) {
        if (is_common_digraph(group.first, group.second)) {
            common_sum = common_sum + group.mean_latency();
            ++common_count;
        } else {
            other_sum = other_sum + group.mean_latency();
            ++other_count;
        }
    }
    if (common_count == 0 || other_count == 0) return std::nullopt;
    return DigraphSpeeds{common_sum / static_cast<double>(common_count),
                         other_sum / static_cast<double>(other_count)};
}

}  // namespace velmora::keystrokes
