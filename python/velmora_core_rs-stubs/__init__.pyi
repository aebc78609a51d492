"""Numeric core of the Velmora bot-detection service.

Behavioural telemetry features, curvature and keystroke-timing scores, and a per-process
replay guard and IP ban table. Every function is synchronous, takes plain Python objects
and returns new ones. Call-shape mistakes (a missing, surplus or unknown argument) raise
``TypeError``. The input and result records are described in ``velmora_core.records``,
``docs/telemetry.md`` and ``docs/features.md``.
"""

from collections.abc import Sequence
from typing import Literal, SupportsIndex, overload

from velmora_core.records import (
    BanEntry,
    CurvatureReport,
    FeatureRecord,
    FloatSequence,
    KeystrokeRecord,
    KeystrokeReport,
    KeystrokeTuple,
    StateEngineStats,
    Telemetry,
)

__all__ = [
    "is_rust_core_active",
    "get_core_version",
    "extract_features_rs",
    "evaluate_curvature_naturalness_rs",
    "evaluate_curvature_zerocopy_rs",
    "evaluate_keystroke_dynamics_rs",
    "consume_nonce_rs",
    "is_ip_banned_rs",
    "ban_ip_rs",
    "unban_ip_rs",
    "hydrate_bans_rs",
    "clear_state_engine_rs",
    "get_state_engine_stats_rs",
]

def is_rust_core_active() -> Literal[True]:
    """Readiness probe: always ``True`` whenever the module can be called at all."""

def get_core_version() -> str:
    """The core's release followed by ``"-native-rust"``, for example ``"0.9.4-native-rust"``.

    The release part equals ``velmora_core.__version__`` and the wheel's version.
    """

def extract_features_rs(telemetry: Telemetry) -> FeatureRecord:
    """Compute the 39 features of one telemetry session, in the order of ``FEATURE_NAMES``.

    Reading is lenient: no content raises. A missing or unreadable value takes its default,
    an unusable record is skipped, and any object is accepted at run time (a non-dict reads
    as an empty session). What is read:

    - ``mouse_movements``: every dict whose ``x``, ``y`` and ``t`` are finite numbers, with
      no count limit (``mouse_points`` and the touch statistics use them all). The movement,
      spectral and curvature features use the 300 earliest samples by ``t``. Positions are
      in the client's units (pixels), times in the client's time unit (milliseconds in
      browser telemetry); time steps are floored at 0.1 of that unit.
    - ``keystrokes``: only the first 150 items are examined, dicts only (a tuple record is
      skipped); the down time is the first finite one of ``t``, ``down``, ``time``; the up
      time is ``up`` or down + ``duration_ms``; ``type`` is not consulted. Milliseconds.
    - ``clicks`` and ``scrolls``: only the length of each list is counted.
    - ``browser``: without a ``browser`` dict the session counts as a non-webdriver browser
      with a valid 1024 x 768 screen, one plugin and no touch. Inside a ``browser`` dict a
      missing ``screen_width`` reads as 0.0, and a missing or non-positive width or height
      makes ``screen_valid`` False. Flags must be real ``bool`` (or NumPy bool) values: 0
      and 1 do not count.

    Missing data gives neutral values, never missing keys: with an empty dict,
    ``straightness``, ``terminal_decel_ratio`` and ``spectral_entropy`` are 1.0,
    ``digraph_entropy`` 0.5, ``screen_width`` 1024.0, ``screen_valid`` True,
    ``plugins_length`` 1, and everything else 0, 0.0 or False. Movement features need 3
    samples, the curvature entries 4 and the spectral entries 9. NaN and infinities that
    the input produces are returned unchanged.

    Raises ``TypeError`` only for a wrong call shape.
    """

def evaluate_curvature_naturalness_rs(x: FloatSequence, y: FloatSequence, t: FloatSequence) -> CurvatureReport:
    """Score how a pointer path bends.

    ``x`` and ``y`` are positions (pixels, or any consistent unit) and ``t`` the sample
    times (any consistent unit; time steps are floored at 0.1 of it). Each is a sequence of
    numbers: list, tuple, ``range``, ``bytes``, ``array.array``, NumPy array. The values are
    copied. Lengths may differ: only the first min(len(x), len(y), len(t)) samples are
    analysed, though every item is converted and must be a number.

    Returns ``curvature_score``: 0.95 straight line, 0.9 constant curvature (an arc, a
    regular zig-zag), 0.85 extremely varying curvature, 0.75 mostly sharply curved, 0.1
    otherwise; then ``mean_curvature`` and the population variances ``curvature_var`` and
    ``curvature_rate_var``. With fewer than 4 samples all four are 0.0 (the score too). A
    NaN in the input makes the statistics NaN and the score 0.1.

    Raises ``TypeError`` naming the argument, for example "argument 'x': Can't extract
    `str` to `Vec`" for a ``str``, "argument 'y': 'set' object cannot be converted to
    'Sequence'" for a non-sequence (set, dict, generator, iterator), or "argument 't': "
    followed by the interpreter's message for an item that is not a number. Any other
    exception raised by an item's ``__float__`` passes through unchanged.
    """

