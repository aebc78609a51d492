"""Deliberate misuses. mypy and pyright must each report exactly the lines that end in an
error comment; tests/velmora_core/test_typing.py checks both."""

import velmora_core_rs as core

from velmora_core.records import FeatureRecord, Telemetry

core.consume_nonce_rs(12345)  # error: an int nonce
core.ban_ip_rs("192.0.2.1", "sixty")  # error: a str duration
core.ban_ip_rs("192.0.2.1", 60.0)  # error: a float duration
record: FeatureRecord = core.extract_features_rs({})
speed = record["avg_velocty"]  # error: a misspelled feature key
label: str = record["avg_velocity"]  # error: a float assigned to a str
core.extract_feature_rs({})  # error: a misspelled function
core.evaluate_curvature_naturalness_rs("0123", [0.0], [0.0])  # error: a str as a sequence
core.evaluate_curvature_zerocopy_rs({1.0, 2.0}, [0.0], [0.0])  # error: a set as a sequence
core.evaluate_keystroke_dynamics_rs([["a", 0.0, 50.0]])  # error: a list record
core.hydrate_bans_rs([["192.0.2.1", 1_900_000_000]])  # error: a list pair
core.hydrate_bans_rs({"192.0.2.1": 1_900_000_000})  # error: a dict of bans
session: Telemetry = {"mouse_movement": []}  # error: a misspelled telemetry key
core.extract_features_rs({"browser": {"webdriver": 1}})  # error: an int flag
active: bool = core.is_rust_core_active(True)  # error: an argument to a probe
