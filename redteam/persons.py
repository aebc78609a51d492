"""Who recorded each human session, and which people are held out.

A person is the recording's subject (the `origin` column of the manifest beside a human
file, e.g. `sapimouse:user12`); without a manifest every session is its own person. One
person in HOLD_EVERY (by crc32 of the name) is held out: the attacker is judged on their
scripts, adversarial rounds measure false positives on them, and the warp-replay family
takes its strokes from them.
"""

from __future__ import annotations

import zlib
from pathlib import Path

from velmora_core.people import manifest_people

HOLD_EVERY = 5


def persons_of(origins: list[tuple[str, int]]) -> list[str]:
    """The person of each (file, line); without a manifest, the file's name and the line."""
    by_file = {f: manifest_people(Path(f)) for f in {f for f, _ in origins}}
    return [by_file[f].get(line, f"{Path(f).name}:{line}") for f, line in origins]


def held_out(person: str) -> bool:
    return zlib.crc32(person.encode()) % HOLD_EVERY == 0
