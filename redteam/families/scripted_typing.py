"""Scripted typing: the human's keys, in the human's bursts, with generated timing (ex-Gaussian
flights with per-digraph effects, lognormal holds with per-key effects). The pointer is
moved by one of the path families, chosen per session."""

from __future__ import annotations

import math
import zlib
from dataclasses import dataclass
from typing import Any

import numpy as np

from ..sampler import plan_sampler
from ..script import Script, Session
from .base import Context, Family, PathFamily, assemble, follow_script, plan_hardening

# A pause this long between two keys starts a new burst; burst starts are the human's.
BURST_GAP_MS = 500.0


@dataclass(frozen=True)
class TypingPlan:
    flight_mu: float        # ex-Gaussian flight: normal part mean, ms
    flight_sigma: float     # normal part deviation, ms
    flight_tau: float       # exponential part mean, ms
    digraph_sd: float       # log spread of per-pair speed factors
    hold_median: float      # ms
    hold_sd: float          # log spread of holds
    key_sd: float           # log spread of per-key hold factors
    shift_ms: float         # extra time before a shifted character
    hesitation: float       # chance of a pause inside a burst


def plan_typing(rng: np.random.Generator, difficulty: float) -> TypingPlan:
    if difficulty < 0.25:
        return TypingPlan(float(rng.uniform(60.0, 140.0)), float(rng.uniform(1.0, 6.0)), 0.0,
                          0.0, float(rng.uniform(10.0, 60.0)), 0.02, 0.0, 0.0, 0.0)
    return TypingPlan(
        flight_mu=float(rng.uniform(70.0, 170.0)), flight_sigma=float(rng.uniform(10.0, 40.0)),
        flight_tau=float(rng.uniform(20.0, 110.0)) * difficulty,
        digraph_sd=float(rng.uniform(0.1, 0.35)) * difficulty,
        hold_median=float(rng.uniform(60.0, 115.0)), hold_sd=float(rng.uniform(0.1, 0.35)),
        key_sd=float(rng.uniform(0.05, 0.2)), shift_ms=float(rng.uniform(20.0, 90.0)),
        hesitation=float(rng.uniform(0.0, 0.08)) * difficulty)


def _factor(seed: int, text: str, sd: float) -> float:
    """A stable per-session lognormal factor for a key or key pair."""
    if sd <= 0.0:
        return 1.0
    local = np.random.default_rng([seed, zlib.crc32(text.encode())])
    return float(np.exp(local.normal(0.0, sd)))


def retime_keys(keys: list[dict[str, Any]], plan: TypingPlan,
                rng: np.random.Generator) -> list[dict[str, Any]]:
    """The same keys in the same order; each burst starts when the human's did and its
    timing is generated (compressed if it would run into the next burst)."""
    rows = sorted((float(k["t"]), i) for i, k in enumerate(keys) if "t" in k)
    if not rows:
        return [dict(k) for k in keys]
    seed = int(rng.integers(0, 2**31))
    bursts: list[list[int]] = []
    prev_t = -math.inf
    for t, i in rows:
        if t - prev_t > BURST_GAP_MS or not bursts:
            bursts.append([])
        bursts[-1].append(i)
        prev_t = t
    out = [dict(k) for k in keys]
    for b, burst in enumerate(bursts):
        begin = float(keys[burst[0]]["t"])
        limit = float(keys[bursts[b + 1][0]]["t"]) - 120.0 if b + 1 < len(bursts) else math.inf
        gaps = [0.0]
        for j in range(1, len(burst)):
            prev_key, key = str(keys[burst[j - 1]].get("key", "")), str(keys[burst[j]].get("key", ""))
            flight = rng.normal(plan.flight_mu, plan.flight_sigma)
            if plan.flight_tau > 0:
                flight += rng.exponential(plan.flight_tau)
            flight *= _factor(seed, prev_key + "\x00" + key, plan.digraph_sd)
            if len(key) == 1 and (key.isupper() or not key.isalnum()):
                flight += plan.shift_ms
            if rng.random() < plan.hesitation:
                flight += rng.uniform(150.0, 600.0)
            gaps.append(max(float(flight), 25.0))
        clock = np.cumsum(gaps)
        if begin + clock[-1] > limit and clock[-1] > 0:
            clock *= max(limit - begin, 0.0) / clock[-1]
        for j, i in enumerate(burst):
            key = str(keys[i].get("key", ""))
            hold = plan.hold_median * math.exp(float(rng.normal(0.0, plan.hold_sd)))
            hold *= _factor(seed + 1, key, plan.key_sd)
            out[i]["t"] = round(begin + float(clock[j]), 1)
            out[i]["duration_ms"] = round(max(hold, 15.0), 1)
    return out


class ScriptedTyping(Family):
    name = "scripted_typing"
    description = "copied keys with generated ex-Gaussian flights and lognormal holds; paths from another family"

    def __init__(self, movers: tuple[PathFamily, ...]) -> None:
        self.movers = movers

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float) -> Session:
        mover = self.movers[int(rng.integers(0, len(self.movers)))]
        sampler = plan_sampler(rng, difficulty)
        hard = plan_hardening(rng, difficulty)
        plan = mover.plan(rng, difficulty)
        movements = follow_script(mover, plan, script, ctx, rng, sampler, hard)
        keys = retime_keys(script.keystrokes, plan_typing(rng, difficulty), rng)
        return assemble(self.name, script, keys, movements)
