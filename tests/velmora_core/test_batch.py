"""velmora-core features: output equal to a plain json.loads + extract_features_rs loop, in
every format, on one and two cores, from every kind of input; bad lines counted and reported."""

import csv
import gzip
import io
import json
import math
import os
import pathlib
import re
import resource
import signal
import stat
import subprocess
import sys
import threading
import time

import pyarrow.parquet as pq
import pytest
import zstandard

from velmora_core.batch.extraction import feature_types
from velmora_core.batch.inputs import read_chunks
from velmora_core.batch.pipeline import run
from velmora_core.batch.writers import MemorySink
from velmora_core.cli import main
from velmora_core.detect.rows import labelled_chunk
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


def test_line_numbers_across_many_chunks(tmp_path, capsys):
    # Parquet with workers: the main process only cuts the file in byte ranges and numbers
    # the lines the workers found; the same numbers as a single process reading every line.
    path, lines = bad_file(tmp_path)
    path.write_bytes(b"\n".join(lines * 40))  # some 60 chunks, the last line without "\n"
    outputs = []
    for jobs, suffix in [("1", ".jsonl"), ("2", ".parquet")]:
        out = tmp_path / f"o{suffix}"
        assert main(["features", str(path), "-o", str(out), "-j", jobs]) == 1
        err = capsys.readouterr().err
        assert "read 320 lines, wrote 120 rows, rejected 200" in err
        outputs.append(([r["line"] for r in read_output(out)], [e for e in err.splitlines() if "bad.jsonl:" in e]))
    assert outputs[0] == outputs[1] and len(outputs[0][0]) == 3 * 40
    assert outputs[0][0][-1] == 8 * 40


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
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "no/such/dir/x.parquet"],
     "cannot write no/such/dir/x.parquet: there is no directory no/such/dir\n"),
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "x.csv", "--keep", "line"], "already has a column named 'line'"),
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "x.csv", "--keep", "click_count"], "named 'click_count'"),
    (["features", str(DATA / "bot_sample.jsonl"), "-o", "x.csv", "--keep", "a", "--keep", "a"], "--keep a: given twice"),
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
        # Bare byte ranges, whose readers find their own lines.
        assert [line for c in read_chunks([str(path)], size, True, numbered=False) for line in c.raw_lines()] == want


def test_odd_kept_values_reject_only_their_line(tmp_path, capsys):
    deep = "[" * 300 + "]" * 300  # deeper than orjson writes
    lines = [b'{"label": "\\ud800"}', b'{"label": %s}' % deep.encode(),
             b'{"label": [123456789012345678901234, -98765432109876543210]}', b'{"label": "ok"}']
    (tmp_path / "odd.jsonl").write_bytes(b"\n".join(lines) + b"\n")
    for suffix in [".jsonl", ".csv", ".parquet"]:
        out = tmp_path / f"o{suffix}"
        assert main(["features", str(tmp_path / "odd.jsonl"), "-o", str(out), "--keep", "label", "-j", "1"]) == 1
        err = capsys.readouterr().err
        assert "odd.jsonl:1: cannot keep label: it holds a lone surrogate (\\ud800)" in err
        assert "read 4 lines, wrote 3 rows, rejected 1" in err
        # Kept as json.loads reads them: integers beyond 64 bits stay exact.
        assert [r["label"] for r in read_output(out)] == [
            deep, "[123456789012345678901234,-98765432109876543210]", "ok"]


def test_file_names_that_are_not_utf8(tmp_path):
    name = tmp_path / "caf\udce9.jsonl"  # the byte 0xE9, as the command line delivers it
    name.write_bytes((DATA / "bot_sample.jsonl").read_bytes())
    for suffix in [".jsonl", ".csv", ".parquet"]:
        out = tmp_path / f"o{suffix}"
        assert main(["features", str(name), "-o", str(out), "-q", "-j", "2"]) == 0
        assert {r["file"] for r in read_output(out)} == {f"{tmp_path}/caf\\xe9.jsonl"}


