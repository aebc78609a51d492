"""The detector's commands of `velmora-core`: train, evaluate and score.

    velmora-core train DATA... -o MODEL [--target-fpr 0.01] [--seed N] [--family SOURCE=FAMILY]
    velmora-core evaluate DATA... [--target-fpr 0.01] [--seed N] [--family SOURCE=FAMILY] [--model MODEL]
    velmora-core score DATA... [--model MODEL] [--memory] -o OUT.csv|OUT.jsonl
    velmora-core calibrate SESSIONS... -o MODEL [--model BASE] [--target-fpr F]
"""

import argparse
import os
import sys
from collections.abc import Callable, Sequence
from functools import partial
from typing import IO, Any, Final

from velmora_core.arguments import count
from velmora_core.batch import Summary, counted, run
from velmora_core.detect import rows
from velmora_core.detect.rows import SCORE_COLUMNS
from velmora_core.errors import BatchError, require_extra
from velmora_core.batch.inputs import display_name
from velmora_core.batch.output_files import output_ready, replacing, write_error
from velmora_core.batch.writers import format_for, stream_sink

COMMANDS: Final = ("train", "evaluate", "score", "calibrate")
SCORE_FORMATS: Final = ("csv", "jsonl")


def _fpr(text: str) -> float:
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a number: {text!r}") from None
    if not 0.0 <= value < 1.0:
        raise argparse.ArgumentTypeError("must be at least 0 and below 1 (0.01 is 1 %)")
    return value


