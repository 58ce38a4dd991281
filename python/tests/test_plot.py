"""Both figures for every example, checked on their artists: the curves, the markers
and their labels."""
import os

import numpy as np
import pytest

import volacor
from volacor import plot
from conftest import EXAMPLE_FILES, example


def lines_by_gid(figure):
    (axes,) = figure.axes
    return {line.get_gid(): line for line in axes.lines}, axes


@pytest.mark.parametrize("path", EXAMPLE_FILES, ids=os.path.basename)
def test_vapour_liquid_curve(path):
    stream = volacor.Stream.from_file(path)
    figure = plot.vapour_liquid_curve(stream)
    lines, axes = lines_by_gid(figure)
    assert axes.get_xscale() == "log" and axes.get_xlim() == pytest.approx(plot.RATIO_RANGE)

    curve = lines["curve"]
    ratios, pressures = np.asarray(curve.get_xdata()), np.asarray(curve.get_ydata())
    bubble = volacor.flash(stream, 37.78, vapour_fraction=0.0).attrs["pressure_kPa"]
    assert lines["tvp"].get_ydata()[0] == pytest.approx(bubble)
    assert "TVP" in lines["tvp"].get_label()
    if ratios.size:
        # Within the axis, and pressure falls as the vapour share grows, below the TVP.
        assert ratios.min() >= plot.RATIO_RANGE[0] and ratios.max() <= plot.RATIO_RANGE[1]
        assert np.all(np.diff(ratios) > 0) and np.all(np.diff(pressures) <= 1e-9 * bubble)
        assert pressures.max() <= bubble * (1 + 1e-9)

    results = volacor.rvp(stream)["FEED"].dropna()
    marked = {gid.split(":", 1)[1]: line for gid, line in lines.items() if gid and gid.startswith("rvp:")}
    assert set(marked) == set(results.index)
    texts = {t.get_text() for t in axes.texts}
    for method, line in marked.items():
        assert line.get_marker() == "o" and line.get_ydata()[0] == pytest.approx(results[method])
        assert any(method in t.split(", ") for t in texts) and line.get_label().startswith(method)


def test_the_d6377_result_sits_on_the_curve_at_its_ratio():
    # ASTM D6377-16 looks for the pressure at V/L = 4: its marker lies on the curve there.
    stream = volacor.Stream.from_file(example("summer-gasoline.json"))
    lines, _ = lines_by_gid(plot.vapour_liquid_curve(stream, methods=["d6377-16"]))
    assert lines["rvp:d6377-16"].get_xdata()[0] == pytest.approx(4.0, rel=0.05)
    assert lines["vl_ratio"].get_xdata()[0] == 4.0


@pytest.mark.parametrize("path", EXAMPLE_FILES, ids=os.path.basename)
def test_distillation_curve(path):
    stream = volacor.Stream.from_file(path)
    figure = plot.distillation_curve(stream)
    lines, axes = lines_by_gid(figure)
    analysis = volacor._frames.analysis_record(stream)
    five, fifteen = analysis["slope_points"]
    points = analysis["volume_percent"]
    assert (points[five], points[fifteen]) == (5.0, 15.0)

    drawn = [gid.split(":", 1)[1] for gid in lines if gid and gid.startswith("d86:")]
    defined = [p for p, data in analysis["phases"].items() if any(t is not None for t in data["d86_C"])]
    assert drawn == defined and "FEED" in drawn
    for phase in drawn:
        curve = np.asarray(lines[f"d86:{phase}"].get_ydata(), dtype=float)
        assert np.all(np.diff(curve[np.isfinite(curve)]) >= -1e-9)  # a distillation curve never falls
        slope = lines[f"slope:{phase}"]
        assert slope.get_marker() == "s"
        assert list(slope.get_xdata()) == [5.0, 15.0]
        assert list(slope.get_ydata()) == pytest.approx([curve[five], curve[fifteen]])
        assert "10 % slope" in slope.get_label()
    assert axes.get_xlabel().startswith("volume distilled")
