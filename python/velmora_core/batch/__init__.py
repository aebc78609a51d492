"""The batch feature extraction behind ``velmora-core features`` and the report.

One module per stage: ``inputs`` (opening and chunking JSON-lines files), ``extraction``
(one line to one feature row), ``writers`` (CSV, JSON lines, Parquet), ``pipeline`` (the
process pool, input order, the summary and progress line) and ``cluster`` (Dask). The
entry points are re-exported here: ``from velmora_core.batch import extract_to_file``.
"""

from velmora_core.batch.pipeline import Summary, counted, default_jobs, extract_to_file, process_pool, run

__all__ = ["Summary", "counted", "default_jobs", "extract_to_file", "process_pool", "run"]
