"""A verdict: one of three outcomes, the score, and the reasons as records.

- "bot" needs evidence of automation: a consistency check that fires (evidence.py), or
  the trees' score above the threshold for a session like the people the model knows. A
  hardened model's trees learned our adaptive attacker's bots as well; it also carries trees
  fitted without them (model_file.Plain), and the session is a bot only when those score it
  above their own threshold too. What only the attacker's bots resemble (sampling finer or
  more regular than our recordings', which other devices and collectors give) is "unsure".
- "unsure": too little usable data, or a session unlike those people (familiarity.py),
  whatever the trees say: they know nothing of other tasks, devices or populations; or a
  session the trees would call human with a value above a ceiling of those people's
  (familiarity.CEILINGS): no evidence of a bot, but all but a few of them stay below it.
- "human" otherwise.
"""

import math
from dataclasses import dataclass
from typing import TYPE_CHECKING, Final, Literal

from velmora_core.detect import evidence
from velmora_core.detect.familiarity import Excess

if TYPE_CHECKING:
    from velmora_core.detect.stroke_memory import ReplayEvidence

Outcome = Literal["human", "unsure", "bot"]
OUTCOMES: Final[tuple[Outcome, ...]] = ("human", "unsure", "bot")


@dataclass(frozen=True)
class Reason:
    """Why a verdict went its way.

    contribution: for the trees' reasons, what the feature added to the raw score (the
    log-odds; positive towards "bot"); 0.0 for a check, an unfamiliar value or missing data.
    """

    feature: str
    value: float
    contribution: float
    text: str

    def __str__(self) -> str:
        return self.text


@dataclass(frozen=True)
class Verdict:
    outcome: Outcome
    score: float
    reasons: tuple[Reason, ...]

    @property
    def is_bot(self) -> bool:
        return self.outcome == "bot"


def from_finding(finding: evidence.Finding) -> Reason:
    return Reason(finding.feature, finding.value, 0.0, finding.text)


def unfamiliar(excess: Excess, title: str) -> Reason:
    way = "above" if excess.value > excess.bound else "below"
    return Reason(excess.worst, excess.value, 0.0,
                  f"unlike the people this model knows: {excess.total:.1f} ranges outside theirs, most of all "
                  f"{title} ({excess.worst} = {excess.value:.4g}, {way} {excess.bound:.4g})")


def above_ceiling(excess: Excess, title: str) -> Reason:
    return Reason(excess.worst, excess.value, 0.0,
                  f"above the people this model knows: {title} ({excess.worst} = {excess.value:.4g}, "
                  f"theirs up to {excess.bound:.4g})")


def model_reason(title: str, name: str, value: float, contribution: float) -> Reason:
    shown = "missing" if math.isnan(value) else f"{value:.4g}"
    way = "bot" if contribution > 0 else "human"
    return Reason(name, value, contribution, f"{title} ({name} = {shown}) looks {way}-like ({contribution:+.2f})")


def with_replay(verdict: Verdict, replay: "ReplayEvidence") -> Verdict:
    """The verdict on a session whose strokes replay earlier sessions': a bot, that reason first."""
    reason = Reason("strokes", float(replay.matched), 0.0, replay.text)
    return Verdict("bot", verdict.score, (reason, *verdict.reasons))


def ruled(checks: list[evidence.Finding], thin: evidence.Finding | None, excess: Excess | None,
          limit: float) -> tuple[Outcome, str] | None:
    """The outcome and its kind of reason when the trees' score has no say: a check fires
    ("checks"), too little data ("data") or an unfamiliar session ("unfamiliar"); else None."""
    if checks:
        return "bot", "checks"
    if thin is not None:
        return "unsure", "data"
    if excess is not None and excess.total > limit:
        return "unsure", "unfamiliar"
    return None


def attacker_like(score: float, threshold: float, plain: float, plain_threshold: float) -> Reason:
    return Reason("score", plain, 0.0,
                  f"like only the bots of our adaptive attacker, which people on devices we have not recorded can "
                  f"resemble: score {score:.3f} above {threshold:.3f}, but {plain:.3f} from the trees fitted without "
                  f"those bots, not above {plain_threshold:.3f}")


def decide(score: float, threshold: float, checks: list[evidence.Finding], thin: evidence.Finding | None,
           excess: Excess | None, limit: float, ceiling: Excess | None = None,
           confirmed: bool = True) -> tuple[Outcome, str]:
    """The outcome, and which kind of reason explains it: "checks", "data", "unfamiliar",
    "ceiling", "plain" or "model". confirmed: whether the plain trees, when the model has
    them, score the row above their threshold."""
    rule = ruled(checks, thin, excess, limit)
    if rule is not None:
        return rule
    if score > threshold:
        return ("bot", "model") if confirmed else ("unsure", "plain")
    return ("unsure", "ceiling") if ceiling is not None else ("human", "model")
