"""Dispatched events: a path from one of the path families (chosen per session), sent by
the bot's own timer loop instead of arriving through a mouse and the browser's frames, as
automation tools that replay a generated point list do. Keys are copied."""

from __future__ import annotations

import numpy as np

from ..sampler import plan_timer
from ..script import Script, Session
from .base import Context, Family, PathFamily, assemble, describe_sampler, follow_script, plan_hardening


class Dispatched(Family):
    name = "dispatched"
    description = "a path family's paths sent by a timer loop (sleep + scheduler delay), not by a mouse"

    def __init__(self, movers: tuple[PathFamily, ...]) -> None:
        self.movers = movers

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        mover = self.movers[int(rng.integers(0, len(self.movers)))]
        sampler = plan_timer(rng, difficulty)
        if notes is not None:
            notes["sampler"] = describe_sampler(sampler)
            notes["mover"] = mover.name
        hard = plan_hardening(rng, difficulty)
        plan = mover.plan(rng, difficulty)
        movements = follow_script(mover, plan, script, ctx, rng, sampler, hard)
        return assemble(self.name, script, script.keystrokes, movements)
