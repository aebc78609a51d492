"""Velmora's Python layer over the ``velmora_core_rs`` extension.

The extension is the numeric core (feature extraction, curvature and keystroke scores, a
per-process replay guard and ban table). This package adds what a service built on it
needs around that core: state engines shared across processes and hosts
(:mod:`velmora_core.state`), typed records of the inputs and results
(:mod:`velmora_core.records`), features straight from JSON text
(:func:`extract_features_json`), and tools for offline analysis.
"""

from velmora_core._version import __version__
from velmora_core.ingest import behaviour_features_json, extract_features_json

__all__ = ["__version__", "behaviour_features_json", "extract_features_json"]
