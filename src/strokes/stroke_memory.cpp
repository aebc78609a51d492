#include "strokes/stroke_memory.hpp"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace velmora::strokes {

unsigned bucket_bits(std::size_t capacity) {
    const auto width = static_cast<unsigned>(std::bit_width(capacity > 1 ? capacity - 1 : std::size_t{1}));
    return std::max(4u, width > 3 ? width - 3 : 0u);
}

StrokeMemory::StrokeMemory(std::size_t capacity) : capacity_(capacity), bits_(bucket_bits(capacity)) {
    if (capacity < 1 || capacity > kMaxCapacity) throw std::invalid_argument("stroke memory capacity out of range");
}

std::size_t StrokeMemory::bytes() const {
    return ring_.capacity() * sizeof(Stored) + slots_.size() * sizeof(std::uint64_t) + next_.size();
}

std::size_t StrokeMemory::bucket_of(const StrokePrint& p, std::size_t band) const {
    return (band << bits_) | (p.bands[band] >> (32 - bits_));
}

const StrokeMemory::Stored* StrokeMemory::live(std::uint64_t number) const {
    if (number == 0 || number + capacity_ <= last_) return nullptr;  // empty, or forgotten
    const Stored& s = ring_[(number - 1) % capacity_];
    return s.number == number ? &s : nullptr;
}

bool StrokeMemory::recalls(const StrokePrint& p) const {
    if (slots_.empty()) return false;
    for (std::size_t band = 0; band < kBands; ++band) {
        const std::uint64_t* slot = &slots_[bucket_of(p, band) * kBucketSlots];
        for (std::size_t i = 0; i < kBucketSlots; ++i) {
            const Stored* s = live(slot[i]);
            if (s != nullptr && prints_match(p, s->print)) return true;
        }
    }
    return false;
}

std::size_t StrokeMemory::observe(std::span<const StrokePrint> prints) {
    std::size_t matched = 0;
    for (const StrokePrint& p : prints) matched += recalls(p) ? 1 : 0;
    // Remembered after the lookups: a session's strokes never match each other.
    if (slots_.empty() && !prints.empty()) {  // the index is made with the first stroke
        const std::size_t buckets = kBands << bits_;
        slots_.assign(buckets * kBucketSlots, 0);
        next_.assign(buckets, 0);
    }
    for (const StrokePrint& p : prints) {
        const std::uint64_t number = ++last_;
        const std::size_t at = (number - 1) % capacity_;
        if (ring_.size() <= at) {
            if (ring_.capacity() <= at) ring_.reserve(std::min(capacity_, std::max<std::size_t>(1024, 2 * ring_.capacity())));
            ring_.resize(at + 1);
        }
        ring_[at] = {number, p};
        for (std::size_t band = 0; band < kBands; ++band) {
            const std::size_t bucket = bucket_of(p, band);
            slots_[bucket * kBucketSlots + next_[bucket]] = number;
            next_[bucket] = static_cast<std::uint8_t>((next_[bucket] + 1) % kBucketSlots);
        }
    }
    return matched;
}

}  // namespace velmora::strokes
