"""volacor.rvp against the command-line tool: the same chain, so the same numbers and
messages for every example; plus the frame's shape, units and the process-wide lock."""
import math
import os
import threading

import numpy as np
import pytest

import volacor
from conftest import CLI, EXAMPLE_FILES, cli_json, example

def test_examples_are_there():
    assert len(EXAMPLE_FILES) >= 6


def test_the_package_stands_for_the_command_of_its_build():
    # What the methods find beside the host executable (the API 5B1.1 companion) is
    # what lies beside the command, not beside the interpreter.
    from volacor import _volacor
    assert os.path.samefile(_volacor.host_executable(), CLI)
    gasoline = volacor.rvp(volacor.Stream.from_file(example("summer-gasoline.json")), methods=["api-5b1.1"])
    assert not any("Companion library not found" in line for line in gasoline.loc["api-5b1.1", "messages"])


@pytest.mark.parametrize("path", EXAMPLE_FILES, ids=os.path.basename)
def test_every_example_equals_the_command_line_tool(path):
    expected = cli_json(path)
    frame = volacor.rvp(volacor.Stream.from_file(path))

    assert frame.attrs["stream"] == expected["stream"]
    assert frame.attrs["warnings"] == expected["warnings"]
    methods = {m["short_name"]: m for m in expected["methods"]}
    assert list(frame.index) == list(methods)
    phases = [c for c in frame.columns if c != "messages"]
    assert set(expected["phases"]) <= set(phases) and phases[0] == "FEED"
    for name, row in frame.iterrows():
        want = methods[name]
        for phase in phases:
            value = want["rvp"][phase]
            if value is None:
                assert math.isnan(row[phase]), (name, phase)
            else:
                assert row[phase] == pytest.approx(value, rel=1e-12), (name, phase)
        assert row["messages"] == want["messages"] + ([want["failure"]] if "failure" in want else [])


def test_frame_holds_a_row_per_method_and_nan_where_a_method_gives_none():
    frame = volacor.rvp(volacor.Stream.from_file(example("wet-condensate.json")))
    assert frame.index.name == "method" and len(frame) == 9
    # Vapour, oil and water at the stream's own conditions: a column each, after the feed.
    assert list(frame.columns) == ["FEED", "VAP", "LIQ1", "LIQ2", "messages"]
    # The modified method calculates the whole stream only.
    assert frame.loc["modified-astm"].drop(["FEED", "messages"]).isna().all()
    assert np.isfinite(frame.loc["d6377-16", "FEED"])


def test_units_and_method_selection():
    stream = volacor.Stream.from_file(example("light-naphtha.json"))
    kpa = volacor.rvp(stream, methods=["d6377-16", "Volacor.API_5B1_2"])
    psi = volacor.rvp(stream, methods=["d6377-16", "Volacor.API_5B1_2"], unit="psi")
    bar = volacor.rvp(stream, methods="d6377-16", unit="BAR")
    assert list(kpa.index) == ["d6377-16", "api-5b1.2"]
    assert psi.loc["d6377-16", "FEED"] == pytest.approx(kpa.loc["d6377-16", "FEED"] / 6.894757)
    assert bar.loc["d6377-16", "FEED"] == pytest.approx(kpa.loc["d6377-16", "FEED"] / 100)
    assert (kpa.attrs["unit"], psi.attrs["unit"], bar.attrs["unit"]) == ("kPa", "psi", "bar")


def test_parameters_reach_the_methods_and_do_not_stay_for_the_next_call():
    stream = volacor.Stream.from_file(example("light-naphtha.json"))
    at_4 = volacor.rvp(stream, methods="d6377-16").loc["d6377-16", "FEED"]
    at_1 = volacor.rvp(stream, methods="d6377-16", vl_ratio=1.0).loc["d6377-16", "FEED"]
    colder = volacor.rvp(stream, methods="d6377-16", temperature_C=20).loc["d6377-16", "FEED"]
    assert at_1 > at_4 > colder  # less vapour needs a higher pressure; a colder test a lower one
    condensate = volacor.Stream.from_file(example("stabilised-condensate.json"))
    plain = volacor.rvp(condensate)
    stripped = volacor.rvp(condensate, remove_nc_percent=5.0, temperature_C=30.0)
    assert not stripped[["FEED"]].equals(plain[["FEED"]])
    # Objects are kept between calls: what one call set must not reach the next.
    assert volacor.rvp(condensate).equals(plain)
    assert volacor.rvp(stream, methods="d6377-16").loc["d6377-16", "FEED"] == at_4
    srk = volacor.rvp(stream, methods="d6377-16", eos="srk").loc["d6377-16", "FEED"]
    assert srk != at_4 and srk == pytest.approx(at_4, rel=0.1)


def test_many_sets_of_parameters_in_turn_give_each_its_own_results():
    # Every set of parameters keeps its own objects, up to a bound; passing the bound
    # in the middle of a call must not take away the objects that call is using.
    stream = volacor.Stream.from_file(example("stabilised-condensate.json"))
    percents = [0.5 * (i + 1) for i in range(10)]  # 90 objects: past the bound, more than once
    first = [volacor.rvp(stream, remove_nc_percent=p) for p in percents]
    again = [volacor.rvp(stream, remove_nc_percent=p) for p in reversed(percents)][::-1]
    for got, want in zip(again, first):
        assert got.equals(want)
    assert not first[0][["FEED"]].equals(first[-1][["FEED"]])


@pytest.mark.parametrize("options, words", [
    (dict(methods=["d9999"]), "unknown method"),
    (dict(eos="vdw"), "equation of state"),
    (dict(unit="atm"), "pressure unit"),
])
def test_bad_options_raise_value_errors(options, words):
    with pytest.raises(ValueError, match=words):
        volacor.rvp(volacor.Stream.from_file(example("n-pentane.json")), **options)


def test_calculations_from_threads_equal_the_sequential_ones():
    # The library's calculator is process-wide: calls from several threads must be
    # serialised by the module, and give what they give one at a time.
    streams = [volacor.Stream.from_file(p) for p in EXAMPLE_FILES]
    sequential = [volacor.rvp(s) for s in streams]
    results = [None] * len(streams)

    def work(i):
        results[i] = volacor.rvp(streams[i])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(streams))]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=120)
    for got, want in zip(results, sequential):
        assert got is not None and got.equals(want)


def test_methods_and_components_tables():
    methods = volacor.methods()
    assert len(methods) == 9 and methods.index.is_unique
    assert methods.loc["d6377-16", "prog_id"] == "Volacor.ASTM_D6377_16"
    assert methods.loc["d6377-16", "class_id"] == "{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}"
    assert methods.loc["modified-astm", "feed_only"]
    everything = volacor.components()
    assert "n-pentane" in everything.index
    assert list(volacor.components("109-66-0").index) == ["n-pentane"]
    assert "n-pentane" in volacor.components("nC5").index
    assert volacor.components("no such thing").empty
