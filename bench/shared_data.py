"""Where the benchmarks find the recorded sessions: ../shared/data beside the repository
(a worktree beside it resolves the same way). The data is not part of the repository."""

import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
SHARED_DATA = ROOT.parent / "shared" / "data"


def missing_message(what: str, where: pathlib.Path) -> str:
    return (f"skipped: {what} is not in {where}; the recorded sessions are expected in "
            f"../shared/data beside the repository (or pass a path to point at them)")
