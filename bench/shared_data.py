"""Where the benchmarks find the recorded sessions: ../shared/data beside the repository
(a worktree beside it resolves the same way). The data is not part of the repository."""

import json
import pathlib
import time
from typing import Any, Callable

ROOT = pathlib.Path(__file__).resolve().parent.parent
SHARED_DATA = ROOT.parent / "shared" / "data"


def missing_message(what: str, where: pathlib.Path) -> str:
    return (f"skipped: {what} is not in {where}; the recorded sessions are expected in "
            f"../shared/data beside the repository (or pass a path to point at them)")


def session_lines(folder: pathlib.Path) -> list[str]:
    """Every line of folder/*.jsonl; exits with the missing-data message when there is none."""
    lines = [line for path in sorted(folder.glob("*.jsonl")) for line in path.open()]
    if not lines:
        raise SystemExit(missing_message("a session file (*.jsonl)", folder))
    return lines


def parsed(lines: list[str]) -> list[dict[str, Any]]:
    return [json.loads(line) for line in lines]


def per_call_us(fn: Callable[[Any], object], argument: Any, repeats: int) -> float:
    """Microseconds per call of fn(argument): the best of 5 rounds of repeats calls."""
    best = float("inf")
    for _ in range(5):
        start = time.perf_counter()
        for _ in range(repeats):
            fn(argument)
        best = min(best, (time.perf_counter() - start) / repeats)
    return best * 1e6
