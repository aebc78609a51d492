"""Benchmarks (never part of the tests): run from the repository root as modules,
``.venv/bin/python -m bench.NAME``, so that they import the installed package and the
repository's own helpers (testkit) without editing sys.path."""
