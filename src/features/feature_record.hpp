// The feature record of one telemetry.
#pragma once

#include <cstdint>

#include "features/feature_table.hpp"
#include "features/telemetry.hpp"

namespace velmora::features {

// Every field of the feature table, in its order, starting at its value without data.
struct FeatureRecord {
#define VELMORA_FEATURE_FIELD(name, type, none, ...) type name = none;
    VELMORA_FEATURES(VELMORA_FEATURE_FIELD)
#undef VELMORA_FEATURE_FIELD
};

// Runs every analysis on the parsed telemetry. Pure; never fails.
FeatureRecord build_feature_record(const ParsedTelemetry& telemetry);
// The same with spectrum tables from `cache` instead of the process-wide one (same bits).
class TwiddleCache;
FeatureRecord build_feature_record(const ParsedTelemetry& telemetry, TwiddleCache& cache);

}  // namespace velmora::features
