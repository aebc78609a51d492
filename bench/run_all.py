"""Run every benchmark in bench/ in turn (`make bench`: python -m bench.run_all from the repository root)."""

import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
MODULES = ["bench_curvature", "bench_keystrokes", "bench_state_engine", "bench_features",
           "bench_redis_state", "bench_service", "bench_service_burst",
           "bench_batch", "bench_detect"]

for name in MODULES:
    print(f"\n=== {name}", flush=True)
    subprocess.run([sys.executable, "-m", f"bench.{name}"], cwd=ROOT, check=True)
