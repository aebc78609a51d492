"""The service's policy: the detector decides, the rule list explains.

``decide`` asks the trained detector (``velmora_core.detect``, the model shipped with the
package, or the one the settings name): "human", "unsure" (too little data, or unlike the
people the model knows: the service answers with a challenge) or "bot" (evidence of
automation: the only outcome that bans). The reasons are the detector's.

``decide_by_rules`` is the hand-written rule list on its own: each rule that fires adds
its weight to a score in [0, 1], and a score of THRESHOLD or more is a bot. The service
uses it only as the benchmark baseline that skips the native module.
"""

import math
from collections.abc import Callable, Mapping, Sequence
from dataclasses import dataclass
from typing import Literal

from velmora_core.detect import Detector, feature_set

THRESHOLD = 0.5

Verdict = Literal["human", "unsure", "bot"]


@dataclass(frozen=True)
class Decision:
    verdict: Verdict
    score: float
    reasons: tuple[str, ...]


def _num(features: Mapping[str, object], key: str) -> float:
    value = features.get(key)
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return math.nan
    return float(value)


Features = Mapping[str, object]


@dataclass(frozen=True)
class Rule:
    weight: float
    text: str
    # Comparisons with NaN are false, so a NaN feature never makes a rule fire.
    fires: Callable[[Features], bool]


def _no_input(f: Features) -> bool:
    return _num(f, "mouse_points") < 3 and _num(f, "key_count") == 0


def _scripted_typing(f: Features) -> bool:
    return _num(f, "key_count") >= 5 and _num(f, "keystroke_score") >= 0.5


def _geometric_path(f: Features) -> bool:
    return _num(f, "mouse_points") >= 4 and _num(f, "curvature_score") in (0.95, 0.9)


def _fixed_sampling(f: Features) -> bool:
    return _num(f, "mouse_points") >= 20 and _num(f, "dt_var") < 1.0


RULES: tuple[Rule, ...] = (
    Rule(1.0, "navigator.webdriver is true", lambda f: f.get("webdriver") is True),
    Rule(0.5, "fewer than 3 pointer samples and no key presses", _no_input),
    Rule(0.5, "keystroke timing looks automated (keystroke_score >= 0.5, 5+ keys)", _scripted_typing),
    Rule(0.4, "pointer path is a straight line or has constant curvature", _geometric_path),
    Rule(0.3, "pointer samples at a fixed interval (dt_var < 1 ms^2, 20+ samples)", _fixed_sampling),
    Rule(0.2, "navigator.plugins is empty", lambda f: _num(f, "plugins_length") == 0),
    Rule(0.2, "screen size missing or not positive", lambda f: f.get("screen_valid") is False),
)


def decide(detector: Detector, features: Mapping[str, object], behaviour: Sequence[float]) -> Decision:
    """The detector's verdict on one session from its ``extract_features_rs`` record and its
    behaviour feature values."""
    verdict = detector.verdict_row(feature_set.row_of(features, behaviour))
    return Decision(verdict.outcome, verdict.score, tuple(map(str, verdict.reasons)))


def decide_by_rules(features: Mapping[str, object]) -> Decision:
    """Score one feature record (the dict of ``extract_features_rs``) with the rule list alone."""
    fired = [rule for rule in RULES if rule.fires(features)]
    score = round(min(1.0, sum(rule.weight for rule in fired)), 6)
    return Decision("bot" if score >= THRESHOLD else "human", score, tuple(rule.text for rule in fired))
