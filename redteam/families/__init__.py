"""The bot generator families, one module each."""

from __future__ import annotations

from .base import Context, Family, PathFamily
from .bezier_fitts import BezierFitts
from .dispatched import Dispatched
from .human_replay import HumanReplay
from .min_jerk import MinJerk
from .noisy_spline import NoisySpline
from .scripted_typing import ScriptedTyping
from .sigma_lognormal import SigmaLognormal
from .stroke_replay import STROKE_REPLAY, STROKE_REPLAY_THIN
from .wind_gravity import WindGravity

PATH_FAMILIES: tuple[PathFamily, ...] = (
    BezierFitts(), MinJerk(), SigmaLognormal(), WindGravity(), HumanReplay(), NoisySpline())

FAMILIES: dict[str, Family] = {
    family.name: family
    for family in (*PATH_FAMILIES, ScriptedTyping(PATH_FAMILIES), Dispatched(PATH_FAMILIES),
                   STROKE_REPLAY, STROKE_REPLAY_THIN)
}

__all__ = ["FAMILIES", "PATH_FAMILIES", "Context", "Family", "PathFamily"]
