"""The typed records and the docs against what the module really returns; one version everywhere."""

import ast
import importlib.metadata
import json
import typing

import pytest

import velmora_core
import velmora_core_rs as core
from velmora_core.feature_info import FEATURE_INFO, FeatureInfo
from velmora_core import records
from velmora_core._native import feature_table
from helpers import DATA, ROOT

DOCS = ROOT / "docs"
SESSION = json.loads((DATA / "human_sample.jsonl").read_text().splitlines()[0])


def test_one_version_everywhere():
    assert core.get_core_version() == velmora_core.__version__ + "-native-rust"
    assert importlib.metadata.version("velmora_core_rs") == velmora_core.__version__


@pytest.mark.parametrize("record,result", [
    (records.FeatureRecord, lambda: core.extract_features_rs(SESSION)),
    (records.FeatureRecord, lambda: core.extract_features_rs({})),
    (records.CurvatureReport, lambda: core.evaluate_curvature_naturalness_rs(range(6), [0, 1, 0, 1, 0, 1], range(6))),
    (records.KeystrokeReport, lambda: core.evaluate_keystroke_dynamics_rs(SESSION["keystrokes"])),
    (records.StateEngineStats, core.get_state_engine_stats_rs),
], ids=["features", "empty-features", "curvature", "keystrokes", "stats"])
def test_result_records_match_the_module(record, result):
    value = result()
    hints = typing.get_type_hints(record)
    assert list(value) == list(hints)
    assert {key: type(v) for key, v in value.items()} == hints
    if record is records.FeatureRecord:
        assert tuple(value) == records.FEATURE_NAMES


def doc_table(name, heading):
    """The first table under `heading` in docs/`name`, as one dict per row."""
    lines = (DOCS / name).read_text(encoding="utf-8").splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("#") and line.lstrip("#").strip() == heading)
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("#"):
            break
        if line.startswith("|"):
            rows.append([cell.strip() for cell in line.strip().strip("|").split("|")])
    header, _rule, *body = rows
    return [dict(zip(header, row, strict=True)) for row in body]


def type_word(annotation):
    """How the docs name an input field's type."""
    words = {records.Number: "number", typing.SupportsIndex: "integer"}
    if annotation in words:
        return words[annotation]
    if typing.get_origin(annotation) is list:
        (item,) = typing.get_args(annotation)
        return "list" if item is typing.Any else f"list of {item.__name__}"
    return annotation.__name__


def test_every_copy_of_the_feature_names_matches_the_extension_s_table():
    """Names, order, types, values without data, units and meanings: the Python names and
    typed record, the legends, the stubs and docs/features.md against the table the record is
    built from, and the record an empty session really gets."""
    table = feature_table()
    names = tuple(row[0] for row in table)
    assert len(names) == 39
    assert records.FEATURE_NAMES == names
    hints = typing.get_type_hints(records.FeatureRecord)
    assert tuple(hints) == names
    assert tuple(FEATURE_INFO) == names
    empty = core.extract_features_rs({})
    assert tuple(empty) == names

    rows = doc_table("features.md", "The feature record")
    assert [row["Key"].strip("`") for row in rows] == list(names)
    for (name, type_name, none, unit, title, meaning, _origin, _exact), row in zip(table, rows, strict=True):
        assert hints[name].__name__ == type_name == type(none).__name__, name
        assert type(empty[name]) is type(none) and empty[name] == none, name
        assert (row["Type"], row["Unit"], row["Meaning"], row["Without data"]) == (
            type_name, unit, meaning, f"`{none!r}`"), name
        assert FEATURE_INFO[name] == FeatureInfo(title, unit), name  # the CLI's legends say the same

    stub = ast.parse((ROOT / "python/velmora_core_rs-stubs/__init__.pyi").read_text(encoding="utf-8"))
    extract = next(node for node in stub.body if isinstance(node, ast.FunctionDef) and node.name == "extract_features_rs")
    assert ast.unparse(extract.returns) == "FeatureRecord"
    assert ast.get_docstring(extract).startswith(f"Compute the {len(names)} features")


@pytest.mark.parametrize("record", [records.Telemetry, records.BrowserFacts, records.MouseSample, records.KeystrokeRecord])
def test_input_schema_matches_the_records(record):
    rows = doc_table("telemetry.md", record.__name__)
    hints = typing.get_type_hints(record)
    assert [row["Key"].strip("`") for row in rows] == list(hints)
    assert [row["Type"] for row in rows] == [type_word(t) for t in hints.values()]
    assert not record.__required_keys__


def test_browser_defaults_in_the_schema_are_the_module_s():
    no_browser = core.extract_features_rs({})
    empty_browser = core.extract_features_rs({"browser": {}})
    rows = [row for row in doc_table("telemetry.md", "BrowserFacts") if row["Key"].strip("`") in no_browser]
    assert len(rows) == 5
    for row in rows:
        key = row["Key"].strip("`")
        assert row["No browser dict"] == f"`{no_browser[key]!r}`", key
        assert row["Key missing or unreadable"] == f"`{empty_browser[key]!r}`", key
