// The hash tables of the state engine: strings keyed by their exact bytes,
// hashed with a per-table secret key, looked up by string_view without copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "state/siphash.hpp"
#include "platform/random.hpp"

namespace velmora::state {

// Transparent, so find() takes a string_view and allocates nothing.
//
// Deliberately not noexcept: libstdc++ then stores each element's hash in its node,
// so walking a bucket chain or rehashing never re-hashes the stored strings.
struct KeyedStringHash {
    using is_transparent = void;
    platform::HashKey key;

    std::size_t operator()(std::string_view s) const { return static_cast<std::size_t>(siphash13(key, s)); }
};

using NonceSet = std::unordered_set<std::string, KeyedStringHash, std::equal_to<>>;
using BanMap = std::unordered_map<std::string, std::uint64_t, KeyedStringHash, std::equal_to<>>;

inline constexpr std::size_t kNonceBucketReservation = 14'336;
inline constexpr std::size_t kBanTableReservation = 1'792;

// Empty tables with their reserved room and fresh keys from the OS random source.
NonceSet make_nonce_set();
BanMap make_ban_map();

}  // namespace velmora::state
