"""A reference web service on velmora_core_rs: nonces, the browser collector, verdicts.

The package is an example, not part of the wheel: ``serve.py`` next to it starts it under
uvicorn, and ``README.md`` there describes the flow, the units and the policy.
"""
