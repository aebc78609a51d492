"""velmora-core features: output equal to a plain json.loads + extract_features_rs loop, in
every format, on one and two cores, from every kind of input; bad lines counted and reported."""

import csv
import gzip
import json
import math
import pathlib
import subprocess
import sys

import pyarrow.parquet as pq
import pytest
import zstandard

from velmora_core.batch.extraction import feature_types
from velmora_core.batch.inputs import read_chunks
from velmora_core.cli import main
from velmora_core.records import FEATURE_NAMES
from velmora_core_rs import extract_features_rs
from helpers import DATA

INPUTS = [str(DATA / "human_sample.jsonl"), str(DATA / "bot_sample.jsonl")]
TYPES = feature_types()


def expected_rows(paths, keep=()):
    rows = []
    for path in paths:
        with open(path, "rb") as f:
            for number, line in enumerate(f, 1):
                telemetry = json.loads(line)
                rows.append({"file": str(path), "line": number, **{k: telemetry.get(k) for k in keep},
                             **extract_features_rs(telemetry)})
    return rows


def none_if_empty(text):  # a kept value that was null, in CSV
    return text or None


def read_output(path):
    path = pathlib.Path(path)
    if path.suffix == ".parquet":
        return pq.read_table(path).to_pylist()
    if path.suffix == ".jsonl":
        return [json.loads(line) for line in path.read_text().splitlines()]
    kinds = {"file": str, "line": int, **TYPES}

    def cell(key, text):
        kind = kinds.get(key, none_if_empty)
        return {"True": True, "False": False}[text] if kind is bool else kind(text)
    with open(path, newline="") as f:
        return [{k: cell(k, v) for k, v in row.items()} for row in csv.DictReader(f)]


def assert_same(actual, expected, keep=()):
    assert len(actual) == len(expected)
    for got, want in zip(actual, expected):
        assert list(got) == ["file", "line", *keep, *FEATURE_NAMES]
        assert got == want
        assert [type(v) for v in got.values()] == [type(v) for v in want.values()]


@pytest.mark.parametrize("jobs", [1, 2])
@pytest.mark.parametrize("suffix", [".parquet", ".csv", ".jsonl"])
def test_output_equals_plain_extraction(tmp_path, suffix, jobs):
    out = tmp_path / f"features{suffix}"
    keep = ["label", "absent"]  # a kept key that no line has gives nulls
    assert main(["features", *INPUTS, "-o", str(out), "--jobs", str(jobs), "--quiet", "--keep", "label",
                 "--keep", "absent"]) == 0
    assert_same(read_output(out), expected_rows(INPUTS, keep), keep)
    assert [p.name for p in tmp_path.iterdir()] == [out.name]  # the temporary file is gone


def test_compressed_and_stdin_inputs(tmp_path):
    raw = (DATA / "bot_sample.jsonl").read_bytes()
    (tmp_path / "s.jsonl.gz").write_bytes(gzip.compress(raw))
    (tmp_path / "s.jsonl.zst").write_bytes(zstandard.ZstdCompressor().compress(raw))
    want = [{**row, "file": None} for row in expected_rows([DATA / "bot_sample.jsonl"])]
    for name in ["s.jsonl.gz", "s.jsonl.zst"]:
        out = tmp_path / f"{name}.jsonl"
        assert main(["features", str(tmp_path / name), "-o", str(out), "-q", "-j", "2"]) == 0
        assert_same([{**r, "file": None} for r in read_output(out)], want)
    # The module entry, reading stdin and writing stdout.
    done = subprocess.run([sys.executable, "-m", "velmora_core", "features", "-", "-o", "-", "--format", "jsonl"],
                          input=raw, capture_output=True, check=True)
    assert_same([{**json.loads(line), "file": None} for line in done.stdout.splitlines()], want)
    assert b"read 6 lines, wrote 6 rows, rejected 0" in done.stderr


