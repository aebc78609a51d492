"""`python -m redteam attack` and `python -m redteam harden`."""

from __future__ import annotations

import argparse
import json
import sys
from pathlib import Path
from typing import Any, cast

from velmora_core.arguments import count as _positive
from velmora_core.batch.output_files import output_ready

from ..corpus import DEFAULT_HUMANS
from ..script import DataError
from .optimise import CHECKPOINTS, OBJECTIVES, PER_QUERY, AttackResult, Target, run_attack
from .pool import load_pool
from .rounds import EVASIVE, Settings, harden as run_rounds


def _share(text: str) -> float:
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a number: {text!r}") from None
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError("must be within 0..1")
    return value


def _common(cmd: argparse.ArgumentParser) -> None:
    cmd.add_argument("--budget", type=_positive, default=max(CHECKPOINTS),
                     help="queries the attacker may spend (default 10000)")
    cmd.add_argument("--per-query", type=_positive, default=PER_QUERY,
                     help=f"bot sessions judged per query (default {PER_QUERY})")
    cmd.add_argument("--humans", type=Path, nargs="+", default=list(DEFAULT_HUMANS),
                     help="human session files the scripts are taken from")


def add_commands(sub: Any) -> None:
    attack = sub.add_parser("attack", help="tune our adaptive bot against a model; print how many fresh bots pass")
    attack.add_argument("--model", type=Path, default=None, help="a model file (default: the bundled model)")
    attack.add_argument("--seed", type=int, default=1)
    attack.add_argument("--json", type=Path, default=None, help="also write the figures and picks here")
    attack.add_argument("--objective", choices=OBJECTIVES, default="verdict",
                        help="what the attacker tunes on: the verdict (checks, familiarity and score; the default) "
                             "or the score alone")
    _common(attack)

    harden = sub.add_parser("harden", help="adversarial training rounds, then the final model")
    harden.add_argument("bots", nargs="+", type=Path, metavar="BOTS",
                        help="labelled bot session files (the humans come from --humans)")
    harden.add_argument("-o", "--output", type=Path, required=True, help="the model file to write")
    harden.add_argument("--rounds", type=int, default=3, help="at most this many retrains on evasive bots")
    harden.add_argument("--stop-below", type=_share, default=0.3,
                        help="stop once the attacker's pass rate at the full budget is below this")
    harden.add_argument("--evasive", type=_positive, default=EVASIVE,
                        help="evasive bots added per round (default %(default)s)")
    harden.add_argument("--work", type=Path, default=Path("build/adversarial"),
                        help="folder for each round's evasive bots (JSONL)")
    harden.add_argument("--target-fpr", type=float, default=0.01)
    harden.add_argument("--seed", type=int, default=1)
    harden.add_argument("--family", action="append", default=[], metavar="SOURCE=FAMILY")
    _common(harden)


def _say(text: str) -> None:
    print(text, file=sys.stderr, flush=True)


def _table(result: AttackResult) -> str:
    lines = [f"{'queries':>8}  {'fresh bots that pass':>20}  {'not judged bot':>14}"]
    lines += [f"{c.queries:>8}  {100 * c.pass_rate:>18.1f} %  {100 * c.not_bot:>12.1f} %" for c in result.checkpoints]
    return "\n".join(lines)


def _attack(args: argparse.Namespace) -> int:
    from velmora_core.detect import Detector
    from velmora_core.records import Telemetry
    detector = Detector.default() if args.model is None else Detector.load(args.model)
    pool = load_pool(args.humans)
    name = "the bundled model" if args.model is None else str(args.model)
    print(f"Attacking {name} (threshold {detector.threshold:.6f}): {len(pool.train)} tuning scripts, "
          f"{len(pool.fresh)} held-out scripts; {args.per_query} sessions per query; seed {args.seed}; "
          f"tuned on the {args.objective}")
    target = Target(detector, args.objective)
    result = run_attack(target, pool, args.budget, args.seed, args.per_query, report=_say)
    print(_table(result))
    print(f"{result.queries} queries in {result.seconds:.0f} s")
    if args.json is not None:
        args.json.write_text(json.dumps({"model": name, "seed": args.seed, "per_query": args.per_query,
                                         "objective": args.objective,
                                         "checkpoints": [{"queries": c.queries, "pass_rate": c.pass_rate,
                                                          "not_bot": c.not_bot,
                                                          "point": c.point} for c in result.checkpoints]},
                                        indent=1) + "\n", encoding="utf-8")
    return 0


def _harden(args: argparse.Namespace) -> int:
    from velmora_core import training
    from velmora_core.detect import model_file
    if args.rounds < 0:
        raise ValueError("--rounds must be 0 or more")
    output_ready(str(args.output))
    pool = load_pool(args.humans)
    families = training.parse_families(args.family)
    humans = training.load([str(p) for p in args.humans], {}, jobs=1)
    bots = training.load([str(p) for p in args.bots], families, jobs=1)
    if int(humans.y.sum()) or not bots.y.all():
        raise ValueError("--humans files must hold only human lines and BOTS only bot lines")
    settings = Settings(rounds=args.rounds, stop_below=args.stop_below, budget=args.budget,
                        per_query=args.per_query, evasive=args.evasive, target_fpr=args.target_fpr,
                        seed=args.seed)
    model = run_rounds(humans, bots, pool, settings, args.work, _say)
    model_file.write(model, args.output)
    from velmora_core.detect.attack_record import format_record
    print(format_record(model.training) or "no adversarial record")
    _say(f"model written to {args.output}")
    return 0


def run(args: argparse.Namespace) -> int:
    try:
        return _attack(args) if args.command == "attack" else _harden(args)
    except (DataError, OSError, ValueError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
