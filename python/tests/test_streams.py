"""Streams made in Python and read from files: the same reader as the command-line
tool, its errors as exceptions that name the field (and the file and line)."""
import pickle

import pytest

import volacor
from conftest import example


def test_python_stream_matches_the_same_stream_read_from_a_file(tmp_path):
    path = tmp_path / "blend.json"
    path.write_text('{"name": "blend", "basis": "mass",\n "components": {"nC4": 0.25, "n-pentane": 0.75},\n'
                    ' "cuts": [{"name": "C7+", "fraction": 0.1, "nbp_C": 120, "sg": 0.75}],\n'
                    ' "temperature_C": 20}\n')
    from_file = volacor.Stream.from_file(path)
    built = volacor.Stream(components={"nC4": 0.25, "n-pentane": 0.75}, basis="mass",
                           cuts=[{"name": "C7+", "fraction": 0.1, "nbp_C": 120, "sg": 0.75}], temperature_C=20,
                           name="blend")
    for stream in (from_file, built):
        assert stream.name == "blend"
        assert list(stream.components) == ["nC4", "n-pentane"]  # order as written
        assert stream.basis == "mass"
        assert stream.cuts[0]["nbp_C"] == 120
        assert stream.temperature_C == 20 and stream.pressure_kPa == 101.325
    assert volacor.rvp(from_file).equals(volacor.rvp(built))


def test_stream_survives_pickling_as_it_travels_to_workers():
    stream = volacor.Stream.from_file(example("light-naphtha.json"))
    copy = pickle.loads(pickle.dumps(stream))
    assert (copy.name, copy.components, copy._source) == (stream.name, stream.components, stream._source)


@pytest.mark.parametrize("arguments, field, words", [
    (dict(components={"nC4": -0.3, "n-pentane": 0.7}), "components.nC4", "negative"),
    (dict(components={"butan": 1.0}), "components.butan", "n-butane"),  # nearest names offered
    (dict(components={"nC4": 0.5, "n-butane": 0.5}), "components.n-butane", "n-butane"),  # one component twice
    (dict(components={"nC4": "much"}), "components.nC4", "number"),
    (dict(components={"nC4": 1.0}, basis="weight"), "basis", "mole"),
    (dict(components={"nC4": 1.0}, cuts=[{"name": "C7", "fraction": 0.1, "nbp_C": 92}]), "cuts[0]", "sg"),
    (dict(components={"nC4": 1.0}, pressure_kPa=-5), "pressure_kPa", "pressure"),
])
def test_bad_python_streams_raise_naming_the_field(arguments, field, words):
    with pytest.raises(volacor.StreamInputError) as raised:
        volacor.Stream(**arguments)
    assert raised.value.field == field
    assert field in str(raised.value) and words in str(raised.value)
    assert isinstance(raised.value, ValueError)


def test_bad_stream_file_names_file_field_and_line(tmp_path):
    path = tmp_path / "bad.json"
    path.write_text('{\n  "components": {\n    "nC4": 0.5,\n    "n-pentane": -1\n  }\n}\n')
    with pytest.raises(volacor.StreamInputError) as raised:
        volacor.Stream.from_file(path)
    error = raised.value
    assert (error.file, error.field, error.line) == (str(path), "components.n-pentane", 4)
    assert str(path) in str(error) and "line 4" in str(error)


def test_unreadable_json_names_the_line(tmp_path):
    path = tmp_path / "broken.json"
    path.write_text('{"components": {"nC4": 1.0,,}}\n')
    with pytest.raises(volacor.StreamInputError) as raised:
        volacor.Stream.from_file(path)
    assert raised.value.line == 1 and raised.value.file == str(path)


def test_missing_file_is_an_os_error(tmp_path):
    with pytest.raises(FileNotFoundError):
        volacor.Stream.from_file(tmp_path / "none.json")
