"""Differences between velmora_core.extract_features_json and json.loads + extract_features_rs.

    .venv/bin/python -m bench.diff_ingest [--count N] [--first SEED] [--jobs J] [--data DIR] [--behaviour]

Compares the two on every session of the benchmark data, then on N generated documents
(seeds FIRST .. FIRST+N-1, testkit/json_documents.py: NaN, huge integers, repeated and
escaped keys, lone surrogates, other encodings, deep nesting, broken texts...). An outcome
is the record (keys, types, float bits) or "refused" (json.loads raises). Prints the counts
and every seed that differs; exits 1 if any does. --behaviour compares
behaviour_features_json with behaviour.behaviour_features instead.
"""

import argparse
import functools
import multiprocessing
import pathlib
import sys
import time

from testkit import json_documents

ROOT = pathlib.Path(__file__).resolve().parent.parent

FILES = ["human_sessions.jsonl", "bot_sessions.jsonl", "human_sessions_more.jsonl"]
BLOCK = 2000


def block(first: int, behaviour: bool = False) -> list[int]:
    return json_documents.differences(first, BLOCK, behaviour)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--count", type=int, default=1_000_000)
    parser.add_argument("--first", type=int, default=0)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--data", type=pathlib.Path, default=ROOT.parent / "shared" / "data")
    parser.add_argument("--behaviour", action="store_true")
    args = parser.parse_args()
    by_dict, by_text = json_documents.BEHAVIOUR if args.behaviour else (None, None)

    start = time.perf_counter()
    sessions = differing = 0
    for name in FILES:
        path = args.data / name
        if not path.exists():
            continue
        for line in path.read_bytes().splitlines():
            sessions += 1
            if args.behaviour:
                differing += json_documents.native(line, by_text) != json_documents.reference(line, by_dict)
            else:
                differing += json_documents.native(line) != json_documents.reference(line)
    print(f"benchmark sessions: {sessions} compared, {differing} differ")

    count = (args.count + BLOCK - 1) // BLOCK * BLOCK
    firsts = range(args.first, args.first + count, BLOCK)
    found: list[int] = []
    with multiprocessing.get_context("fork").Pool(args.jobs) as pool:
        for done, seeds in enumerate(pool.imap(functools.partial(block, behaviour=args.behaviour), firsts), 1):
            found += seeds
            if done % 50 == 0:
                print(f"  {done * BLOCK} documents, {len(found)} differ", flush=True)
    print(f"generated documents: {count} compared (seeds {args.first}..{args.first + count - 1}), "
          f"{len(found)} differ{': ' + ', '.join(map(str, found[:50])) if found else ''}")
    print(f"{time.perf_counter() - start:.0f} s")
    return 1 if differing or found else 0


if __name__ == "__main__":
    sys.exit(main())
