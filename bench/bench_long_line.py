"""velmora-core features on one long line: time and peak memory grow in proportion to its length.

    .venv/bin/python -m bench.bench_long_line [--sizes 32,64,128] [--kind plain,gz,stdin]

For each size in MiB, a file holding one JSON line of that many bytes (a string of "x") is
read the way the command reads it with --jobs 1 (as stdin, a .gz or a plain file, in
chunks of 512 KiB), in a new process each time so that the peak memory is that of the one read:
  kept:     with --max-line-bytes above the line, so the line is assembled and handed on;
  rejected: with the default limit (16 MiB), so its bytes are dropped as they arrive.
Only the reading is timed, not the JSON parse or extraction. The per-MiB times of one
kind should stay about equal as the size doubles; the peak memory of "rejected" should not grow.
"""

import argparse
import gzip
import json
import os
import subprocess
import sys
import tempfile
import time

MIB = 1 << 20


def child(path: str, kind: str, limit: int) -> None:
    from velmora_core.batch.inputs import CHUNK_BYTES, read_chunks
    start = time.perf_counter()
    if kind == "stdin":
        with open(path, "rb") as f:
            os.dup2(f.fileno(), sys.stdin.fileno())
        name = "-"
    else:
        name = path
    lines = rejected = 0
    for chunk in read_chunks([name], CHUNK_BYTES, max_line_bytes=limit):
        lines += chunk.count
        rejected += bool(chunk.reject)
    seconds = time.perf_counter() - start
    # VmHWM, not ru_maxrss: the latter keeps the parent's peak across exec.
    with open("/proc/self/status") as status:
        peak = next(int(row.split()[1]) * 1024 for row in status if row.startswith("VmHWM:"))
    print(json.dumps({"seconds": seconds, "peak": peak, "lines": lines, "rejected": rejected}))


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", default="32,64,128")
    parser.add_argument("--kind", default="plain,gz,stdin")
    parser.add_argument("--child", nargs=3, metavar=("PATH", "KIND", "LIMIT"))
    args = parser.parse_args()
    if args.child:
        child(args.child[0], args.child[1], int(args.child[2]))
        return
    print(f"{'kind':<6} {'MiB':>5} {'mode':<9} {'seconds':>8} {'s/GiB':>7} {'peak MiB':>9}")
    with tempfile.TemporaryDirectory() as tmp:
        for size in map(int, args.sizes.split(",")):
            line = b'{"x": "' + b"x" * (size * MIB - 10) + b'"}\n'
            plain = os.path.join(tmp, "line.jsonl")
            with open(plain, "wb") as f:
                f.write(line)
            with gzip.open(plain + ".gz", "wb", compresslevel=1) as f:
                f.write(line)
            del line
            for kind in args.kind.split(","):
                path = plain + ".gz" if kind == "gz" else plain
                for mode, limit in [("kept", 2 * size * MIB), ("rejected", 16 * MIB)]:
                    child = [sys.executable, "-m", "bench.bench_long_line", "--child", path, kind, str(limit)]
                    done = subprocess.run(child, check=True, capture_output=True, text=True)
                    r = json.loads(done.stdout)
                    assert r["lines"] == 1 and r["rejected"] == (mode == "rejected")
                    print(f"{kind:<6} {size:>5} {mode:<9} {r['seconds']:>8.3f} {r['seconds'] * 1024 / size:>7.2f} "
                          f"{r['peak'] / MIB:>9.0f}", flush=True)


if __name__ == "__main__":
    main()
