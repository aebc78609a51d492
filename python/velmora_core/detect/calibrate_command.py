"""`velmora-core calibrate SESSIONS... -o MODEL [--model BASE] [--target-fpr F]`: a model
fitted to a site's own users from its logged sessions (no labels; see calibration.py)."""

import argparse
import os
import sys
from functools import partial
from typing import Any

from velmora_core.batch import run
from velmora_core.batch.extraction import ChunkResult
from velmora_core.batch.output_files import output_ready
from velmora_core.detect import calibration, model_file, rows
from velmora_core.errors import BatchError, require_extra


class ReservoirSink:
    """Keeps a bounded sample of the sessions' rows, each with its variants' rows."""

    def __init__(self) -> None:
        self.sample = calibration.Reservoir()

    def write(self, result: ChunkResult) -> None:
        session: tuple[float, ...] | None = None
        variants: list[tuple[float, ...]] = []
        for row in result.rows:  # a session's row, then its variants'
            if row[1] != rows.VARIANT:
                if session is not None:
                    self.sample.add(session, variants)
                session, variants = row[2:], []
            else:
                variants.append(row[2:])
        if session is not None:
            self.sample.add(session, variants)

    def close(self) -> None:
        pass


def add_command(commands: Any, fpr: Any, common: Any) -> None:
    calibrate = commands.add_parser(
        "calibrate", help="fit the detector to a site's own sessions (no labels needed)",
        description="Read a site's logged sessions (JSON lines, mostly human, no labels), take from them what "
                    "the model considers familiar and its threshold, and write the calibrated model file.")
    calibrate.add_argument("inputs", nargs="+", metavar="SESSIONS")
    calibrate.add_argument("-o", "--output", required=True, metavar="MODEL", help="the model file to write (JSON)")
    calibrate.add_argument("--model", metavar="BASE", help="the model to calibrate (default: the bundled one)")
    calibrate.add_argument("--target-fpr", type=fpr, default=0.01,
                           help="share of the site's people the threshold may flag (default 0.01)")
    refit = calibrate.add_mutually_exclusive_group()
    refit.add_argument("--refit", dest="refit", action="store_true", default=None,
                       help="fit the trees again, or stop (exit 2) when that cannot be done (default: refit when "
                            "the 'train' extra is installed and the model carries its basis, else say so and keep them)")
    refit.add_argument("--no-refit", dest="refit", action="store_false",
                       help="keep the base model's trees (only its familiar ranges and threshold move)")
    common(calibrate)


def run_calibrate(args: argparse.Namespace) -> int:
    if args.refit:  # before any data are read
        require_extra("train", ("numpy", "lightgbm"), "calibrating with a refit of the trees (or --no-refit)")
    output_ready(args.output)
    try:
        base = rows.detector(args.model)
    except OSError as error:
        raise BatchError(f"cannot read the model {args.model}: {error.strerror or error}") from None
    except ValueError as error:
        raise BatchError(str(error)) from None
    refit = args.refit
    if refit is None:
        missing = calibration.refit_missing(base.model)
        if missing is not None:
            print(f"velmora-core: the trees are kept, not fitted again: {missing}", file=sys.stderr)
        refit = missing is None
    sink = ReservoirSink()
    summary = run(args.inputs, sink, jobs=args.jobs, strict=args.strict,
                  work=partial(rows.feature_chunk, variants=refit))
    if summary.stopped_at is not None:
        print(f"velmora-core: stopped at the first rejected line ({summary.stopped_at}, --strict); nothing written",
              file=sys.stderr)
        return 1
    what = {"inputs": [os.path.basename(p) for p in args.inputs], "base": args.model or "bundled"}
    try:
        model = calibration.calibrated_model(base, sink.sample, args.target_fpr, what, refit)
    except calibration.CalibrationError as error:
        raise BatchError(f"cannot calibrate: {error}") from None
    try:
        model_file.write(model, args.output)
    except OSError as error:
        raise BatchError(f"cannot write {args.output}: {error.strerror or error}") from None
    record = model.calibration or {}
    if not args.quiet or summary.rejected:
        print(f"velmora-core: calibrated on {record.get('used')} of {summary.written} sessions "
              f"({summary.rejected} lines rejected); threshold {base.threshold:.6f} -> {model.threshold:.6f}; "
              f"model written to {args.output}", file=sys.stderr)
    return 1 if summary.rejected else 0
