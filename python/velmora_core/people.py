"""Who recorded each session: the manifest beside a session file.

A file `X.jsonl` (or `X.jsonl.gz`, `X.jsonl.zst`) may have `X_manifest.csv` beside it, with
a `line` column (1-based) and an `origin` column whose part before the first "/" names the
recording's subject, e.g.
`sapimouse:user12/session_3min.csv#moves[1655:2083]`. One person's sessions, often slices of
one recording, share far more than two people's do: an estimate that fits on some of them
and judges the others measures people the model already knows, not new users.
"""

import csv
from pathlib import Path


def manifest_people(path: Path) -> dict[int, str]:
    """Line number (1-based) -> person, from the manifest beside a session file (if any);
    `X.jsonl.gz` and `X.jsonl.zst` have the manifest of `X.jsonl`."""
    plain = Path(path.name.removesuffix(".gz").removesuffix(".zst"))
    manifest = path.with_name(plain.stem + "_manifest.csv")
    if not manifest.is_file():
        return {}
    out: dict[int, str] = {}
    with manifest.open(encoding="utf-8", newline="") as handle:
        for row in csv.DictReader(handle):
            origin = row.get("origin") or ""
            line = row.get("line") or ""
            if origin and line.isdigit():
                out[int(line)] = origin.split("/", 1)[0]
    return out
