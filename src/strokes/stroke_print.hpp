// Stroke fingerprints: what a replayed stroke keeps of the recording it came from.
//
// A session's pointer track is cut into strokes as the behaviour features cut it (a pause
// longer than kPauseMs or a click ends one; still ends are trimmed). A stroke is described
// in its own frame: start at the origin, the start-to-end chord along x with unit length,
// the path resampled by arc length. That removes position, rotation and scale; arc-length
// resampling removes the event rate and the timing, which is described on its own (the
// share of the path covered at fixed shares of the duration). Only these quantised
// profiles are kept, never coordinates or times.
//
// Only distinctive strokes get a print: long enough, not wandering (a replay maps start
// to end), and with detail beyond a smooth bend (kMinDetailPx), since smooth arcs of
// different people agree to a pixel and would match by chance.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "behaviour/behaviour_session.hpp"

namespace velmora::strokes {

inline constexpr std::size_t kShapePoints = 32;        // arc-length samples of the path
inline constexpr std::size_t kShapeValues = 2 * kShapePoints;  // along, then across the chord
inline constexpr std::size_t kProgressPoints = 16;     // shares of the duration
inline constexpr std::size_t kBands = 8;               // locality-sensitive hashes per stroke
inline constexpr double kShapeUnit = 4096.0;           // shape values in 1/4096 of the chord
inline constexpr double kProgressUnit = 255.0;

inline constexpr double kPauseMs = 300.0;
inline constexpr std::size_t kMinSamples = 10;
inline constexpr double kMinChordPx = 60.0;
inline constexpr double kMinChordShare = 0.35;  // chord / path
inline constexpr double kMinDetailPx = 3.0;     // RMS off a cubic fit of the profiles

// One distinctive stroke's print. `bands` are the top 32 bits of its band hashes.
struct StrokePrint {
    std::array<std::int16_t, kShapeValues> shape{};
    std::array<std::uint8_t, kProgressPoints> progress{};
    std::uint16_t chord = 0;     // px, rounded
    std::uint16_t duration = 0;  // ms, rounded, at least 1
    std::array<std::uint32_t, kBands> bands{};
};

struct SessionPrints {
    std::size_t strokes = 0;  // strokes of kMinSamples or more, distinctive or not
    std::vector<StrokePrint> prints;
};

SessionPrints session_prints(std::span<const behaviour::PointerSample> pointer,
                             std::span<const behaviour::Click> clicks);

// Could one be a replay of the other: chords within 2.2x, durations within 2x, progress
// within 0.04 on average, shape within 2 px RMS at the smaller chord.
bool prints_match(const StrokePrint& a, const StrokePrint& b);

// The wire form (big-endian): shape as uint16 offset by 32768, progress, chord, duration,
// bands. The first kStoredBytes are what a memory keeps.
inline constexpr std::size_t kStoredBytes = 2 * kShapeValues + kProgressPoints + 4;
inline constexpr std::size_t kWireBytes = kStoredBytes + 4 * kBands;
void encode(const StrokePrint& print, std::uint8_t* out);
StrokePrint decode(const std::uint8_t* in);

}  // namespace velmora::strokes