def bad_file(tmp_path):
    good = (DATA / "human_sample.jsonl").read_bytes().splitlines()[0]
    lines = [
        good,
        b'{"browser": {"webdriver": tr',  # broken
        b"",  # empty
        b"[1, 2, 3]",  # not an object
        good[: len(good) // 2],  # truncated
        b'{"mouse_movements": [{"x": NaN, "y": 1, "t": 2}], "clicks": [1], "big": 123456789012345678901234}',
        b'"text"',
        good,
    ]
    path = tmp_path / "bad.jsonl"
    path.write_bytes(b"\n".join(lines) + b"\n")
    return path, lines


@pytest.mark.parametrize("jobs", ["1", "2"])
def test_bad_lines_are_reported_and_counted(tmp_path, capsys, jobs):
    path, lines = bad_file(tmp_path)
    out = tmp_path / "out.jsonl"
    assert main(["features", str(path), "-o", str(out), "-j", jobs]) == 1
    err = capsys.readouterr().err
    for number, reason in [(2, "not JSON: "), (3, "empty line"), (4, "not a JSON object but an array"),
                           (5, "not JSON: "), (7, "not a JSON object but a string")]:
        assert f"{path}:{number}: {reason}" in err
    assert "read 8 lines, wrote 3 rows, rejected 5" in err
    rows = read_output(out)
    assert [r["line"] for r in rows] == [1, 6, 8]
    # Lines orjson refuses but json reads (NaN, huge integers) get json's result.
    want = extract_features_rs(json.loads(lines[5]))
    assert rows[1]["click_count"] == want["click_count"] == 1 and want["mouse_points"] == 0


def test_strict_stops_at_the_first_bad_line(tmp_path, capsys):
    path, _ = bad_file(tmp_path)
    out = tmp_path / "out.parquet"
    assert main(["features", str(path), "-o", str(out), "--strict", "-j", "1"]) == 1
    err = capsys.readouterr().err
    assert f"{path}:2: not JSON" in err and f"{path}:3:" not in err
    assert f"stopped at the first rejected line ({path}:2, --strict); nothing written" in err
    assert sorted(p.name for p in tmp_path.iterdir()) == ["bad.jsonl"]


@pytest.mark.parametrize("args, message", [
    (["features", "missing.jsonl", "-o", "x.csv"], "cannot read missing.jsonl"),
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "x.txt"], "cannot tell the output format"),
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "no/such/dir/x.parquet"], "cannot write"),
])
def test_usage_errors_exit_2(tmp_path, monkeypatch, capsys, args, message):
    monkeypatch.chdir(tmp_path)
    assert main(args) == 2
    assert message in capsys.readouterr().err
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("fmt", ["jsonl", "parquet"])
def test_a_device_is_written_in_place_not_replaced(fmt):
    assert main(["features", INPUTS[1], "-o", "/dev/null", "--format", fmt, "-q", "-j", "1"]) == 0
    assert pathlib.Path("/dev/null").is_char_device()


def test_nan_features_survive_csv_and_parquet(tmp_path):
    line = b'{"mouse_movements": [{"x": 1, "y": 1, "t": 1, "r": Infinity}]}\n'
    (tmp_path / "inf.jsonl").write_bytes(line)
    for suffix in [".csv", ".parquet"]:
        out = tmp_path / f"o{suffix}"
        assert main(["features", str(tmp_path / "inf.jsonl"), "-o", str(out), "-q", "-j", "1"]) == 0
        row = read_output(out)[0]
        assert math.isinf(row["avg_touch_radius"]) and math.isnan(row["touch_radius_var"])


@pytest.mark.parametrize("content", [b"", b"a", b"a\n", b"a\nbb", b"\n\n", b"x" * 50 + b"\ny\n" + b"z" * 30])
def test_chunks_split_lines_like_readlines(tmp_path, content):
    path = tmp_path / "f.jsonl"
    path.write_bytes(content)
    want = [line.rstrip(b"\n") for line in content.splitlines(keepends=True)]
    for size in [1, 3, 64]:
        for by_range in [False, True]:
            chunks = list(read_chunks([str(path)], size, by_range))
            assert [line for c in chunks for line in c.lines()] == want
            assert [c.first_line for c in chunks] == [1 + sum(c.count for c in chunks[:i]) for i in range(len(chunks))]
