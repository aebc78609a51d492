"""The bot generator families, one module each."""

from __future__ import annotations

from .base import Context, Family
from .bezier_fitts import BezierFitts
from .min_jerk import MinJerk
from .sigma_lognormal import SigmaLognormal

FAMILIES: dict[str, Family] = {
    family.name: family
    for family in (BezierFitts(), MinJerk(), SigmaLognormal())
}

__all__ = ["FAMILIES", "Context", "Family"]
