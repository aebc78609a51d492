"""Building the corpus: one JSONL file per family, the same bytes for the same seed."""

from __future__ import annotations

import csv
import json
import math
import zlib
from pathlib import Path
from typing import Any

import numpy as np

from .families import FAMILIES, Context, Family
from .persons import held_out, persons_of
from .script import Script, Session, build_script, load_humans_traced

DATA_DIR = Path("../shared/data")
DEFAULT_HUMANS = (DATA_DIR / "human_sessions.jsonl", DATA_DIR / "human_sessions_more.jsonl")
DEFAULT_DIFFICULTY = (0.3, 1.0)
MANIFEST_COLUMNS = ("family", "line", "human_file", "human_line", "human_source", "difficulty",
                    "sampler", "mover")


def family_rng(seed: int, family: str, index: int) -> np.random.Generator:
    """A generator per (seed, family, session): families stay independent of each other,
    so adding one leaves the others' output unchanged."""
    return np.random.default_rng([seed, zlib.crc32(family.encode()), index])


def scripts_from(sessions: list[Session]) -> list[Script]:
    """Scripts of the sessions that have pointer movement to follow."""
    scripts = [build_script(s, i) for i, s in enumerate(sessions)]
    return [s for s in scripts if s.moves]


def context_from(scripts: list[Script], held: list[bool] | None = None) -> Context:
    """The strokes of every script; the library: those of held-out people's SapiMouse
    sessions (`held[index]`), or, without that split, none (warp_replay then takes every
    stroke of the other sessions)."""
    strokes = tuple((s.index, st) for s in scripts for st in s.strokes)
    library = tuple((s.index, st) for s in scripts if held is not None and held[s.index]
                    and s.source == "sapimouse" for st in s.strokes)
    return Context(strokes=strokes, library=library)


def generate(family: Family, scripts: list[Script], ctx: Context, count: int, seed: int,
             difficulty: tuple[float, float] = DEFAULT_DIFFICULTY,
             notes: list[dict[str, str]] | None = None) -> list[Session]:
    """`count` sessions; `notes`, if given, receives per session the script's index, the
    difficulty and the settings drawn."""
    order = np.random.default_rng([seed, zlib.crc32(family.name.encode())]).permutation(len(scripts))
    out: list[Session] = []
    for i in range(count):
        script = scripts[int(order[i % len(scripts)])]
        rng = family_rng(seed, family.name, i)
        level = float(rng.uniform(*difficulty))
        note: dict[str, str] = {"script": str(script.index), "difficulty": f"{level:.3f}"}
        out.append(family.session(script, ctx, rng, level, note))
        if notes is not None:
            notes.append(note)
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
    sessions_in, origins = load_humans_traced(humans)
    scripts = scripts_from(sessions_in)
    if not scripts:
        raise ValueError("no human session with pointer movement to take scripts from")
    ctx = context_from(scripts, [held_out(p) for p in persons_of(origins)])
    out.mkdir(parents=True, exist_ok=True)
    written: dict[str, int] = {}
    rows: list[list[str]] = []
    for name in families or list(FAMILIES):
        notes: list[dict[str, str]] = []
        sessions = generate(FAMILIES[name], scripts, ctx, per_family, seed, difficulty, notes)
        with (out / f"{name}.jsonl").open("w", encoding="utf-8", newline="\n") as handle:
            for session in sessions:
                handle.write(encode(session) + "\n")
        for line, note in enumerate(notes, 1):
            human = int(note["script"])
            rows.append([name, str(line), origins[human][0], str(origins[human][1]),
                         str(sessions_in[human].get("source", "")), note["difficulty"],
                         note.get("sampler", ""), note.get("mover", "")])
        written[name] = len(sessions)
    # Which human script drove each line: keep a bot and its script's human on the same
    # side of a train/test split.
    with (out / "manifest.csv").open("w", encoding="utf-8", newline="") as handle:
        writer = csv.writer(handle, lineterminator="\n")
        writer.writerow(MANIFEST_COLUMNS)
        writer.writerows(rows)
    return written
