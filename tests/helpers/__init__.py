"""What several test folders share: repository paths, a private redis-server,
reference-leak counting (the service in a subprocess is testkit/service_process.py). Importable as `helpers` (pytest's pythonpath)."""

import pathlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
# The sample sessions shipped with the examples (human and bot, JSON lines).
DATA = ROOT / "examples" / "data"
