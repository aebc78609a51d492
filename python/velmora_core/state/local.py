"""The in-process engine: the extension's own tables, private to this process."""

from typing import Any

import velmora_core_rs as _rs

from velmora_core.state.base import StateEngineStats


class LocalStateEngine:
    """Delegates to the extension's ``*_rs`` state functions.

    The state lives in this process only: every worker process of a service has its own
    replay guard and ban table. Use a shared engine when several processes serve traffic.
    All instances in one process share the same tables.
    """

    def consume_nonce(self, nonce: str) -> bool:
        return _rs.consume_nonce_rs(nonce)

    def ban_ip(self, ip: str, duration_sec: int) -> None:
        _rs.ban_ip_rs(ip, duration_sec)

    def is_ip_banned(self, ip: str) -> bool:
        return _rs.is_ip_banned_rs(ip)

    def unban_ip(self, ip: str) -> None:
        _rs.unban_ip_rs(ip)

    def hydrate_bans(self, bans: Any) -> None:
        _rs.hydrate_bans_rs(bans)

    def clear(self) -> None:
        _rs.clear_state_engine_rs()

    def stats(self) -> StateEngineStats:
        return _rs.get_state_engine_stats_rs()
