"""The human scripts the attacker works from, split by person.

The attacker tunes on one part of the people and is judged on fresh bots that follow the
others' scripts (redteam.persons says who is held out). Adversarial training uses the same
split: its models never see the held-out people, whose sessions then measure the human
false-positive rate per round.
"""

from __future__ import annotations

from dataclasses import dataclass
from pathlib import Path

from ..corpus import scripts_from
from ..persons import held_out, persons_of
from ..script import Script, Session, load_humans_traced
from .generator import Plan, plan_of


@dataclass(frozen=True)
class Pool:
    sessions: list[Session]            # every human session read
    origins: list[tuple[str, int]]     # (file, 1-based line) of each
    persons: list[str]                 # the person of each
    held: list[bool]                   # whether the session's person is held out
    train: list[tuple[Script, Plan]]   # scripts of the other people, for the attacker's queries
    fresh: list[tuple[Script, Plan]]   # scripts of the held-out people, for judging


def load_pool(paths: list[Path]) -> Pool:
    """The human sessions of `paths`, their people and the two script sets.

    DataError when a file is missing or unreadable; ValueError when either side of the
    split has no session with pointer movement."""
    sessions, origins = load_humans_traced(paths)
    persons = persons_of(origins)
    held = [held_out(p) for p in persons]
    scripts = scripts_from(sessions)
    train = [(s, plan_of(s)) for s in scripts if not held[s.index]]
    fresh = [(s, plan_of(s)) for s in scripts if held[s.index]]
    if not train or not fresh:
        raise ValueError("the human data give no scripts on one side of the person split "
                         f"({len(train)} to tune on, {len(fresh)} held out)")
    return Pool(sessions, origins, persons, held, train, fresh)
