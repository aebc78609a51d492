"""An example policy from the 39 features to a verdict.

This is a plain, hand-written rule list, not a trained model: each rule that fires adds
its weight to a score in [0, 1], and a score of THRESHOLD or more is a bot. The weights
were set by looking at the bundled sample sessions; a real deployment would fit them to
its own traffic. ``navigator.webdriver`` alone decides a bot: a browser that announces
automation is automated.
"""

import math
from collections.abc import Mapping
from dataclasses import dataclass
from typing import Literal

THRESHOLD = 0.5

Verdict = Literal["human", "bot"]


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


# (reason, weight, test). Comparisons with NaN are false, so a NaN feature never fires.
_RULES: tuple[tuple[str, float, str], ...] = (
    ("webdriver", 1.0, "navigator.webdriver is true"),
    ("no_input", 0.5, "fewer than 3 pointer samples and no key presses"),
    ("scripted_typing", 0.5, "keystroke timing looks automated (keystroke_score >= 0.5, 5+ keys)"),
    ("geometric_path", 0.4, "pointer path is a straight line or has constant curvature"),
    ("fixed_sampling", 0.3, "pointer samples at a fixed interval (dt_var < 1 ms^2, 20+ samples)"),
    ("no_plugins", 0.2, "navigator.plugins is empty"),
    ("invalid_screen", 0.2, "screen size missing or not positive"),
)
RULE_TEXTS: Mapping[str, str] = {name: text for name, _, text in _RULES}


def _fires(name: str, f: Mapping[str, object]) -> bool:
    points = _num(f, "mouse_points")
    keys = _num(f, "key_count")
    match name:
        case "webdriver":
            return f.get("webdriver") is True
        case "no_input":
            return points < 3 and keys == 0
        case "scripted_typing":
            return keys >= 5 and _num(f, "keystroke_score") >= 0.5
        case "geometric_path":
            return points >= 4 and _num(f, "curvature_score") in (0.95, 0.9)
        case "fixed_sampling":
            return points >= 20 and _num(f, "dt_var") < 1.0
        case "no_plugins":
            return _num(f, "plugins_length") == 0
        case "invalid_screen":
            return f.get("screen_valid") is False
    raise ValueError(f"unknown rule {name!r}")


def decide(features: Mapping[str, object]) -> Decision:
    """Score one feature record (the dict of ``extract_features_rs``)."""
    reasons = tuple(name for name, _, _ in _RULES if _fires(name, features))
    score = round(min(1.0, sum(weight for name, weight, _ in _RULES if name in reasons)), 6)
    return Decision("bot" if score >= THRESHOLD else "human", score, reasons)