def test_pipes_named_by_path_are_read_once(tmp_path):
    raw = (DATA / "bot_sample.jsonl").read_bytes()
    want = len(expected_rows([DATA / "bot_sample.jsonl"]))
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    writer = threading.Thread(target=fifo.write_bytes, args=(raw,), daemon=True)
    writer.start()
    command = [sys.executable, "-m", "velmora_core", "features", "-o", "-", "--format", "jsonl", "-j", "2"]
    for path, given in [(str(fifo), b""), ("/dev/stdin", raw)]:  # a worker reopening either would hang
        done = subprocess.run([*command, path], input=given, capture_output=True, timeout=60)
        assert done.returncode == 0, done.stderr
        assert [json.loads(line)["line"] for line in done.stdout.splitlines()] == list(range(1, want + 1))


LIMIT = 8


@pytest.mark.parametrize("content", [b"a\n" + b"x" * 9 + b"\nb\n", b"x" * 30 + b"\n" * 3 + b"y" * 8,
                                     b"12345678\n" * 3 + b"z" * 9, b"w" * 100])
def test_lines_longer_than_the_limit_become_rejects(tmp_path, content):
    path = tmp_path / "f.jsonl"
    path.write_bytes(content)
    want = [(n, line if len(line) <= LIMIT else None) for n, line in enumerate(content.split(b"\n"), 1)
            if line or n < content.count(b"\n") + 1]
    for size in [1, 3, 7, 64]:
        for by_range in [False, True]:
            got = []
            for c in read_chunks([str(path)], size, by_range, max_line_bytes=LIMIT):
                assert c.reject == "" or (c.count == 1 and "longer than the limit of 8" in c.reject)
                got += [(c.first_line, None)] if c.reject else list(enumerate(c.lines(), c.first_line))
            assert got == want, (size, by_range)
        raw = [line for c in read_chunks([str(path)], size, True, max_line_bytes=LIMIT, numbered=False)
               for line in c.raw_lines()]
        assert [(n, None if isinstance(line, str) else line) for n, line in enumerate(raw, 1)] == want, size
        assert all("longer than the limit of 8" in line for line in raw if isinstance(line, str))


def test_lines_too_long_are_rejected_for_every_kind_of_work(tmp_path):
    # Scoring, training and the report read with their own work functions.
    session = b'{"label": "bot", "source": "x"}'
    (tmp_path / "l.jsonl").write_bytes(session + b"\n" + b"x" * 100 + b"\n" + session + b"\n")
    for jobs in [1, 2]:
        errors = io.StringIO()
        summary = run([str(tmp_path / "l.jsonl")], MemorySink(), jobs=jobs, work=labelled_chunk, errors=errors,
                      max_line_bytes=50)
        assert (summary.read, summary.written, summary.rejected) == (3, 2, 1)
        assert ":2: line of 100 bytes, longer than the limit of 50" in errors.getvalue()


def test_long_lines_through_the_command(tmp_path, capsys):
    good = (DATA / "bot_sample.jsonl").read_bytes().splitlines()[0]
    long = b'{"pad": "' + b"x" * 30000 + b'"}'  # the good line is some 12 KB
    raw = b"\n".join([good, long, good, long]) + b"\n"
    (tmp_path / "l.jsonl").write_bytes(raw)
    (tmp_path / "l.jsonl.gz").write_bytes(gzip.compress(raw))
    for name, jobs, suffix in [("l.jsonl", "1", ".csv"), ("l.jsonl", "2", ".csv"), ("l.jsonl.gz", "2", ".csv"),
                               ("l.jsonl", "2", ".parquet")]:
        out = tmp_path / f"o{suffix}"
        args = ["features", str(tmp_path / name), "-o", str(out), "-j", jobs, "--max-line-bytes", "16K"]
        assert main(args) == 1 and [r["line"] for r in read_output(out)] == [1, 3]
        err = capsys.readouterr().err
        assert f"{name}:2: line of {len(long)} bytes, longer than the limit of 16384 (--max-line-bytes)" in err
        assert "read 4 lines, wrote 2 rows, rejected 2" in err


