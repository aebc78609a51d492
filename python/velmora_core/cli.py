"""The `velmora-core` command (also `python -m velmora_core`).

    velmora-core features INPUT... -o OUTPUT   one feature row per session (Parquet, CSV, JSONL)
    velmora-core report HUMAN BOT -o DIR       how well each feature separates bots from humans
    velmora-core columns                       the output columns with their full names and units
    velmora-core train DATA... -o MODEL        fit the bot detector's model (the 'train' extra)
    velmora-core evaluate DATA...              its leave-one-family-out table, without writing a model
    velmora-core score DATA... -o OUT          the detector's score and verdict of every session
    velmora-core calibrate SESSIONS... -o MODEL the detector fitted to a site's own sessions

Exit status: 0 when every line was used, 1 when some line was rejected (or --strict stopped
the run), 2 when the run could not start or go on (bad arguments, unreadable input, unwritable
output, missing optional package), 130 when interrupted (Ctrl-C), 143 when terminated (SIGTERM).
"""

import argparse
import os
import signal
import sys
import threading
from collections.abc import Iterator, Sequence
from concurrent.futures import Executor
from contextlib import ExitStack, contextmanager
from types import FrameType

from velmora_core import __version__
from velmora_core.arguments import count
from velmora_core.batch import Summary, counted, default_jobs, extract_to_file
from velmora_core.detect.commands import COMMANDS as DETECT_COMMANDS, add_commands, run_command
from velmora_core.errors import BatchError
from velmora_core.feature_info import FEATURE_INFO
from velmora_core.batch.inputs import MAX_LINE_BYTES
from velmora_core.batch.writers import FORMATS

_UNITS = {"": 1, "K": 1 << 10, "M": 1 << 20, "G": 1 << 30}


def _bytes(text: str) -> int:
    """A size in bytes, with an optional K, M or G (binary multiples): 64M."""
    unit = text[-1:].upper() if text[-1:].upper() in _UNITS else ""
    try:
        value = int(text[:len(text) - len(unit)]) * _UNITS[unit]
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a size: {text!r} (a number of bytes, or with K, M or G)") from None
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value


def _add_run_options(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("-j", "--jobs", type=count, default=None,
                        help=f"worker processes (default: every core, here {default_jobs()})")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="run on an existing Dask cluster (tcp://host:8786); needs the 'dask' extra")
    parser.add_argument("--strict", action="store_true", help="stop at the first rejected line")
    parser.add_argument("--max-line-bytes", type=_bytes, default=MAX_LINE_BYTES, metavar="SIZE",
                        help=f"reject longer lines without reading them into memory (K, M, G suffixes; "
                             f"default {MAX_LINE_BYTES >> 20}M)")
    parser.add_argument("-q", "--quiet", action="store_true",
                        help="no progress bar and no summary unless a line was rejected")


def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="velmora-core", description="Offline feature extraction and evaluation.")
    parser.add_argument("--version", action="version", version=f"%(prog)s {__version__}")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    features = commands.add_parser(
        "features", help="extract the 39 features of every session (one JSON object per line)",
        description="Read JSON-lines telemetry (- for stdin; .gz and .zst decompressed) and write one row "
                    "per session: file, line, any --keep keys, then the 39 features in record order.")
    features.add_argument("inputs", nargs="+", metavar="INPUT")
    features.add_argument("-o", "--output", required=True,
                          help="output file: .parquet, .csv or .jsonl (- for stdout with --format csv/jsonl)")
    features.add_argument("--format", choices=FORMATS, help="output format (default: from the suffix)")
    features.add_argument("--keep", action="append", default=[], metavar="KEY",
                          help="also copy this top-level key of each line into a column (repeatable)")
    _add_run_options(features)

    report = commands.add_parser(
        "report", help="ROC AUC, histograms and ROC curves of every feature, bots against humans",
        description="Write PNG figures and a self-contained index.html ranking the features by how well "
                    "they separate bot sessions from human ones.")
    report.add_argument("inputs", nargs="+", metavar="INPUT",
                        help="HUMAN.jsonl BOT.jsonl, or any files whose lines carry --label-key")
    report.add_argument("-o", "--output", required=True, metavar="DIR")
    report.add_argument("--label-key", metavar="KEY",
                        help='take each line\'s class from this key ("human" or "bot") instead of the file order')
    report.add_argument("--top", type=count, default=6, help="features drawn in the ROC figure (default 6)")
    report.add_argument("--model", metavar="MODEL",
                        help="add a section on this detector model (a file from `velmora-core train`, "
                             "or 'default' for the bundled one)")
    _add_run_options(report)

    commands.add_parser("columns", help="list the output columns with their full names and units")
    add_commands(commands)
    return parser


