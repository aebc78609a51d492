"""The black-box search: random search, then CMA-ES (the `cma` package) with restarts.

A query is one candidate point judged on a few bot sessions (scripts of the tuning people,
new noise each time). A bot passes when the detector calls it "human": no consistency check
fires, and the session is familiar to the model, scored below its threshold and under its
ceilings. The objective is the mean over the sessions of the largest of the margins, the
score's log-odds above the threshold's, the familiarity excess above its limit and the amount
above a ceiling (all read from the model file the attacker has), clipped so that one hopeless
session does not drown the others. At each checkpoint the attacker picks its candidate the
way a real one would, from what it saw: the best few points seen and the search's current
mean, judged again on a fixed set of tuning sessions (not counted as queries). The pick is
then judged on fresh bots: scripts of the held-out people, new seeds. The run is
deterministic for a seed.

With the "score" objective the attacker sees only the score against the threshold, as one
that tunes on Detector.score would: blind to the checks and the familiar ranges.
"""

from __future__ import annotations

import importlib
import math
import time
import warnings
from collections.abc import Callable, Sequence
from dataclasses import dataclass, field
from typing import Any, cast

import numpy as np

from velmora_core.detect import Detector, evidence, feature_set
from velmora_core.records import Telemetry

from ..script import Script, Session
from .generator import Plan, session
from .params import DIMENSION, decode
from .pool import Pool

Scorer = Callable[[Session], float]
Point = list[float]

CHECKPOINTS = (100, 1000, 10000)
PER_QUERY = 3          # sessions per candidate
FRESH = 100            # fresh bots judged at each checkpoint
PICK_SESSIONS = 16     # tuning sessions that judge the candidates at a checkpoint
PICK_TOP = 3           # best points seen that are judged again
CLIP = (-3.0, 6.0)     # the per-session objective's range (log-odds above the threshold)
SPREAD = 29            # passing points, spread over the search, among the evasive bots' points
SIGMA0 = 0.3
FAMILIAR_WEIGHT = 3.0  # log-odds per limit of excess: both margins on a like scale


OBJECTIVES = ("verdict", "score")


@dataclass(frozen=True)
class Target:
    """What is attacked: a detector; a bot passes when its outcome is "human"."""

    detector: Detector
    objective: str = "verdict"  # what the attacker tunes on (OBJECTIVES)

    def row(self, bot: Session) -> tuple[float, ...]:
        return feature_set.feature_row(cast(Telemetry, bot))

    def margin(self, bot: Session) -> float:
        """How far the bot is from passing (at most 0: it passes, bar a consistency check)."""
        row = self.row(bot)
        det = self.detector
        if self.objective == "score":
            return _logit(det.score_row(row)) - _logit(det.threshold)
        named = evidence.Row(det.model.names, row)
        if evidence.findings(named) or evidence.thin(named) is not None:
            return CLIP[1]
        z = _logit(det.score_row(row)) - _logit(det.threshold)
        excess, familiar = det.familiarity(row), det.model.familiar
        if excess is not None and familiar is not None:
            z = max(z, (excess.total - familiar.limit) / max(familiar.limit, 1.0) * FAMILIAR_WEIGHT)
            above = det.ceiling(row)
            if above is not None:  # the same weight per ceiling's worth above it
                z = max(z, above.total / max(above.bound, 1e-9) * FAMILIAR_WEIGHT)
        return z

    def outcome(self, bot: Session) -> str:
        return self.detector.verdict_row(self.row(bot)).outcome


@dataclass
class Checkpoint:
    queries: int
    pass_rate: float           # share of the fresh bots that pass
    point: Point               # the attacker's pick
    not_bot: float = 0.0       # share of the fresh bots not judged "bot" ("human" or "unsure")


@dataclass
class AttackResult:
    seed: int
    per_query: int
    checkpoints: list[Checkpoint] = field(default_factory=list[Checkpoint])
    queries: int = 0
    seconds: float = 0.0
    elite: list[Point] = field(default_factory=list[Point])   # the best points seen, best first
    passing: list[Point] = field(default_factory=list[Point])  # points that passed, in search order

    def table(self) -> list[dict[str, Any]]:
        return [{"queries": c.queries, "pass_rate": c.pass_rate} for c in self.checkpoints]


def _cma() -> Any:
    try:
        return importlib.import_module("cma")
    except ImportError:
        raise SystemExit("the attacker needs the `cma` package: make install-attack "
                         "(pip install --group attack)") from None


def _logit(p: float) -> float:
    p = min(max(p, 1e-12), 1.0 - 1e-12)
    return math.log(p / (1.0 - p))