def _seed(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if not 0 <= value < 2**31 - 1:  # LightGBM's seed is a C int; the bots' folds use seed + 1
        raise argparse.ArgumentTypeError("must be from 0 to 2147483646")
    return value


def _common(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("-j", "--jobs", type=count, default=None, help="worker processes (default: every core)")
    parser.add_argument("--strict", action="store_true", help="stop at the first rejected line")
    parser.add_argument("-q", "--quiet", action="store_true", help="no summary unless a line was rejected")


def _fitting(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("inputs", nargs="+", metavar="DATA",
                        help='JSON lines with "label" ("human" or "bot") and "source" on every line')
    parser.add_argument("--target-fpr", type=_fpr, default=0.01,
                        help="share of human sessions the threshold may flag (default 0.01)")
    parser.add_argument("--seed", type=_seed, default=0, help="seed of the folds and the fit (default 0)")
    parser.add_argument("--family", action="append", default=[], metavar="SOURCE=FAMILY",
                        help="count bot source SOURCE as part of FAMILY when leaving families out (repeatable; "
                             "default: each source is its own family)")
    _common(parser)


def add_commands(commands: Any) -> None:
    """Adds the three commands to the parser's subcommands (add_subparsers' result)."""
    train = commands.add_parser(
        "train", help="fit the bot detector's model on labelled sessions",
        description="Compute every session's features, fit a tree ensemble, choose the threshold that keeps "
                    "false positives at --target-fpr on out-of-fold human scores, and write the model file. "
                    "Prints the cross-validated AUC and the leave-one-family-out table.")
    _fitting(train)
    train.add_argument("-o", "--output", required=True, metavar="MODEL", help="the model file to write (JSON)")

    evaluate = commands.add_parser(
        "evaluate", help="the leave-one-family-out table of a fit, without writing a model",
        description="What `train` prints, for the same inputs and options, without the final fit.")
    _fitting(evaluate)
    evaluate.add_argument("--model", metavar="MODEL", help="also print the adversarial rounds recorded in this model "
                                                           "file (default: the model shipped with the package)")

    score = commands.add_parser(
        "score", help="score every session with the detector (one row per line)",
        description="Write file, line, score (0 to 1, higher is more bot-like) and verdict (human, unsure or "
                    "bot, as Detector.verdict decides) for every session, in input order.")
    score.add_argument("inputs", nargs="+", metavar="DATA")
    score.add_argument("--model", metavar="MODEL", help="a file written by `velmora-core train` "
                                                         "(default: the model shipped with the package)")
    score.add_argument("-o", "--output", required=True, help="output file: .csv or .jsonl (- for stdout with --format)")
    score.add_argument("--format", choices=SCORE_FORMATS, help="output format (default: from the suffix)")
    score.add_argument("--memory", action="store_true",
                       help="also call a session a bot when its strokes replay earlier lines' (one in-process "
                            "stroke memory, lines judged in input order in this process)")
    _common(score)
    from velmora_core.detect import calibrate_command
    calibrate_command.add_command(commands, _fpr, _common)


def _say(text: str) -> None:
    print(f"velmora-core: {text}", file=sys.stderr)


def _progress(quiet: bool) -> Callable[[str], None] | None:
    """Where the fit reports each step: stderr lines, or on a terminal that also shows stdout one
    line overwritten in place, so the table printed at the end is not shown twice."""
    if quiet:
        return None
    if sys.stdout.isatty() and sys.stderr.isatty():
        return lambda text: print(f"\r\x1b[Kvelmora-core: {text}", end="", file=sys.stderr, flush=True)
    return _say


def _read_summary(summary: Summary, quiet: bool, output: str) -> None:
    if summary.stopped_at is not None:
        _say(f"stopped at the first rejected line ({summary.stopped_at}, --strict); nothing written")
    elif not quiet or summary.rejected:
        _say(f"read {counted(summary.read, 'line')}, used {summary.written}, rejected {summary.rejected} "
             f"({summary.seconds:.2f} s) -> {output}")


def _fit(args: argparse.Namespace, write: bool) -> int:
    require_extra("train", ("numpy", "lightgbm"), "training a model")  # before the data are read
    from velmora_core import training
    from velmora_core.detect import model_file
    families = training.parse_families(args.family)
    if write:
        output_ready(args.output)
    data = training.load(args.inputs, families, jobs=args.jobs, strict=args.strict)
    _read_summary(data.summary, args.quiet, args.output if write else "evaluation")
    if data.summary.stopped_at is not None:
        return 1
    report = _progress(args.quiet)
    if write:
        model = training.train(data, args.target_fpr, args.seed, report)
        summary = model.training
        model_file.write(model, args.output)
    else:
        summary = training.evaluate(data, args.target_fpr, args.seed, report)
    if report is not None and report is not _say:
        print("\r\x1b[K", end="", file=sys.stderr, flush=True)  # the progress line gives way to the table
    cv = summary["cross_validation"]
    print(f"Sessions: {summary['sessions']['human']} human, {summary['sessions']['bot']} bot "
          f"({len(summary['families'])} bot families); seed {args.seed}")
    print(f"Cross-validated AUC {cv['auc']:.4f}; threshold {cv['threshold']:.6f}: "
          f"{100 * cv['false_positive_rate']:.2f} % of humans judged bot ({100 * cv['humans_unsure']:.1f} % unsure), "
          f"{100 * cv['caught']:.1f} % of bots judged bot ({100 * cv['bots_unsure']:.1f} % unsure)")
    print("Humans by source (each person judged by models fitted without them): " + "; ".join(
        f"{source} {100 * got['bot']:.2f} % bot, {100 * got['unsure']:.1f} % unsure"
        for source, got in cv["humans_by_source"].items()))
    if summary["leave_one_family_out"]:
        print(training.format_table(summary["leave_one_family_out"], args.target_fpr))
    else:
        print("Leave-one-family-out: needs at least two bot families")
    if summary.get("leave_one_human_source_out"):
        print(training.format_source_table(summary["leave_one_human_source_out"]))
    if not write:
        _print_adversarial(args.model)
    if write:
        _say(f"model written to {args.output}")
    return 1 if data.summary.rejected else 0


def _print_adversarial(path: str | None) -> None:
    """The adversarial rounds recorded in the model file at path (the bundled model without one)."""
    from velmora_core.detect.attack_record import format_record
    name = path or "the bundled model"
    try:
        table = format_record(rows.detector(path).training)
    except (OSError, ValueError) as error:  # the evaluation itself stands; say why the record is missing
        print(f"Adversarial rounds: cannot read {name}: {error}")
        return
    print(table if table is not None else f"Adversarial rounds: none recorded in {name}")


def score_to_file(inputs: Sequence[str], output: str, model: str | None, *, fmt: str | None = None,
                  jobs: int | None = None, strict: bool = False, errors: IO[str] | None = None,
                  memory: bool = False) -> Summary:
    """One row (file, line, score, verdict) per session, written through a temporary file.

    With memory, one stroke memory judges the lines in input order, in this process."""
    fmt = format_for(output, fmt, SCORE_FORMATS)
    if fmt not in SCORE_FORMATS:
        raise BatchError(f"scores are written as CSV or JSONL, not {fmt}")
    try:
        rows.detector(model)  # loaded before the workers fork, and refused before any reading
    except OSError as error:
        name = "the bundled model" if model is None else f"the model {model}"
        raise BatchError(f"cannot read {name}: {error.strerror or error}") from None
    except ValueError as error:
        raise BatchError(str(error)) from None
    work = partial(rows.score_chunk, model=model, encoding=fmt)
    if memory:
        from velmora_core.detect.stroke_memory import StrokeMemory
        work, jobs = partial(rows.score_chunk, model=model, encoding=fmt, memory=StrokeMemory()), 1
    if output == "-":
        sink = stream_sink(sys.stdout.buffer, fmt, SCORE_COLUMNS, "standard output")
        summary = run(inputs, sink, jobs=jobs, strict=strict, errors=errors, work=work)
        sink.close()
        return summary
    if os.path.exists(output) and not os.path.isfile(output) and not os.path.isdir(output):
        # A device or a pipe (/dev/null, a FIFO): written in place, as by `features`.
        try:
            stream = open(output, "wb")
        except OSError as error:
            raise write_error(output, error) from None
        with stream:
            sink = stream_sink(stream, fmt, SCORE_COLUMNS, display_name(output))
            summary = run(inputs, sink, jobs=jobs, strict=strict, errors=errors, work=work)
            sink.close()
        return summary
    with replacing(output) as target:
        sink = stream_sink(target.stream, fmt, SCORE_COLUMNS, display_name(output))
        summary = run(inputs, sink, jobs=jobs, strict=strict, errors=errors, work=work)
        sink.close()
        if summary.stopped_at is None:
            target.commit()
    return summary


def _score(args: argparse.Namespace) -> int:
    summary = score_to_file(args.inputs, args.output, args.model, fmt=args.format, jobs=args.jobs,
                            strict=args.strict, memory=args.memory)
    _read_summary(summary, args.quiet, args.output)
    return 1 if summary.rejected or summary.stopped_at else 0


def run_command(args: argparse.Namespace) -> int:
    if args.command == "score":
        return _score(args)
    if args.command == "calibrate":
        from velmora_core.detect import calibrate_command
        return calibrate_command.run_calibrate(args)
    return _fit(args, write=args.command == "train")
