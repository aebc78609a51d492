"""Building the corpus: one JSONL file per family, the same bytes for the same seed."""

from __future__ import annotations

import json
import math
import zlib
from pathlib import Path
from typing import Any

import numpy as np

from .families import FAMILIES, Context, Family
from .script import Script, Session, build_script, load_humans

DATA_DIR = Path("../shared/data")
DEFAULT_HUMANS = (DATA_DIR / "human_sessions.jsonl", DATA_DIR / "human_sessions_more.jsonl")
DEFAULT_DIFFICULTY = (0.3, 1.0)


def family_rng(seed: int, family: str, index: int) -> np.random.Generator:
    """A generator per (seed, family, session): families stay independent of each other,
    so adding one leaves the others' output unchanged."""
    return np.random.default_rng([seed, zlib.crc32(family.encode()), index])


def scripts_from(sessions: list[Session]) -> list[Script]:
    """Scripts of the sessions that have pointer movement to follow."""
    scripts = [build_script(s, i) for i, s in enumerate(sessions)]
    return [s for s in scripts if s.moves]


def context_from(scripts: list[Script]) -> Context:
    return Context(strokes=tuple((s.index, st) for s in scripts for st in s.strokes))


def generate(family: Family, scripts: list[Script], ctx: Context, count: int, seed: int,
             difficulty: tuple[float, float] = DEFAULT_DIFFICULTY) -> list[Session]:
    order = np.random.default_rng([seed, zlib.crc32(family.name.encode())]).permutation(len(scripts))
    out: list[Session] = []
    for i in range(count):
        script = scripts[int(order[i % len(scripts)])]
        rng = family_rng(seed, family.name, i)
        level = float(rng.uniform(*difficulty))
        out.append(family.session(script, ctx, rng, level))
    return out


def _floats(value: Any) -> Any:
    """Numbers of the movement, click, scroll and key records as JSON floats, rounded so
    the text does not depend on the last bits of the arithmetic."""
    if isinstance(value, dict):
        return {k: (round(float(v), 3) if k in ("x", "y", "t", "duration_ms") and _number(v) else _floats(v))
                for k, v in value.items()}  # pyright: ignore[reportUnknownVariableType]
    if isinstance(value, list):
        return [_floats(v) for v in value]  # pyright: ignore[reportUnknownVariableType]
    return value


def _number(v: Any) -> bool:
    return isinstance(v, (int, float)) and not isinstance(v, bool) and math.isfinite(float(v))


def encode(session: Session) -> str:
    fixed: dict[str, Any] = {k: (_floats(v) if k != "browser" else v) for k, v in session.items()}
    return json.dumps(fixed, separators=(",", ":"), allow_nan=False)


def build(out: Path, per_family: int, seed: int, humans: list[Path],
          families: list[str] | None = None,
          difficulty: tuple[float, float] = DEFAULT_DIFFICULTY) -> dict[str, int]:
    scripts = scripts_from(load_humans(humans))
    if not scripts:
        raise ValueError("no human session with pointer movement to take scripts from")
    ctx = context_from(scripts)
    out.mkdir(parents=True, exist_ok=True)
    written: dict[str, int] = {}
    for name in families or list(FAMILIES):
        sessions = generate(FAMILIES[name], scripts, ctx, per_family, seed, difficulty)
        with (out / f"{name}.jsonl").open("w", encoding="utf-8", newline="\n") as handle:
            for session in sessions:
                handle.write(encode(session) + "\n")
        written[name] = len(sessions)
    return written
