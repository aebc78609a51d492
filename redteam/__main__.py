"""Command line: `python -m redteam list | build | check | consistency | devices | families | calibrated | attack |
harden`."""

from __future__ import annotations

import argparse
import sys
from pathlib import Path

from .attack import cli as attack_cli
from .corpus import DEFAULT_DIFFICULTY, DEFAULT_HUMANS, build, context_from, generate, scripts_from
from .families import FAMILIES
from .realism import format_table, separability, summary
from .script import DataError, Session, load_humans


def _difficulty(text: str) -> tuple[float, float]:
    try:
        parts = [float(p) for p in text.split(":")]
    except ValueError:
        raise argparse.ArgumentTypeError(f"difficulty must be a number or LO:HI, not {text!r}") from None
    if len(parts) == 1:
        parts = parts * 2
    if len(parts) != 2 or not 0.0 <= parts[0] <= parts[1] <= 1.0:
        raise argparse.ArgumentTypeError("difficulty must be within 0..1, as D or LO:HI with LO <= HI")
    return parts[0], parts[1]


def _families(text: str) -> list[str]:
    names = [n for n in text.split(",") if n]
    unknown = [n for n in names if n not in FAMILIES]
    if unknown:
        raise argparse.ArgumentTypeError(
            f"unknown family {', '.join(unknown)} (known: {', '.join(FAMILIES)})")
    return names


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="python -m redteam", description=__doc__)
    sub = parser.add_subparsers(dest="command", required=True)
    sub.add_parser("list", help="list the generator families")
    for name, text in (("build", "write one JSONL file per family"),
                       ("check", "print realism statistics of each family next to the humans")):
        cmd = sub.add_parser(name, help=text)
        if name == "build":
            cmd.add_argument("--out", type=Path, required=True, help="output folder")
        cmd.add_argument("--per-family", type=int, default=100 if name == "build" else 40,
                         help="sessions per family")
        cmd.add_argument("--seed", type=int, default=0)
        cmd.add_argument("--humans", type=Path, nargs="+", default=list(DEFAULT_HUMANS),
                         help="human session files the scripts are taken from")
        cmd.add_argument("--families", type=_families, default=None,
                         help="comma-separated subset of the families")
        cmd.add_argument("--difficulty", type=_difficulty, default=DEFAULT_DIFFICULTY,
                         help="difficulty D or range LO:HI, drawn per session (default 0.3:1)")
    cmd = sub.add_parser("consistency", help="the detector's consistency checks on the humans and on the "
                                             "families that break one check each")
    cmd.add_argument("--per-family", type=int, default=60, help="sessions per family")
    cmd.add_argument("--seed", type=int, default=0)
    cmd.add_argument("--humans", type=Path, nargs="+", default=list(DEFAULT_HUMANS))
    cmd.add_argument("--model", type=Path, default=None, help="a detector model file (default: the bundled one)")
    for name, text in (("devices", "held-out people as other devices report them, judged by out-of-fold models"),
                       ("families", "each bot family judged by out-of-fold models fitted without it, as the "
                                    "model judges"),
                       ("calibrated", "each human source left out and calibrated on half of its people; the other "
                                      "half as other devices report them")):
        cmd = sub.add_parser(name, help=text)
        cmd.add_argument("inputs", nargs="+", metavar="DATA",
                         help="labelled session files, as `velmora-core evaluate` reads")
        cmd.add_argument("--target-fpr", type=float, default=0.01)
        cmd.add_argument("--seed", type=int, default=1)
        cmd.add_argument("--family", action="append", default=[], metavar="SOURCE=FAMILY")
        cmd.add_argument("--no-variants", dest="variants", action="store_false",
                         help="fit without the people's half-rate variants (what they change)")
        cmd.add_argument("--model", default=None, metavar="FILE",
                         help="fit also on the bots of this model's basis that DATA lack, its adversarial "
                              "rounds', and judge as it does (default: the bundled model)")
    attack_cli.add_commands(sub)
    return parser


def main(argv: list[str] | None = None) -> int:
    args = _parser().parse_args(argv)
    if args.command == "list":
        for family in FAMILIES.values():
            print(f"{family.name:<18} {family.description}")
        return 0
    if args.command in ("attack", "harden"):
        return attack_cli.run(args)
    if args.command in ("devices", "families", "calibrated"):
        from velmora_core import training
        from .calibrated_devices import report as calibrated
        from .device_shift import report as devices
        from .held_out_families import report as families
        try:
            print({"devices": devices, "families": families, "calibrated": calibrated}[args.command](
                args.inputs, training.parse_families(args.family), args.target_fpr, args.seed, args.variants,
                args.model))
        except (OSError, ValueError) as error:
            print(f"error: {error}", file=sys.stderr)
            return 1
        return 0
    if args.per_family < 1:
        print("error: --per-family must be at least 1", file=sys.stderr)
        return 2
    try:
        if args.command == "consistency":
            from .consistency_report import report
            print(report(args.humans, args.per_family, args.seed, args.model))
            return 0
        if args.command == "build":
            written = build(args.out, args.per_family, args.seed, args.humans, args.families,
                            args.difficulty)
            for name, count in written.items():
                print(f"{args.out / (name + '.jsonl')}: {count} sessions")
            return 0
        humans = load_humans(args.humans)
        scripts = scripts_from(humans)
        ctx = context_from(scripts)
        rows: list[tuple[str, int, dict[str, float | None]]] = []
        for source in sorted({str(h.get("source")) for h in humans}):
            group: list[Session] = [h for h in humans if h.get("source") == source]
            rows.append((f"human:{source}", len(group), summary(group)))
        splits: list[tuple[str, int, dict[str, float | None]]] = []
        for name in args.families or list(FAMILIES):
            sessions = generate(FAMILIES[name], scripts, ctx, args.per_family, args.seed, args.difficulty)
            rows.append((name, len(sessions), summary(sessions)))
            splits.append((name, len(sessions), separability(humans, sessions)))
        print("Median per session:")
        print(format_table(rows))
        print("\nOne-statistic separability from all humans (folded ROC AUC; 0.5 = none, 1 = a tell):")
        print(format_table(splits))
        return 0
    except (DataError, OSError, ValueError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
