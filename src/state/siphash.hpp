// SipHash (Aumasson & Bernstein), a keyed hash for the state engine's tables.
//
// The tables hold strings chosen by clients (nonces, addresses). With an unkeyed
// hash an attacker can precompute strings that all land in one bucket and turn
// every lookup into a linear scan; with a secret per-table key they cannot.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/random.hpp"

namespace velmora::state {

namespace sip_detail {

inline std::uint64_t load_le64(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
        return v;
    }
}

struct State {
    std::uint64_t v0, v1, v2, v3;

    void round() {
        v0 += v1;
        v1 = std::rotl(v1, 13);
        v1 ^= v0;
        v0 = std::rotl(v0, 32);
        v2 += v3;
        v3 = std::rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = std::rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = std::rotl(v1, 17);
        v1 ^= v2;
        v2 = std::rotl(v2, 32);
    }
};

}  // namespace sip_detail

// SipHash-c-d of `data` under the 128-bit key (k0 = key bytes 0..7, k1 = 8..15,
// both little-endian), returning the 64-bit tag.
template <int CompressionRounds, int FinalizationRounds>
std::uint64_t siphash(platform::HashKey key, std::string_view data) {
    sip_detail::State s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL,
                        key.k0 ^ 0x6c7967656e657261ULL, key.k1 ^ 0x7465646279746573ULL};
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t size = data.size();
    const std::size_t whole = size & ~std::size_t{7};

    auto absorb = [&s](std::uint64_t m) {
        s.v3 ^= m;
        for (int i = 0; i < CompressionRounds; ++i) s.round();
        s.v0 ^= m;
    };
    for (std::size_t i = 0; i < whole; i += 8) absorb(sip_detail::load_le64(p + i));

    // Last block: the 0..7 trailing bytes, with the length (mod 256) in the top byte.
    std::uint64_t last = static_cast<std::uint64_t>(size) << 56;
    for (std::size_t i = whole; i < size; ++i) last |= static_cast<std::uint64_t>(p[i]) << (8 * (i - whole));
    absorb(last);

    s.v2 ^= 0xff;
    for (int i = 0; i < FinalizationRounds; ++i) s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

// SipHash-1-3: the table variant (fewer rounds than the MAC variant 2-4, still
// keyed, which is what defeats precomputed collisions).
inline std::uint64_t siphash13(platform::HashKey key, std::string_view data) { return siphash<1, 3>(key, data); }
inline std::uint64_t siphash24(platform::HashKey key, std::string_view data) { return siphash<2, 4>(key, data); }

}  // namespace velmora::state
