"""volacor.flash: the host's flash, three phases for a wet condensate."""
import numpy as np
import pytest

import volacor
from conftest import example


@pytest.fixture(scope="module")
def wet():
    return volacor.Stream.from_file(example("wet-condensate.json"))


def test_wet_condensate_splits_into_vapour_oil_and_water(wet):
    frame = volacor.flash(wet, 15.0, pressure_kPa=101.325)
    assert list(frame.index) == ["VAP", "LIQ1", "LIQ2", "total"]
    phases = frame.drop(index="total")
    assert phases["fraction"].sum() == pytest.approx(1.0, abs=1e-9)
    assert frame.loc["LIQ2", "water"] > 0.99                              # the aqueous liquid
    assert frame.loc["LIQ2", "density_kg_m3"] == pytest.approx(1000, rel=0.05)
    assert 600 < frame.loc["LIQ1", "density_kg_m3"] < 800                 # a hydrocarbon liquid
    assert frame.loc["VAP", "methane"] > frame.loc["LIQ1", "methane"]     # light gases in the vapour
    # Material balance: the phases add up to the stream's composition.
    feed = pd_series(wet)
    assert np.allclose(frame.loc["total", feed.index], feed.values, atol=1e-9)
    assert frame.attrs["pressure_kPa"] == 101.325


def pd_series(stream):
    import pandas as pd

    z = pd.Series(stream.components, dtype=float)
    return z / z.sum()


def test_vapour_fraction_flash_finds_the_bubble_point(wet):
    bubble = volacor.flash(wet, 37.78, vapour_fraction=0.0)
    pressure = bubble.attrs["pressure_kPa"]
    assert pressure > 101.325
    assert bubble.loc["VAP", "fraction"] == pytest.approx(0.0, abs=1e-9)
    above = volacor.flash(wet, 37.78, pressure_kPa=pressure * 1.05)
    assert "VAP" not in above.index


@pytest.mark.parametrize("arguments", [dict(), dict(pressure_kPa=100.0, vapour_fraction=0.5)])
def test_flash_takes_exactly_one_of_pressure_and_vapour_fraction(wet, arguments):
    with pytest.raises(ValueError, match="either"):
        volacor.flash(wet, 15.0, **arguments)


def test_a_flash_that_fails_raises_with_its_reason(wet):
    with pytest.raises(RuntimeError, match="flash"):
        volacor.flash(wet, 15.0, vapour_fraction=1.5)