class Attack:
    """One attack run against one target."""

    def __init__(self, target: Target, pool: Pool, seed: int, per_query: int = PER_QUERY) -> None:
        self.target = target
        self.pool = pool
        self.seed = seed
        self.per_query = per_query
        self.queries = 0
        self.seen: list[tuple[float, Point]] = []

    def _objective(self, point: Point, jobs: Sequence[tuple[Script, Plan, np.random.Generator]]) -> float:
        settings = decode(point)
        total = 0.0
        for script, plan, rng in jobs:
            z = self.target.margin(session(script, plan, settings, rng))
            total += min(max(z, CLIP[0]), CLIP[1])
        return total / len(jobs)

    def query(self, point: Point) -> float:
        """One counted query: the point judged on per_query new tuning sessions."""
        rng = np.random.default_rng([self.seed, 1, self.queries])
        picks = rng.integers(0, len(self.pool.train), self.per_query)
        jobs = [(*self.pool.train[int(i)], np.random.default_rng([self.seed, 2, self.queries, k]))
                for k, i in enumerate(picks)]
        value = self._objective(point, jobs)
        self.queries += 1
        self.seen.append((value, point))
        return value

    def pick(self, mean: Point | None) -> Point:
        """The attacker's candidate now, chosen on a fixed set of tuning sessions."""
        ranked = sorted(self.seen, key=lambda item: item[0])[:PICK_TOP]
        candidates = [p for _, p in ranked] + ([mean] if mean is not None else [])
        rng = np.random.default_rng([self.seed, 3])
        picks = rng.integers(0, len(self.pool.train), PICK_SESSIONS)
        best, best_value = candidates[0], math.inf
        for point in candidates:
            jobs = [(*self.pool.train[int(i)], np.random.default_rng([self.seed, 4, k]))
                    for k, i in enumerate(picks)]
            value = self._objective(point, jobs)
            if value < best_value:
                best, best_value = point, value
        return best

    def fresh_bots(self, point: Point, count: int = FRESH, salt: int = 5) -> list[Session]:
        """Bots of the point on the held-out people's scripts, with seeds never used in tuning."""
        settings = decode(point)
        fresh = self.pool.fresh
        return [session(*fresh[i % len(fresh)], settings, np.random.default_rng([self.seed, salt, i]))
                for i in range(count)]

    def judge(self, point: Point) -> tuple[float, float]:
        """The shares of the point's fresh bots judged "human" and not judged "bot"."""
        outcomes = [self.target.outcome(b) for b in self.fresh_bots(point)]
        return outcomes.count("human") / len(outcomes), 1.0 - outcomes.count("bot") / len(outcomes)


def run_attack(target: Target, pool: Pool, budget: int, seed: int, per_query: int = PER_QUERY,
               checkpoints: Sequence[int] = CHECKPOINTS,
               report: Callable[[str], None] | None = None) -> AttackResult:
    """Spends `budget` queries; judges the attacker's pick at each checkpoint within it."""
    if budget < 1 or per_query < 1:
        raise ValueError("the budget and the sessions per query must be at least 1")
    cma = _cma()
    attack = Attack(target, pool, seed, per_query)
    marks = sorted({c for c in checkpoints if c <= budget} | {budget})
    result = AttackResult(seed, per_query)
    began = time.perf_counter()
    state: dict[str, Any] = {"mean": None}

    def counted(point: Point) -> float:
        value = attack.query(point)
        if attack.queries in marks:
            choice = attack.pick(state["mean"])
            rate, not_bot = attack.judge(choice)
            result.checkpoints.append(Checkpoint(attack.queries, rate, choice, not_bot))
            if report is not None:
                report(f"{attack.queries:>6} queries: {100 * rate:5.1f} % of fresh bots pass "
                       f"({time.perf_counter() - began:.0f} s)")
        return value

    # Random search first: a spread of starting points; CMA-ES starts from the best.
    rng = np.random.default_rng([seed, 0])
    for _ in range(max(4, min(30, budget // 20))):
        if attack.queries >= budget:
            break
        counted(rng.random(DIMENSION).tolist())
    popsize = 0
    while attack.queries < budget:
        start = min(attack.seen, key=lambda item: item[0])[1]
        options: dict[str, Any] = {"bounds": [0.0, 1.0], "seed": seed * 1009 + 17 + attack.queries,
                                   "verbose": -9, "tolfun": 1e-3, "tolx": 1e-4}
        if popsize:
            options["popsize"] = popsize
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            es = cma.CMAEvolutionStrategy(start, SIGMA0, options)
        popsize = int(es.popsize)
        before = attack.queries
        while attack.queries < budget and not es.stop():
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                asked = es.ask()
            values: list[float] = []
            state["mean"] = np.clip(es.mean, 0.0, 1.0).tolist()
            for x in asked:
                if attack.queries >= budget:
                    break
                values.append(counted(np.clip(x, 0.0, 1.0).tolist()))
            if len(values) == len(asked):
                with warnings.catch_warnings():
                    warnings.simplefilter("ignore")
                    es.tell(asked, values)
        # A restart with a larger population (IPOP), from the best point seen.
        popsize = min(2 * popsize, 512)
        if attack.queries == before:  # a search that stopped at once: move on from elsewhere
            counted(rng.random(DIMENSION).tolist())
    result.queries = attack.queries
    result.seconds = time.perf_counter() - began
    result.elite = [p for _, p in sorted(attack.seen, key=lambda item: item[0])[:8]]
    # Points that passed when queried, spread over the whole search: the region the
    # attacker found, not only where it ended.
    passed = [p for value, p in attack.seen if value <= 0.0]
    result.passing = [passed[int(k)] for k in np.linspace(0, len(passed) - 1, min(len(passed), SPREAD)).round()]
    return result


def evasive_bots(pool: Pool, result: AttackResult, count: int, seed: int) -> list[Session]:
    """Bots to train on: the attacker's checkpoint picks, best points and passing points from
    the whole search, on the tuning people's scripts (never the held-out ones), new seeds."""
    points = [c.point for c in result.checkpoints] + result.elite + result.passing
    train = pool.train
    out: list[Session] = []
    for i in range(count):
        script, plan = train[(i * 7919) % len(train)]
        out.append(session(script, plan, decode(points[i % len(points)]), np.random.default_rng([seed, 6, i])))
    return out