def evaluate_curvature_zerocopy_rs(x_obj: FloatSequence, y_obj: FloatSequence, t_obj: FloatSequence) -> CurvatureReport:
    """The same analysis and result as ``evaluate_curvature_naturalness_rs``.

    Despite the name the values are copied too. The only difference is the wording of
    conversion errors: the same ``TypeError`` messages without the "argument '...': "
    prefix, for example "Can't extract `str` to `Vec`" or "'generator' object cannot be
    converted to 'Sequence'".
    """

# Three forms because a list is invariant: a list[KeystrokeTuple] is no list of the union.
@overload
def evaluate_keystroke_dynamics_rs(keystrokes: list[KeystrokeTuple]) -> KeystrokeReport:
    """Analyse key-press timing; all times in milliseconds.

    ``keystrokes`` is a list (a tuple or any other object reads as no keystrokes) whose
    items are all read, with no count limit: ``(key, down_ms, up_ms_or_None)`` tuples, or
    dicts with ``key``, a down time (the first finite one of ``down``, ``t``, ``time``) and
    ``up`` or ``duration_ms``. Release records (``"type": "up"``) and unreadable items are
    skipped without error. A dict without a ``str`` key counts with the key "unknown".

    Returns ``key_count`` (events read); the mean and population variance of the dwell
    times (hold time, counted when 0 < dwell < 5000) and of the flight times (release to
    next press, counted when -500 < flight < 5000); ``digraph_entropy``, the normalised
    entropy of the flight times in [0, 800] over eight 100 ms bins, 0.5 when fewer than 4
    such flights exist; and ``keystroke_score`` in [0, 1], higher meaning more automated,
    0.0 with fewer than 3 events. With no events every value is 0 (``digraph_entropy``
    0.0 here, where the feature record carries 0.5).

    Raises ``TypeError`` only for a wrong call shape.
    """

@overload
def evaluate_keystroke_dynamics_rs(keystrokes: list[KeystrokeRecord]) -> KeystrokeReport: ...
@overload
def evaluate_keystroke_dynamics_rs(keystrokes: list[KeystrokeTuple | KeystrokeRecord]) -> KeystrokeReport: ...

def consume_nonce_rs(nonce: str) -> bool:
    """``True`` the first time ``nonce`` is seen, ``False`` for a replay.

    Nonces are compared byte for byte (any length, the empty string included) and kept in
    two 60-second buckets that move on lazily, when this function finds the current one 60
    s old. A nonce is remembered for more than 60 s and forgotten at the second rotation
    after it was accepted; without calls there are no rotations. The state is private to
    this process.

    Raises ``TypeError`` "argument 'nonce': 'bytes' object cannot be converted to
    'PyString'" (with the type's name) for a non-``str``, and ``UnicodeEncodeError`` for a
    ``str`` holding lone surrogates; the state is then untouched.
    """

def is_ip_banned_rs(ip: str) -> bool:
    """``True`` while ``ip`` has a ban whose end (a Unix second) is still ahead.

    Addresses are opaque strings compared byte for byte: " 10.0.0.1" and "10.0.0.1"
    differ. Raises ``TypeError`` "argument 'ip': ..." for a non-``str`` and
    ``UnicodeEncodeError`` for lone surrogates.
    """

def ban_ip_rs(ip: str, duration_sec: SupportsIndex) -> None:
    """Ban ``ip`` until the start of second floor(now) + ``duration_sec``.

    A ban therefore lasts more than ``duration_sec`` - 1 and at most ``duration_sec``
    seconds; a ban of 0 never takes effect. It replaces any earlier ban of the address,
    whether longer or shorter: it never extends one. An end past 2**64 - 1 is capped there
    (banned indefinitely). ``duration_sec`` is an ``int`` from 0 to 2**64 - 1 (``True``
    counts as 1) or an object with ``__index__``.

    Raises ``TypeError`` "argument 'ip': ..." or "argument 'duration_sec': ..." (a ``float``
    is refused), ``OverflowError`` for a negative or too large duration, and
    ``UnicodeEncodeError`` for lone surrogates; ``ip`` is checked first.
    """

def unban_ip_rs(ip: str) -> None:
    """Lift the ban of ``ip``; an address without a ban is no error.

    Raises ``TypeError`` "argument 'ip': ..." for a non-``str`` and ``UnicodeEncodeError``
    for lone surrogates.
    """

def hydrate_bans_rs(bans: Sequence[BanEntry]) -> None:
    """Merge bans given as ``(ip, expiry)`` pairs with absolute expiries in Unix seconds.

    Meant for reloading bans from a store; an expiry is an absolute time, not a duration.
    Only pairs whose expiry is still ahead are loaded; a later pair for the same address
    replaces an earlier one; bans already held and not mentioned are kept.

    The whole sequence is converted first: if any pair is malformed nothing is applied.
    Raises ``TypeError`` "argument 'bans': ..." for a ``str`` ("Can't extract `str` to
    `Vec`"), a non-sequence (dict, set, generator, None), an item that is not a tuple, an
    address that is not a ``str`` or an expiry that is not an integer; ``ValueError``
    "expected tuple of length 2, but got tuple of length N"; ``OverflowError`` for a
    negative expiry or one above 2**64 - 1.
    """

def clear_state_engine_rs() -> None:
    """Forget every nonce and every ban, and restart the 60-second nonce bucket timer."""

def get_state_engine_stats_rs() -> StateEngineStats:
    """Nonces in the current and the previous bucket, and bans in force now.

    Expired bans still held are not counted. The call changes nothing: it neither moves the
    nonce buckets on nor drops expired bans.
    """