def _cluster(stack: ExitStack, address: str | None) -> Executor | None:
    if address is None:
        return None
    from velmora_core.batch.cluster import cluster_executor
    return stack.enter_context(cluster_executor(address))


def _print_summary(summary: Summary, output: str, quiet: bool) -> None:
    if summary.stopped_at is not None:
        print(f"velmora-core: stopped at the first rejected line ({summary.stopped_at}, --strict); "
              f"nothing written", file=sys.stderr)
        return
    if quiet and not summary.rejected:
        return
    rate = summary.read / summary.seconds if summary.seconds > 0 else 0.0
    print(f"velmora-core: read {counted(summary.read, 'line')}, wrote {counted(summary.written, 'row')}, "
          f"rejected {summary.rejected} ({summary.seconds:.2f} s, {rate:,.0f} lines/s) -> {output}", file=sys.stderr)


def _features(args: argparse.Namespace) -> int:
    with ExitStack() as stack:
        executor = _cluster(stack, args.scheduler)
        summary = extract_to_file(args.inputs, args.output, fmt=args.format, jobs=args.jobs, keep=args.keep,
                                  strict=args.strict, executor=executor, max_line_bytes=args.max_line_bytes,
                                  progress=not args.quiet and sys.stderr.isatty())
    _print_summary(summary, args.output, args.quiet)
    return 1 if summary.rejected or summary.stopped_at else 0


def _report(args: argparse.Namespace) -> int:
    from velmora_core.report import write_report
    with ExitStack() as stack:
        executor = _cluster(stack, args.scheduler)
        result = write_report(args.inputs, args.output, label_key=args.label_key, jobs=args.jobs,
                              strict=args.strict, executor=executor, top=args.top,
                              max_line_bytes=args.max_line_bytes,
                              progress=not args.quiet and sys.stderr.isatty(), model=args.model)
    _print_summary(result.summary, args.output, args.quiet)
    if result.summary.stopped_at is None:
        print(f"velmora-core: report on {result.humans} human and {result.bots} bot sessions: "
              f"{result.index}", file=sys.stderr)
    return 1 if result.summary.rejected or result.summary.stopped_at or result.unlabelled else 0


def _columns() -> int:
    width = max(map(len, FEATURE_INFO))
    print(f"{'file':<{width}}  input file as named on the command line")
    print(f"{'line':<{width}}  line number in that file (1-based)")
    for name, info in FEATURE_INFO.items():
        print(f"{name:<{width}}  {info.title} [{info.unit}]")
    return 0


class Terminated(KeyboardInterrupt):
    """SIGTERM (kill, timeout, a service manager): stopped and cleaned up as for Ctrl-C."""


def _terminate(signum: int, frame: FrameType | None) -> None:
    raise Terminated


@contextmanager
def _terminate_like_interrupt() -> Iterator[None]:
    if threading.current_thread() is not threading.main_thread():
        yield  # only the main thread can take signals
        return
    previous = signal.signal(signal.SIGTERM, _terminate)
    try:
        yield
    finally:
        signal.signal(signal.SIGTERM, previous)


def main(argv: Sequence[str] | None = None) -> int:
    args = build_parser().parse_args(argv)
    try:
        with _terminate_like_interrupt():
            if args.command == "features":
                return _features(args)
            if args.command == "report":
                return _report(args)
            if args.command in DETECT_COMMANDS:
                return run_command(args)
            return _columns()
    except BatchError as error:
        print(f"velmora-core: {error}", file=sys.stderr)
        return 2
    except Terminated:
        print("velmora-core: terminated; nothing written", file=sys.stderr)
        return 143
    except KeyboardInterrupt:
        print("velmora-core: interrupted; nothing written", file=sys.stderr)
        return 130
    except BrokenPipeError:
        # The reader of stdout went away (`| head`): stop quietly, as other tools do.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 141


if __name__ == "__main__":
    sys.exit(main())
