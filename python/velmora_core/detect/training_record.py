"""What the report reads from a model's `training` record, checked.

The record is free-form JSON inside the model file (its digest only says it was not changed
by accident), so the report takes nothing from it unchecked: each field it shows must have
its type, and a record that does not is refused with the field's name.
"""

import math
from collections.abc import Mapping
from dataclasses import dataclass
from typing import Any, cast

from velmora_core.errors import BatchError


@dataclass(frozen=True)
class FamilyRow:
    family: str
    bots: int
    caught: float
    auc: float


@dataclass(frozen=True)
class Recorded:
    humans: int | None  # sessions of the fit
    bots: int | None
    cv_auc: float | None
    cv_humans: list[float]  # out-of-fold scores
    cv_bots: list[float]
    families: list[FamilyRow]  # the leave-one-family-out table
    mean_caught: float | None
    min_caught: float | None


class _Odd(Exception):
    pass


def _object(value: object, what: str) -> Mapping[str, Any]:
    if value is None:
        return {}
    if not isinstance(value, dict):
        raise _Odd(f"{what} is not an object")
    return cast(Mapping[str, Any], value)


def _number(value: object, what: str, optional: bool = True) -> float | None:
    if value is None and optional:
        return None
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise _Odd(f"{what} is not a number")
    try:
        number = float(value)
    except OverflowError:
        raise _Odd(f"{what} is not a finite number") from None
    if not math.isfinite(number):
        raise _Odd(f"{what} is not a finite number")
    return number


def _count(value: object, what: str) -> int | None:
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, int) or value < 0:
        raise _Odd(f"{what} is not a count")
    return value


def _numbers(value: object, what: str) -> list[float]:
    if value is None:
        return []
    if not isinstance(value, list):
        raise _Odd(f"{what} is not a list")
    return [cast(float, _number(v, f"an item of {what}", optional=False)) for v in cast(list[object], value)]


def _row(value: object, index: int) -> FamilyRow:
    what = f"leave_one_family_out[{index}]"
    row = _object(value, what)
    family = row.get("family")
    if not isinstance(family, str):
        raise _Odd(f"{what}.family is not a string")
    bots = _count(row.get("bots"), f"{what}.bots")
    caught = _number(row.get("caught"), f"{what}.caught", optional=False)
    auc = _number(row.get("auc"), f"{what}.auc", optional=False)
    return FamilyRow(family, bots or 0, cast(float, caught), cast(float, auc))


def recorded(training: Mapping[str, Any], model: str) -> Recorded:
    """The checked fields of training; BatchError naming the first odd one."""
    try:
        sessions = _object(training.get("sessions"), "sessions")
        cv = _object(training.get("cross_validation"), "cross_validation")
        table = training.get("leave_one_family_out")
        if table is not None and not isinstance(table, list):
            raise _Odd("leave_one_family_out is not a list")
        return Recorded(
            _count(sessions.get("human"), "sessions.human"), _count(sessions.get("bot"), "sessions.bot"),
            _number(cv.get("auc"), "cross_validation.auc"),
            _numbers(cv.get("human_scores"), "cross_validation.human_scores"),
            _numbers(cv.get("bot_scores"), "cross_validation.bot_scores"),
            [_row(r, i) for i, r in enumerate(cast(list[object], table or []))],
            _number(training.get("mean_caught"), "mean_caught"), _number(training.get("min_caught"), "min_caught"))
    except _Odd as odd:
        name = "the bundled model" if model == "default" else f"the model {model}"
        raise BatchError(f"{name} has an unusable training record: {odd}") from None
