// Strings that all share one std::hash<std::string> value under libstdc++.
//
// libstdc++ hashes strings with a MurmurHash64A-style function and a fixed seed,
// so anyone can precompute colliding inputs. Every step is invertible: for a
// 24-byte string, pick the first two 8-byte blocks freely and solve for the
// third so that the full 64-bit hash equals a chosen target. The solved block is
// kept when all its bytes are 7-bit ASCII (1 try in 256), so the strings are
// valid UTF-8 and usable as Python str nonces.
//
// Used by the hash-flooding benchmark and by the native tests (which check that
// these strings really collide under std::hash and are still told apart by the
// engine's keyed tables).
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace murmur_collisions {

inline constexpr std::uint64_t kMul = (std::uint64_t{0xc6a4a793} << 32) + 0x5bd1e995;
inline constexpr std::uint64_t kStringSeed = 0xc70f6907;  // the seed std::hash<std::string> uses
inline constexpr std::size_t kLength = 24;

constexpr std::uint64_t shift_mix(std::uint64_t v) { return v ^ (v >> 47); }  // its own inverse

// Multiplicative inverse of an odd number modulo 2^64 (Newton's iteration).
constexpr std::uint64_t inverse(std::uint64_t a) {
    std::uint64_t x = a;  // correct to 3 bits for odd a
    for (int i = 0; i < 5; ++i) x *= 2 - a * x;
    return x;
}
inline constexpr std::uint64_t kMulInverse = inverse(kMul);
static_assert(kMul * kMulInverse == 1);

inline std::uint64_t load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr std::uint64_t mix_block(std::uint64_t block) { return shift_mix(block * kMul) * kMul; }
constexpr std::uint64_t unmix_block(std::uint64_t mixed) { return shift_mix(mixed * kMulInverse) * kMulInverse; }

// The model of the hash, for strings whose length is a multiple of 8.
inline std::uint64_t model_hash(const std::string& s) {
    std::uint64_t h = kStringSeed ^ (s.size() * kMul);
    for (std::size_t i = 0; i + 8 <= s.size(); i += 8) {
        h ^= mix_block(load64(s.data() + i));
        h *= kMul;
    }
    return shift_mix(shift_mix(h) * kMul);
}

// Makes 24-byte strings whose full 64-bit hash is `target`.
class Generator {
public:
    Generator(std::uint64_t target, std::uint64_t seed) : rng_(seed) {
        // Undo the finalisation: the state after the three blocks must be this.
        state_after_blocks_ = shift_mix(shift_mix(target) * kMulInverse);
    }

    std::string next() {
        std::string s(kLength, '\0');
        for (;;) {
            for (std::size_t i = 0; i < 16; ++i) s[i] = kAlphabet[rng_() % (sizeof kAlphabet - 1)];
            std::uint64_t h = kStringSeed ^ (kLength * kMul);
            for (std::size_t i = 0; i < 16; i += 8) {
                h ^= mix_block(load64(s.data() + i));
                h *= kMul;
            }
            const std::uint64_t third = unmix_block((state_after_blocks_ * kMulInverse) ^ h);
            if ((third & 0x8080808080808080ULL) != 0) continue;  // not ASCII
            std::memcpy(s.data() + 16, &third, 8);
            return s;
        }
    }

private:
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::mt19937_64 rng_;
    std::uint64_t state_after_blocks_;
};

}  // namespace murmur_collisions
