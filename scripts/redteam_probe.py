"""How well a detector fitted on humans and our red-team families alone catches the recorded
bots of the shared data: a stand-in for generators we have never seen.

    .venv/bin/python scripts/redteam_probe.py [--seed N] [--redteam DIR]

Humans are split in 5 folds; each fold's model (training.fit_forest: the trees and the
novelty gate) is fitted on the other humans and every red-team session, and scores its
humans and all recorded bots. The threshold flags 1 % of the out-of-fold human scores.
"""

import argparse
import pathlib

import numpy as np

from velmora_core import training

ROOT = pathlib.Path(__file__).resolve().parent.parent
SHARED = ROOT.parent / "shared/data"
GHOST = {f"ghost_cursor_{t}": "ghost_cursor" for t in ("fixed16ms", "fixed8ms", "libtimestamps")}


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--redteam", type=pathlib.Path, default=ROOT / "build/redteam")
    args = parser.parse_args()
    inputs = [str(SHARED / n) for n in ("human_sessions.jsonl", "human_sessions_more.jsonl", "bot_sessions.jsonl")]
    inputs += sorted(str(p) for p in args.redteam.glob("*.jsonl"))
    data = training.load(inputs, GHOST, jobs=1)
    recorded = {GHOST.get(s, s) for s in (line.split('"source":"', 1)[1].split('"', 1)[0]
                                          for line in open(inputs[2], encoding="utf-8"))}
    humans = np.flatnonzero(data.y == 0)
    red = np.flatnonzero((data.y == 1) & ~np.isin(data.family, sorted(recorded)))
    test = np.flatnonzero((data.y == 1) & np.isin(data.family, sorted(recorded)))
    human_scores = np.empty(len(humans))
    bot_scores = []
    for fold in training._split(len(humans), args.seed):
        train = np.concatenate([np.delete(humans, fold), red])
        score = training.scorer(training.fit_forest(data.x[train], data.y[train], args.seed, data.family[train]),
                                data.x.shape[1])
        human_scores[fold] = score(data.x[humans[fold]])
        bot_scores.append(score(data.x[test]))
    threshold = training.pick_threshold(human_scores, 0.01)
    caught = np.mean([s > threshold for s in bot_scores], axis=0)
    for family in sorted(recorded):
        print(f"{family:<28} {100 * caught[data.family[test] == family].mean():6.1f} %")
    print(f"{'all recorded bots':<28} {100 * caught.mean():6.1f} %  (humans flagged: "
          f"{100 * (human_scores > threshold).mean():.2f} %)")


if __name__ == "__main__":
    main()
