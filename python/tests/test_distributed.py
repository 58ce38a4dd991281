"""rvp_many on a local cluster of two worker processes: input order, row for row equal
to the calculations made one at a time here, a bad stream reported in its own row."""
import math

import pytest
from distributed import Client

import volacor
from volacor.distributed import rvp_many
from conftest import example, leftover_children

TIMEOUT_S = 180


@pytest.fixture(scope="module")
def batch(tmp_path_factory):
    bad = tmp_path_factory.mktemp("streams") / "bad.json"
    bad.write_text('{"name": "bad", "components": {"nC4": 0.5, "unobtainium": 0.5}}\n')
    # A handful: four examples, the bad file in the middle, one example again.
    names = ["light-naphtha.json", "wet-condensate.json", "summer-gasoline.json"]
    return [volacor.Stream.from_file(example(n)) for n in names] + [str(bad)] + \
        [example("n-pentane.json"), volacor.Stream.from_file(example("light-naphtha.json"))]


def assert_equals_sequential(frame, batch, unit="kPa"):
    assert list(frame["stream"].drop_duplicates()) == list(range(len(batch)))  # input order
    for position, item in enumerate(batch):
        rows = frame[frame["stream"] == position]
        if isinstance(item, str) and "bad" in item:
            (row,) = rows.itertuples()
            assert "components.unobtainium" in row.error and "line 1" in row.error
            assert row.method is None and math.isnan(row.value)
            continue
        stream = item if isinstance(item, volacor.Stream) else volacor.Stream.from_file(item)
        expected = volacor.rvp(stream, unit=unit)
        phases = [c for c in expected.columns if c != "messages"]
        assert len(rows) == len(expected) * len(phases)
        assert list(rows["method"].drop_duplicates()) == list(expected.index)
        assert set(rows["name"]) == {stream.name}
        for row in rows.itertuples():
            want = expected.loc[row.method, row.phase]
            assert (math.isnan(row.value) and math.isnan(want)) or row.value == want, (position, row.method, row.phase)
            assert set(row.messages) <= set(expected.loc[row.method, "messages"])
            assert row.unit == unit and row.error == ""
        for method in expected.index:
            # Every message of a method lands in exactly one of its rows.
            got = [m for ms in rows[rows["method"] == method]["messages"] for m in ms]
            assert sorted(got) == sorted(expected.loc[method, "messages"])


def test_on_a_client_of_a_running_cluster(cluster, batch):
    with Client(cluster) as client:
        frame = rvp_many(batch, client=client, timeout=TIMEOUT_S)
        assert client.status == "running"  # a client handed in is left open
    assert_equals_sequential(frame, batch)


def test_on_a_scheduler_address(cluster, batch):
    frame = rvp_many(batch[:4], client=cluster.scheduler_address, unit="psi", timeout=TIMEOUT_S)
    assert_equals_sequential(frame, batch[:4], unit="psi")


def test_options_reach_the_workers(cluster, batch):
    with Client(cluster) as client:
        frame = rvp_many(batch[:1], client=client, methods=["d6377-16"], vl_ratio=1.0, timeout=TIMEOUT_S)
    expected = volacor.rvp(batch[0], methods=["d6377-16"], vl_ratio=1.0)
    assert set(frame["method"]) == {"d6377-16"}
    assert frame.set_index("phase")["value"]["FEED"] == expected.loc["d6377-16", "FEED"]


def test_without_a_client_a_local_cluster_is_started_and_shut_down(batch):
    psutil = pytest.importorskip("psutil")
    before = {p.pid for p in psutil.Process().children(recursive=True)}
    frame = rvp_many(batch[3:5], n_workers=2, timeout=TIMEOUT_S)
    assert_equals_sequential(frame, batch[3:5])
    left = leftover_children(psutil, before)
    assert not left, f"worker processes left behind: {[(p.pid, p.cmdline()) for p in left]}"


def test_an_empty_batch_is_an_empty_frame():
    frame = rvp_many([])
    assert frame.empty and "value" in frame.columns
