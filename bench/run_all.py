"""Run every benchmark in bench/ in turn (`make bench`)."""

import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).parent
SCRIPTS = ["bench_curvature.py", "bench_keystrokes.py", "bench_state_engine.py", "bench_features.py",
           "bench_redis_state.py", "bench_service.py", "bench_service_burst.py",
           "bench_batch.py", "bench_detect.py"]

for name in SCRIPTS:
    print(f"\n=== {name}", flush=True)
    subprocess.run([sys.executable, str(HERE / name)], check=True)