@pytest.fixture
def broken_inputs(tmp_path):
    raw = (DATA / "bot_sample.jsonl").read_bytes() * 5  # read in one block: a cut loses no lines before it
    packed = gzip.compress(raw)
    zst = zstandard.ZstdCompressor().compress(raw)
    corrupt = bytearray(zst)
    corrupt[len(zst) // 2:len(zst) // 2 + 50] = bytes(50)
    files = {"plain.jsonl": packed, "cut.jsonl.gz": packed[:len(packed) * 3 // 4],
             "cut.jsonl.zst": zst[:len(zst) // 2], "bad.jsonl.zst": bytes(corrupt)}
    for name, data in files.items():
        (tmp_path / name).write_bytes(data)
    return tmp_path


@pytest.mark.parametrize("name, message", [
    ("plain.jsonl", "plain.jsonl holds gzip-compressed data; only names ending in .gz are decompressed"),
    ("cut.jsonl.gz", r"cut.jsonl.gz after line [1-9]\d*: Compressed file ended before the end-of-stream"),
    ("cut.jsonl.zst", r"cut.jsonl.zst after line \d+: the compressed data ends inside a frame"),
    ("bad.jsonl.zst", r"bad.jsonl.zst after line \d+: zstd decompress error"),
])
def test_unreadable_inputs_exit_2_with_one_line(broken_inputs, capsys, name, message):
    out = broken_inputs / "out.csv"
    assert main(["features", str(broken_inputs / name), "-o", str(out), "-j", "2", "-q"]) == 2
    err = capsys.readouterr().err
    assert re.search(f"^velmora-core: cannot read .*{message}|^velmora-core: .*{message}", err) and err.count("\n") == 1
    assert not out.exists() and not list(broken_inputs.glob(".*part"))


def test_write_errors_exit_2(tmp_path, capsys):
    for fmt in ["csv", "parquet"]:
        assert main(["features", INPUTS[1], "-o", "/dev/full", "--format", fmt, "-q", "-j", "1"]) == 2
        assert capsys.readouterr().err == "velmora-core: cannot write /dev/full: No space left on device\n"
    command = [sys.executable, "-m", "velmora_core", "features", INPUTS[1], "-q", "-j", "1"]
    with open("/dev/full", "wb") as full:
        done = subprocess.run([*command, "-o", "-", "--format", "csv"], stdout=full, stderr=subprocess.PIPE)
    assert (done.returncode, done.stderr) == (2, b"velmora-core: cannot write standard output: No space left on device\n")
    out = tmp_path / "o.csv"
    limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (1000, resource.RLIM_INFINITY))  # noqa: E731
    done = subprocess.run([*command, "-o", str(out)], preexec_fn=limit, stderr=subprocess.PIPE)
    assert (done.returncode, done.stderr) == (2, f"velmora-core: cannot write {out}: File too large\n".encode())
    assert list(tmp_path.iterdir()) == []


def test_temporary_file_is_made_anew_and_keeps_the_mode(tmp_path):
    out, victim = tmp_path / "out.csv", tmp_path / "victim"
    victim.write_text("keep me")
    out.write_text("old")
    out.chmod(0o600)
    planted = tmp_path / f".out.csv.{os.getpid()}.part"
    planted.symlink_to(victim)
    assert main(["features", INPUTS[1], "-o", str(out), "-q", "-j", "1"]) == 0
    assert victim.read_text() == "keep me" and planted.is_symlink()
    assert len(read_output(out)) == 6 and stat.S_IMODE(out.stat().st_mode) == 0o600


def test_sigterm_stops_workers_and_removes_the_partial_output(tmp_path):
    out = tmp_path / "out.csv"
    command = [sys.executable, "-m", "velmora_core", "features", "-", "-o", str(out), "-j", "2", "-q"]
    process = subprocess.Popen(command, stdin=subprocess.PIPE, stderr=subprocess.PIPE)
    process.stdin.write((DATA / "bot_sample.jsonl").read_bytes() * 40)  # some chunks, then no end of input
    process.stdin.flush()
    children = pathlib.Path(f"/proc/{process.pid}/task/{process.pid}/children")
    deadline = time.monotonic() + 60
    while not (list(tmp_path.glob(".*.part")) and len(children.read_text().split()) >= 2):
        assert time.monotonic() < deadline, "no workers started"
        time.sleep(0.05)
    workers = [int(pid) for pid in children.read_text().split()]
    process.send_signal(signal.SIGTERM)
    assert process.wait(timeout=60) == 143
    assert process.stderr.read() == b"velmora-core: terminated; nothing written\n"
    process.stdin.close()
    process.stderr.close()
    for pid in workers:
        while pathlib.Path(f"/proc/{pid}").exists() and "zombie" not in pathlib.Path(f"/proc/{pid}/status").read_text():
            assert time.monotonic() < deadline, f"worker {pid} outlived the command"
            time.sleep(0.05)
    assert list(tmp_path.iterdir()) == []
