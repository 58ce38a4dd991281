"""Streams: what a stream file holds, built in Python or read from a file."""
import json
import os

from volacor import _volacor


class Stream:
    """A process stream as the stream-file format describes it.

    ``Stream(components={"n-butane": 0.1, "n-pentane": 0.9})`` or
    ``Stream.from_file("examples/summer-gasoline.json")``. Components are keyed by name,
    alias, CAS number or host id and keep the order given; fractions are on ``basis``
    ("mole", "mass" or "liquid_volume") and are normalised when they do not add up to 1.
    ``cuts`` are petroleum fractions: dicts with name, fraction, nbp_C, sg and optionally
    mw. The stream is checked when it is made: a bad value raises StreamInputError naming
    the field (and, for a file, the file and line).

    A stream is a small picklable value (its stream-file text), so it travels to Dask
    workers as it is.
    """

    def __init__(self, components, basis="mole", cuts=None, temperature_C=15.0, pressure_kPa=101.325,
                 name=None, molar_flow_kmol_h=1.0):
        document = {"name": name} if name is not None else {}
        document.update(basis=basis, components=dict(components))
        if cuts:
            document["cuts"] = [dict(cut) for cut in cuts]
        document.update(temperature_C=temperature_C, pressure_kPa=pressure_kPa,
                        molar_flow_kmol_h=molar_flow_kmol_h)
        # Written from arguments: errors name the field, not a line of this text.
        self._init_from_text(json.dumps(document), "stream", 0)

    @classmethod
    def from_file(cls, path):
        """Reads a stream file (JSON); errors name the file, the field and the line."""
        path = os.fspath(path)
        with open(path, encoding="utf-8") as handle:
            text = handle.read()
        return cls.from_text(text, source=path)

    @classmethod
    def from_text(cls, text, source="stream", first_line=1):
        """A stream from stream-file text; `source` and `first_line` place its errors."""
        stream = cls.__new__(cls)
        stream._init_from_text(text, source, first_line)
        return stream

    def _init_from_text(self, text, source, first_line):
        described = _volacor.parse_stream(text, source, first_line)
        self._text = text
        self._source = source
        self._first_line = first_line
        self.name = described["name"]
        self.components = dict(described["components"])
        self.basis = described["basis"]
        self.cuts = [dict(cut) for cut in described["cuts"]]
        self.temperature_C = described["temperature_C"]
        self.pressure_kPa = described["pressure_kPa"]
        self.molar_flow_kmol_h = described["molar_flow_kmol_h"]
        self.warnings = list(described["warnings"])  # e.g. fractions normalised

    # What the extension takes: the text and where it came from.
    def _arguments(self):
        return self._text, self._source, self._first_line

    def __getstate__(self):
        return {"text": self._text, "source": self._source, "first_line": self._first_line}

    def __setstate__(self, state):
        self._init_from_text(state["text"], state["source"], state["first_line"])

    def __repr__(self):
        return (f"Stream(name={self.name!r}, components={len(self.components)}, cuts={len(self.cuts)}, "
                f"temperature_C={self.temperature_C}, pressure_kPa={self.pressure_kPa})")
