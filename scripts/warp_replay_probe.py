"""warp_replay held out of the fit, with the people whose strokes it replays held out too.

    .venv/bin/python scripts/warp_replay_probe.py [--seed N] [--redteam DIR]

`make evaluate` leaves the family out, but its humans include other sessions of the people
whose strokes the family replays. Here the fit also leaves out every session of the people
redteam.persons holds out (the stroke library's people): humans of the other people split
in 5 folds, each fold's model fitted on the other humans and every other bot family. The
threshold flags 1 % of the out-of-fold human scores; the held-out people's own sessions
show what that threshold does to people the fit never saw.
"""

import argparse
import pathlib
import sys

import numpy as np

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT))

from redteam.persons import held_out, persons_of  # noqa: E402
from redteam.script import load_humans_traced  # noqa: E402
from velmora_core import training  # noqa: E402

SHARED = ROOT.parent / "shared/data"
GHOST = {f"ghost_cursor_{t}": "ghost_cursor" for t in ("fixed16ms", "fixed8ms", "libtimestamps")}
FAMILY = "warp_replay"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--redteam", type=pathlib.Path, default=ROOT / "build/redteam")
    args = parser.parse_args()
    human_files = [SHARED / "human_sessions.jsonl", SHARED / "human_sessions_more.jsonl"]
    _, origins = load_humans_traced(human_files)
    held = np.array([held_out(p) for p in persons_of(origins)])
    humans = training.load([str(p) for p in human_files], {}, jobs=1)
    bot_files = [str(SHARED / "bot_sessions.jsonl")] + sorted(str(p) for p in args.redteam.glob("*.jsonl"))
    bots = training.load(bot_files, GHOST, jobs=1)
    if len(humans.y) != len(held) or FAMILY not in bots.families:
        raise SystemExit(f"need every human line usable and {FAMILY}.jsonl in {args.redteam} (make redteam-corpus)")
    fit_h = np.flatnonzero(~held)
    others = np.flatnonzero(bots.family != FAMILY)
    replay = bots.x[bots.family == FAMILY]
    features = humans.x.shape[1]
    oof = np.empty(len(fit_h))
    replay_scores, held_scores = [], []
    for fold in training._split(len(fit_h), args.seed):
        train_h = np.delete(fit_h, fold)
        x = np.concatenate([humans.x[train_h], bots.x[others]])
        y = np.concatenate([np.zeros(len(train_h), dtype=np.int64), bots.y[others]])
        fam = np.concatenate([humans.family[train_h], bots.family[others]])
        score = training.scorer(training.fit_forest(x, y, args.seed, fam), features)
        oof[fold] = score(humans.x[fit_h[fold]])
        replay_scores.append(score(replay))
        held_scores.append(score(humans.x[held]))
    threshold = training.pick_threshold(oof, 0.01)
    caught = float(np.mean([(s > threshold).mean() for s in replay_scores]))
    flagged = float(np.mean([(s > threshold).mean() for s in held_scores]))
    print(f"{FAMILY}: {len(replay)} bots, {100 * caught:.1f} % caught, AUC "
          f"{training.auc(oof, np.mean(replay_scores, axis=0)):.4f}; held-out people's sessions flagged "
          f"{100 * flagged:.2f} % ({int(held.sum())} sessions); fit humans {len(fit_h)}")


if __name__ == "__main__":
    main()
