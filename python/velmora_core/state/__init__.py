"""State engines: the nonce replay guard and the IP ban table behind one interface.

``LocalStateEngine`` keeps the state in this process (the extension's own tables).
Engines that share the state across worker processes and hosts implement the same
seven operations with the same results.
"""

from velmora_core.state.base import StateEngine, StateEngineStats
from velmora_core.state.local import LocalStateEngine

__all__ = ["LocalStateEngine", "StateEngine", "StateEngineStats"]
