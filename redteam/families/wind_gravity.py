"""A wind-and-gravity physics model of our own: the pointer is pulled toward the target,
pushed by a randomly drifting wind, and its step is capped; each step takes about the same
time, so speed follows step length and falls as the pointer settles near the target."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script
from ..trajectory import FloatArray, fitts_duration
from .base import Context, PathFamily

MAX_STEPS = 4000


@dataclass(frozen=True)
class WindPlan:
    a: float
    b: float
    width: float
    gravity: float      # pull toward the target per step
    wind: float         # wind strength
    max_step: float     # step cap, px
    settle: float       # radius where the wind dies down and steps shrink, px
    wait_sd: float      # spread of the per-step time (share)
    smoothing: float    # 0: equal step times; 1: speed follows the local mean step length
    smooth_steps: int   # moving-average width over the physics steps (1: raw zigzag)
    envelope: float     # strength of the accelerate-cruise-decelerate bell (0: none)


class WindGravity(PathFamily):
    name = "wind_gravity"
    description = "physics of gravity toward the target plus drifting wind, step-capped, settling near the end"

    def plan(self, rng: np.random.Generator, difficulty: float) -> WindPlan:
        easy = difficulty < 0.25
        return WindPlan(
            a=float(rng.uniform(60.0, 200.0)), b=float(rng.uniform(90.0, 170.0)),
            width=float(rng.uniform(15.0, 80.0)),
            gravity=float(rng.uniform(5.0, 11.0)),
            wind=float(rng.uniform(0.5, 1.5)) if easy else float(rng.uniform(1.5, 5.0)),
            max_step=float(rng.uniform(8.0, 18.0)),
            settle=float(rng.uniform(8.0, 20.0)),
            wait_sd=0.0 if easy else float(rng.uniform(0.05, 0.25)),
            smoothing=0.0 if easy else float(rng.uniform(0.6, 1.0)),
            smooth_steps=1 if easy else int(rng.integers(3, 9)),
            envelope=0.0 if easy else float(rng.uniform(0.5, 1.0)))

    def duration(self, rng: np.random.Generator, plan: WindPlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def path(self, rng: np.random.Generator, plan: WindPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        px, py = start
        vx = vy = wx = wy = 0.0
        step_cap = plan.max_step * max(0.3, min(1.5, math.hypot(end[0] - px, end[1] - py) / 400.0))
        xs, ys = [px], [py]
        root3, root5 = math.sqrt(3.0), math.sqrt(5.0)
        noise = rng.uniform(-1.0, 1.0, (MAX_STEPS, 2))
        shrink = rng.uniform(3.0, 6.0, MAX_STEPS)
        cap_draw = rng.random(MAX_STEPS)
        for i in range(MAX_STEPS):
            dist = math.hypot(end[0] - px, end[1] - py)
            if dist < 1.0:
                break
            wind = min(plan.wind, dist)
            if dist >= plan.settle:
                wx = wx / root3 + noise[i, 0] * wind / root5
                wy = wy / root3 + noise[i, 1] * wind / root5
            else:
                wx, wy = wx / root3, wy / root3
                step_cap = max(step_cap / shrink[i] if step_cap >= 3.0 else 1.0 + cap_draw[i] * 2.0, 1.0)
            vx += wx + plan.gravity * (end[0] - px) / dist
            vy += wy + plan.gravity * (end[1] - py) / dist
            speed = math.hypot(vx, vy)
            if speed > step_cap:
                limited = step_cap / 2.0 + cap_draw[i] * step_cap / 2.0
                vx, vy = vx / speed * limited, vy / speed * limited
            px, py = px + vx, py + vy
            xs.append(px)
            ys.append(py)
        xs.append(end[0])
        ys.append(end[1])
        # A hand is a low-pass filter: the wind's step-to-step zigzag is smoothed away.
        if plan.smooth_steps > 1 and len(xs) > plan.smooth_steps + 2:
            kernel = np.ones(plan.smooth_steps) / plan.smooth_steps
            pad = (plan.smooth_steps // 2, plan.smooth_steps - 1 - plan.smooth_steps // 2)
            xs = list(np.convolve(np.pad(np.array(xs), pad, mode="edge"), kernel, mode="valid"))
            ys = list(np.convolve(np.pad(np.array(ys), pad, mode="edge"), kernel, mode="valid"))
            xs[0], ys[0] = start
            xs[-1], ys[-1] = end
        # Each physics step takes about the same time; the whole is fitted to the move.
        lengths = np.maximum(np.hypot(np.diff(xs), np.diff(ys)), 0.05)
        width = min(7, len(lengths))
        trend = np.convolve(np.pad(lengths, (width // 2, width - 1 - width // 2), mode="edge"),
                            np.ones(width) / width, mode="valid")
        waits = np.power(lengths / trend, plan.smoothing)
        # The arm speeds up from rest and slows into the target: a bell over the route.
        share = np.cumsum(lengths) / float(lengths.sum()) - 0.5 * lengths / float(lengths.sum())
        bell = 0.1 + np.sin(np.pi * np.clip(share, 0.0, 1.0)) ** 1.5
        waits = waits / np.power(bell, plan.envelope)
        if plan.wait_sd > 0:
            waits = waits * np.exp(rng.normal(0.0, plan.wait_sd, len(waits)))
        clock = np.concatenate([[0.0], np.cumsum(waits)])
        clock *= times[-1] / clock[-1]
        x = np.interp(times, clock, np.array(xs))
        y = np.interp(times, clock, np.array(ys))
        x[-1], y[-1] = end
        return x, y
