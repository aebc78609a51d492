"""Chunk workers of the detector's commands: lines of telemetry to scored or labelled rows.

They run in the batch runner's worker processes (velmora_core.batch.run), so they are
plain module functions taking picklable arguments.
"""

import json
from collections.abc import Iterator, Sequence
from functools import cache
from typing import Final, cast

import orjson

from velmora_core.detect import Detector, feature_set
from velmora_core.detect.stroke_memory import StrokeMemory, evidence, stroke_prints_json
from velmora_core.detect.variants import variant_rows
from velmora_core.batch.extraction import ChunkResult, Row, parse_object
from velmora_core.batch.inputs import Chunk
from velmora_core.records import Telemetry
from velmora_core.batch.writers import encode_csv, encode_jsonl

SCORE_COLUMNS: Final = ("file", "line", "score", "verdict")
LABELS: Final = {"human": 0, "bot": 1}
# The labels of a variant row (variants.py), not a line of the input: a human session's (a
# person still) and a bot session's.
VARIANT: Final = -1
BOT_VARIANT: Final = -2


def _object(line: bytes) -> tuple[Telemetry | None, str]:
    """The line's JSON object, or None and why the line is rejected (as `features` says it)."""
    try:
        value = orjson.loads(line)  # the quick reading; json's decides what orjson refuses
    except orjson.JSONDecodeError:
        value, reason = parse_object(line)
        if value is None:
            return None, reason or ""
    if type(value) is not dict:
        return None, parse_object(line)[1] or ""
    return cast(Telemetry, value), ""


def sessions(lines: Sequence[bytes], first_line: int,
             rejects: list[tuple[int, str]]) -> Iterator[tuple[int, Telemetry]]:
    """(line number, session) for each line that is a JSON object; the others go to rejects."""
    for number, line in enumerate(lines, first_line):
        session, reason = _object(line)
        if session is None:
            rejects.append((number, reason))
        else:
            yield number, session


def feature_rows(lines: Sequence[bytes], first_line: int,
                 rejects: list[tuple[int, str]]) -> Iterator[tuple[int, bytes, tuple[float, ...]]]:
    """(line number, line, feature row) for each line that is a JSON object; the others go to
    rejects. A row is read straight from the text, parsing it once; what the native reader
    leaves (and every rejected line) goes the way of the other commands."""
    for number, line in enumerate(lines, first_line):
        row = feature_set.feature_row_json(line)
        if row is None:
            session, reason = _object(line)
            if session is None:
                rejects.append((number, reason))
                continue
            row = feature_set.feature_row(session)
        yield number, line, row


@cache
def detector(model: str | None) -> Detector:
    """The worker's detector, loaded once per process."""
    return Detector.default() if model is None else Detector.load(model)


def score_chunk(chunk: Chunk, model: str | None, encoding: str, memory: StrokeMemory | None = None) -> ChunkResult:
    """Rows (line, score, outcome), already encoded as CSV or JSONL. With a stroke memory
    (in this process, chunks in input order) a session whose strokes replay earlier
    sessions' is a bot whatever else it shows."""
    lines = chunk.lines()
    rejects: list[tuple[int, str]] = []
    det = detector(model)
    rows: list[Row] = []
    for number, line, row in feature_rows(lines, chunk.first_line, rejects):
        verdict = det.verdict_row(row)
        outcome = verdict.outcome
        if memory is not None:
            prints = stroke_prints_json(line)
            if evidence(memory.observe(prints), prints.distinctive).is_replay:
                outcome = "bot"
        rows.append((number, verdict.score, outcome))
    result = ChunkResult(chunk.source, chunk.name, len(lines), chunk.size, len(rows), [], rejects)
    result.encoded = (encode_csv(chunk.name, rows) if encoding == "csv"
                      else encode_jsonl(chunk.name, rows, SCORE_COLUMNS))
    return result


def labelled_chunk(chunk: Chunk, variants: bool = False) -> ChunkResult:
    """Rows (line, label 0/1, source, *features) of sessions with a "label" and a "source";
    with variants, each row is followed by its variants' (variants.py), labelled VARIANT
    (a human's) or BOT_VARIANT."""
    lines = chunk.lines()
    rejects: list[tuple[int, str]] = []
    rows: list[Row] = []
    for number, session in sessions(lines, chunk.first_line, rejects):
        extra = cast(dict[str, object], session)  # the training keys beside the telemetry
        label, source = extra.get("label"), extra.get("source")
        if not isinstance(label, str) or label not in LABELS:
            rejects.append((number, f'"label" must be "human" or "bot", not {json.dumps(label)[:40]}'))
        elif not isinstance(source, str) or not source:
            rejects.append((number, '"source" (the recording set or bot family) is missing or not a string'))
        else:
            rows.append((number, LABELS[label], source, *feature_set.feature_row(session)))
            if variants:
                kind = VARIANT if label == "human" else BOT_VARIANT
                rows += [(number, kind, source, *row) for row in variant_rows(session, label == "human")]
    sessions_used = sum(1 for row in rows if row[1] >= 0)
    return ChunkResult(chunk.source, chunk.name, len(lines), chunk.size, sessions_used, rows, rejects)


def feature_chunk(chunk: Chunk, variants: bool = False) -> ChunkResult:
    """Rows (line, 0, *features) of every session, what a calibration reads; with variants,
    each followed by its variants' as a person's (line, VARIANT, *features)."""
    lines = chunk.lines()
    rejects: list[tuple[int, str]] = []
    rows: list[Row] = []
    for number, line, row in feature_rows(lines, chunk.first_line, rejects):
        rows.append((number, 0, *row))
        session = _object(line)[0] if variants else None  # an object: the native reader read it as one
        if session is not None:
            rows += [(number, VARIANT, *extra) for extra in variant_rows(session, human=True)]
    return ChunkResult(chunk.source, chunk.name, len(lines), chunk.size, sum(1 for r in rows if r[1] == 0), rows,
                       rejects)
