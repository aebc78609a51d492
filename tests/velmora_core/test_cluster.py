"""The extraction on a Dask LocalCluster (two worker processes on loopback) equals the local run."""

import pathlib

import dask.bag as db
import pytest
from distributed import Client, LocalCluster

from velmora_core.batch.extraction import extract_lines
from velmora_core.cli import main
from velmora_core.batch.cluster import features_frame
from velmora_core.records import FEATURE_NAMES
from helpers import DATA

INPUTS = [str(DATA / "human_sample.jsonl"), str(DATA / "bot_sample.jsonl")]


@pytest.fixture(scope="module")
def cluster():
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None) as local:
        yield local


def local_rows(keep=()):
    rows = []
    for path in INPUTS:
        found, rejects = extract_lines(pathlib.Path(path).read_bytes().splitlines(), 1, keep)
        assert not rejects
        rows += [(path, *row) for row in found]
    return rows


def test_dataframe_of_a_bag_equals_local_rows(cluster):
    bag = db.read_text(INPUTS, include_path=True)
    with Client(cluster) as client:
        frame = features_frame(bag, keep=["label"]).compute()
        assert len(client.scheduler_info()["workers"]) == 2
    assert list(frame.columns) == ["file", "line", "label", *FEATURE_NAMES]
    got = [tuple(row) for row in frame.itertuples(index=False)]
    assert got == local_rows(["label"])


def test_bad_line_in_a_bag_raises_or_is_skipped(cluster, tmp_path):
    good = pathlib.Path(INPUTS[0]).read_text().splitlines()[0]
    path = tmp_path / "bad.jsonl"
    path.write_text(f"{good}\n[1]\n{good}\n")
    with Client(cluster):
        bag = db.read_text(str(path), include_path=True)
        with pytest.raises(ValueError, match=r"bad.jsonl:2: not a JSON object"):
            features_frame(bag).compute()
        assert features_frame(bag, errors="skip").compute()["line"].tolist() == [1, 3]
        for keep in (["line"], ["label", "label"], ["mouse_points"]):
            with pytest.raises(ValueError, match="--keep"):
                features_frame(bag, keep=keep)


def test_cli_with_scheduler_equals_local_run(cluster, tmp_path):
    local, remote = tmp_path / "local.csv", tmp_path / "remote.csv"
    assert main(["features", *INPUTS, "-o", str(local), "-j", "1", "-q"]) == 0
    assert main(["features", *INPUTS, "-o", str(remote), "--scheduler", cluster.scheduler_address, "-q"]) == 0
    assert remote.read_bytes() == local.read_bytes()
