// Written by scripts/behaviour_reference.py from 580 human sessions (human_sessions.jsonl, human_sessions_more.jsonl); do not edit.
#pragma once

#include <array>

namespace velmora::behaviour {

// {median, robust scale} of each pointer feature, in feature order.
inline constexpr std::array<std::array<double, 2>, 33> kHumanReference = {{
    {2.165708889949734, 0.426313296515488},  // dt_entropy
    {0.2491929247850978, 0.050055849795423005},  // dt_repeat_share
    {1.1947968362747456, 0.22280117763564675},  // dt_cv
    {0.0, 1e-09},  // dt_zero_share
    {-0.07641712153866251, 0.09337401692790084},  // dt_step_coupling
    {0.05027159722107449, 0.0875132077152367},  // dt_lag1
    {1.6961538461538461, 0.3991560700233792},  // peak_count_mean
    {0.31328546799060497, 0.09003776589552043},  // peak_time_ratio_mean
    {0.2018832575815242, 0.05242243216187975},  // peak_time_ratio_std
    {0.21774248360135184, 0.048373687493497596},  // min_jerk_error
    {0.772781121689041, 0.10362510025764643},  // straightness_mean
    {0.26445835367846016, 0.22843935221409745},  // deviation_mean
    {0.23855522351784347, 0.13373633721152745},  // speed_jitter
    {0.0688242040206821, 0.05651620269124292},  // end_speed_ratio
    {0.07705665170448661, 0.35716953048050953},  // speed_diff_lag1
    {0.659167214960708, 0.22668393793446426},  // peak_speed_scaling
    {0.24403951027197002, 0.051400353411810276},  // turn_abs_mean
    {0.45919017551989805, 0.09750051793131984},  // turn_flip_share
    {0.17626847586402639, 0.06716300170407317},  // turn_zero_share
    {1.7683131600266262, 0.26727307885468304},  // turn_entropy
    {-0.5023118692494888, 0.03664840743410681},  // power_law_slope
    {-0.8805746295626291, 0.03224584040679001},  // power_law_r
    {0.595661541589539, 0.24323764195530678},  // inflection_rate
    {1.0079294533565897, 0.00393492866984395},  // fine_coarse_ratio
    {0.13509377807726863, 0.059250173240886356},  // tiny_step_share
    {0.2681862417127912, 0.07661496674563317},  // axis_step_share
    {0.005415162454873646, 0.007530335860107451},  // still_step_share
    {76.75, 56.80133432171979},  // click_settle_ms
    {0.0, 1e-09},  // click_offset_px
    {0.35857142857142854, 0.18532246108228317},  // overshoot_share
    {1.1538461538461537, 0.20216995754430891},  // end_correction_mean
    {0.3023682740583725, 0.06303580400947026},  // approach_time_share
    {0.41701453446647396, 0.3373338215286459},  // duration_distance_r
}};

}  // namespace velmora::behaviour
