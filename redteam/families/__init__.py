"""The bot generator families, one module each."""

from __future__ import annotations

from .base import Context, Family, PathFamily
from .bezier_fitts import BezierFitts
from .consistency import CONSISTENCY_FAMILIES
from .dispatched import Dispatched
from .human_replay import HumanReplay
from .learned_strokes import LearnedStrokes
from .min_jerk import MinJerk
from .noisy_spline import NoisySpline
from .scripted_typing import ScriptedTyping
from .sigma_lognormal import SigmaLognormal
from .warp_replay import WarpReplay
from .stroke_replay import STROKE_REPLAY, STROKE_REPLAY_THIN
from .wind_gravity import WindGravity

PATH_FAMILIES: tuple[PathFamily, ...] = (
    BezierFitts(), MinJerk(), SigmaLognormal(), WindGravity(), HumanReplay(), NoisySpline())

FAMILIES: dict[str, Family] = {
    family.name: family
    for family in (*PATH_FAMILIES, ScriptedTyping(PATH_FAMILIES), Dispatched(PATH_FAMILIES), WarpReplay(),
                   LearnedStrokes(),
                   STROKE_REPLAY, STROKE_REPLAY_THIN)
}
# Kept apart: they break one consistency check each on purpose (redteam/consistency_report.py),
# and are never training data (the trees do not see those checks).

__all__ = ["CONSISTENCY_FAMILIES", "FAMILIES", "PATH_FAMILIES", "Context", "Family", "PathFamily"]
