// A bounded memory of stroke prints with a locality-sensitive index.
//
// Each print is filed under one bucket per band (its band hash's top bucket_bits bits);
// a bucket keeps the kBucketSlots most recent strokes filed there, so a lookup compares at
// most kBands * kBucketSlots prints whatever the memory holds. Strokes are numbered from
// 1 in arrival order; the memory keeps the last `capacity` of them (the oldest is forgotten
// first). A bucket entry whose stroke has been forgotten is skipped, and overwritten in turn.
//
// The Redis layout (velmora_core/detect/lua/stroke_memory.lua) follows the same rules, so
// the same sequence of sessions gives the same counts on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "strokes/stroke_print.hpp"

namespace velmora::strokes {

inline constexpr std::size_t kBucketSlots = 8;
inline constexpr std::size_t kMaxCapacity = std::size_t{1} << 31;

// Buckets per band for a capacity: about capacity / 8, at least 16.
unsigned bucket_bits(std::size_t capacity);

class StrokeMemory {
public:
    explicit StrokeMemory(std::size_t capacity);  // 1 <= capacity <= kMaxCapacity

    // How many of `prints` match a remembered stroke; then remembers them all.
    std::size_t observe(std::span<const StrokePrint> prints);
    // Whether a remembered stroke matches `print`, without remembering it.
    bool recalls(const StrokePrint& print) const;

    std::size_t capacity() const { return capacity_; }
    std::size_t size() const { return static_cast<std::size_t>(std::min<std::uint64_t>(last_, capacity_)); }
    std::size_t bytes() const;  // what the memory has allocated for its tables

private:
    struct Stored {
        std::uint64_t number = 0;
        StrokePrint print;
    };
    const Stored* live(std::uint64_t number) const;
    std::size_t bucket_of(const StrokePrint& p, std::size_t band) const;

    std::size_t capacity_;
    unsigned bits_;
    std::uint64_t last_ = 0;  // the number of the latest stroke
    std::vector<Stored> ring_;
    std::vector<std::uint64_t> slots_;  // kBucketSlots per bucket, 0 when empty
    std::vector<std::uint8_t> next_;    // per bucket, the slot written next
};

}  // namespace velmora::strokes
