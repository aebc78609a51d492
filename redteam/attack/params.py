"""The attacker's knobs: every setting of the generator as one coordinate of a unit cube.

The optimiser searches [0, 1]^D; `decode` maps a point to physical values, linearly or on a
log scale, so that a step means the same over a whole range (10 ms more matters at a 4 ms
event interval, not at 40 ms).
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import Final

import numpy as np
from numpy.typing import NDArray


@dataclass(frozen=True)
class Knob:
    name: str
    low: float
    high: float
    log: bool = False
    doc: str = ""


KNOBS: Final[tuple[Knob, ...]] = (
    # Path shape
    Knob("bow_mean", -0.25, 0.25, doc="sideways bow common to the session's moves, share of the distance"),
    Knob("bow_sd", 0.0, 0.3, doc="per-move spread of the bow"),
    Knob("bow_skew", 0.4, 2.5, True, doc="where along the path the bow is widest (exponent)"),
    Knob("overshoot_prob", 0.0, 1.0, doc="share of moves that miss and correct"),
    Knob("overshoot_size", 0.0, 0.3, doc="miss along the way, share of the distance"),
    Knob("overshoot_side", 0.0, 0.12, doc="miss sideways, share of the distance"),
    Knob("primary_share", 0.4, 0.95, doc="time share of the primary reach when correcting"),
    Knob("submove_prob", 0.0, 1.0, doc="share of moves with a second overlapping submovement"),
    Knob("submove_size", 0.02, 0.45, doc="distance share the second submovement covers"),
    Knob("submove_onset", 0.2, 0.9, doc="when the second submovement starts, share of the time"),
    # Speed profile and durations
    Knob("peak_at", 0.2, 0.75, doc="time share of the speed peak"),
    Knob("sharpness", 0.5, 3.0, True, doc="how peaked the speed profile is (1: minimum jerk)"),
    Knob("fitts_a", 0.0, 400.0, doc="Fitts's law intercept, ms"),
    Knob("fitts_b", 20.0, 300.0, True, doc="Fitts's law slope, ms per bit"),
    Knob("target_width", 4.0, 120.0, True, doc="Fitts's law target width, px"),
    Knob("duration_sd", 0.0, 0.7, doc="log-normal spread of the model durations"),
    Knob("human_timing", 0.0, 1.0, doc="share of moves that take the human's own duration"),
    Knob("start_lag_ms", 0.0, 250.0, doc="leave this much later than the human did"),
    # Hand noise
    Knob("tremor_px", 0.0, 3.0, doc="tremor amplitude"),
    Knob("tremor_hz", 3.0, 15.0, doc="tremor frequency"),
    Knob("jitter_px", 0.0, 3.0, doc="irregular hand noise, standard deviation"),
    Knob("jitter_ms", 2.0, 120.0, True, doc="its correlation time"),
    Knob("drift_px", 0.0, 3.0, doc="idle drift of the resting hand, standard deviation"),
    Knob("drift_ms", 80.0, 4000.0, True, doc="its correlation time"),
    Knob("pause_prob", 0.0, 1.0, doc="share of moves with a hesitation"),
    Knob("pause_share", 0.02, 0.5, doc="the hesitation's share of the move's time"),
    # Sampling and delivery of events
    Knob("event_ms", 2.0, 60.0, True, doc="mean interval between events"),
    Knob("event_cv", 0.0, 1.2, doc="log-normal spread of the intervals"),
    Knob("poll_ms", 1.0, 30.0, True, doc="the position is polled this often; events carry the last poll"),
    Knob("stamp_noise_ms", 0.0, 8.0, doc="time-stamp noise independent of the position"),
    Knob("stamp_round", 0.0, 1.0, doc="above 0.5: whole-millisecond stamps (else tenths)"),
    Knob("drop_share", 0.0, 0.6, doc="share of events coalesced away"),
    Knob("batch_prob", 0.0, 0.6, doc="chance that an event starts a batch sharing one stamp"),
    Knob("batch_size", 2.0, 10.0, doc="events per batch"),
    Knob("report_still", 0.0, 1.0, doc="share of unmoved polls that are still sent"),
    Knob("subpixel", 0.0, 1.0, doc="above 0.5: coordinates in device-pixel steps (else whole px)"),
    # Click timing, within the script's limits
    Knob("settle_ms", 0.0, 400.0, doc="arrival this long before the deadline (a click's lead)"),
    Knob("end_offset_px", 0.0, 5.0, doc="rest this far from the target place"),
)

NAMES: Final = tuple(k.name for k in KNOBS)
DIMENSION: Final = len(KNOBS)
# The screen's device pixel ratio for sub-pixel coordinates.
DEVICE_PIXEL_RATIO: Final = 1.5


Settings = dict[str, float]
Point = NDArray[np.float64]


def decode(point: Point | list[float]) -> Settings:
    """Physical values of a point of the unit cube (clipped into it first)."""
    unit = np.clip(np.asarray(point, dtype=np.float64), 0.0, 1.0)
    if unit.shape != (DIMENSION,):
        raise ValueError(f"an attack point has {DIMENSION} coordinates, not {unit.shape}")
    out: Settings = {}
    for knob, u in zip(KNOBS, unit.tolist()):
        if knob.log:
            out[knob.name] = math.exp(math.log(knob.low) + u * (math.log(knob.high) - math.log(knob.low)))
        else:
            out[knob.name] = knob.low + u * (knob.high - knob.low)
    return out
