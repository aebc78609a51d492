// Bench-only helper for bench_state_engine.py (not part of the module).
//
//   hash_flood generate N   writes N distinct 24-byte strings, all with one
//                           std::hash<std::string> value, to stdout (raw, back to back)
//   hash_flood time N       times inserting N such strings, and N random ones, into
//                           an unkeyed std::unordered_set<std::string>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "murmur_collisions.hpp"

namespace {

constexpr std::uint64_t kTarget = 0x5eed5eed5eed5eedULL;

std::vector<std::string> crafted(std::size_t n) {
    murmur_collisions::Generator generator(kTarget, 2024);
    std::unordered_set<std::string> seen;  // distinctness only; sized by count, hashed after the fact
    std::vector<std::string> out;
    const std::hash<std::string> unkeyed;
    while (out.size() < n) {
        std::string s = generator.next();
        if (unkeyed(s) != kTarget) {
            std::fprintf(stderr, "model of std::hash is wrong for this standard library\n");
            std::exit(2);
        }
        // Distinctness by the first 16 free bytes (the last 8 follow from them).
        if (seen.insert(s.substr(0, 16)).second) out.push_back(std::move(s));
    }
    return out;
}

std::vector<std::string> random_strings(std::size_t n) {
    std::mt19937_64 rng(7);
    std::vector<std::string> out(n, std::string(murmur_collisions::kLength, '\0'));
    for (auto& s : out)
        for (auto& c : s) c = static_cast<char>('a' + rng() % 26);
    return out;
}

double seconds_to_insert(const std::vector<std::string>& items) {
    const auto start = std::chrono::steady_clock::now();
    std::unordered_set<std::string> set;
    set.reserve(14336);
    for (const auto& s : items) set.insert(s);
    const auto stop = std::chrono::steady_clock::now();
    if (set.size() != items.size()) std::exit(3);
    return std::chrono::duration<double>(stop - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hash_flood generate|time N\n");
        return 1;
    }
    const std::size_t n = std::strtoull(argv[2], nullptr, 10);
    if (std::string(argv[1]) == "generate") {
        for (const auto& s : crafted(n)) std::fwrite(s.data(), 1, s.size(), stdout);
        return 0;
    }
    const double flood = seconds_to_insert(crafted(n));
    const double plain = seconds_to_insert(random_strings(n));
    std::printf("%.6f %.6f\n", flood, plain);
    return 0;
}
