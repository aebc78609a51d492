// The behaviour features, in their one fixed order: the enum indexes the value array and
// kFeatureNames gives each its name. Everything else (the Python dict, the name tuple,
// the docs) follows this table.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace velmora::behaviour {

enum Feature : std::size_t {
    // sampling of the pointer stream
    kDtEntropy,
    kDtRepeatShare,
    kDtCv,
    kDtZeroShare,
    kDtStepCoupling,
    kDtLag1,
    // shape of each movement
    kPeakCountMean,
    kPeakTimeRatioMean,
    kPeakTimeRatioStd,
    kMinJerkError,
    kStraightnessMean,
    kDeviationMean,
    kSpeedJitter,
    kEndSpeedRatio,
    kSpeedDiffLag1,
    kPeakSpeedScaling,
    // turning and curvature
    kTurnAbsMean,
    kTurnFlipShare,
    kTurnZeroShare,
    kTurnEntropy,
    kPowerLawSlope,
    kPowerLawR,
    kInflectionRate,
    kFineCoarseRatio,
    // small steps
    kTinyStepShare,
    kAxisStepShare,
    kStillStepShare,
    // around clicks
    kClickSettleMs,
    kClickOffsetPx,
    kOvershootShare,
    kEndCorrectionMean,
    kApproachTimeShare,
    kDurationDistanceR,
    // keys (timing only)
    kHoldMean,
    kHoldCv,
    kHoldRepeatShare,
    kKeyIntervalCv,
    kRolloverShare,
    kHoldIntervalCorr,
    kKeyIntervalLag1,
    kBurstConsistency,
    // the pointer stream as a whole: one device, one clock (interval_divergence.hpp)
    kDtStrokeDivergence,
    // the pointer features taken together, against people's
    kHumanDistance,
    kHumanRangeExcess,
    // what a real device and browser obey (consistency_features.hpp)
    kClickOffPath,
    kClickJump,
    kTimeDisorder,
    kPlaceXMax,
    kPlaceYMax,
    kPlaceMin,
    kPointerJump,
    kFeatureCount
};

inline constexpr std::array<std::string_view, kFeatureCount> kFeatureNames = {
    "dt_entropy",
    "dt_repeat_share",
    "dt_cv",
    "dt_zero_share",
    "dt_step_coupling",
    "dt_lag1",
    "peak_count_mean",
    "peak_time_ratio_mean",
    "peak_time_ratio_std",
    "min_jerk_error",
    "straightness_mean",
    "deviation_mean",
    "speed_jitter",
    "end_speed_ratio",
    "speed_diff_lag1",
    "peak_speed_scaling",
    "turn_abs_mean",
    "turn_flip_share",
    "turn_zero_share",
    "turn_entropy",
    "power_law_slope",
    "power_law_r",
    "inflection_rate",
    "fine_coarse_ratio",
    "tiny_step_share",
    "axis_step_share",
    "still_step_share",
    "click_settle_ms",
    "click_offset_px",
    "overshoot_share",
    "end_correction_mean",
    "approach_time_share",
    "duration_distance_r",
    "hold_mean",
    "hold_cv",
    "hold_repeat_share",
    "key_interval_cv",
    "rollover_share",
    "hold_interval_corr",
    "key_interval_lag1",
    "burst_consistency",
    "dt_stroke_divergence",
    "human_distance",
    "human_range_excess",
    "click_off_path",
    "click_jump",
    "time_disorder",
    "place_x_max",
    "place_y_max",
    "place_min",
    "pointer_jump",
};

using FeatureValues = std::array<double, kFeatureCount>;

}  // namespace velmora::behaviour
