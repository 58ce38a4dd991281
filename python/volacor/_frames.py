"""The package's answers as pandas data frames."""
import json

import numpy as np
import pandas as pd

from volacor import _volacor
from volacor._library import library_path
from volacor._units import from_kpa, unit_name

PHASES = ("FEED", "VAP", "LIQ1", "LIQ2", "SOLID")
_EOS = ("pr", "srk")


def _check_eos(eos):
    if eos not in _EOS:
        raise ValueError(f"unknown equation of state {eos!r}; use 'pr' (Peng-Robinson) or 'srk'")
    return eos


def rvp_record(stream, methods=None, temperature_C=37.78, remove_nc_percent=None, vl_ratio=4.0, eos="pr"):
    """One stream's calculation as a plain dict, in kPa, laid out as the command-line
    tool's JSON: stream, source, temperature_C, unit ("kPa"), phases (present at the
    stream's own conditions), methods (short_name, display_name, prog_id, class_id, feed_only,
    rvp by phase or None, messages, and failure when the calculation itself failed) and
    warnings."""
    if isinstance(methods, str):
        methods = [methods]
    text = _volacor.rvp_json(*stream._arguments(), library_path(), list(methods or []), float(temperature_C),
                             None if remove_nc_percent is None else float(remove_nc_percent),
                             None if vl_ratio is None else float(vl_ratio), _check_eos(eos))
    return json.loads(text)


def shown_phases(record):
    """FEED, the phases present in the stream and any phase a method gave a value for."""
    return _volacor.shown_phases(json.dumps(record, ensure_ascii=False))


def rvp(stream, methods=None, temperature_C=37.78, remove_nc_percent=None, vl_ratio=4.0, eos="pr", unit="kPa"):
    """Every method's RVP of the stream: a row per method (index: short name), a column
    per phase shown (FEED, then the phases present at the stream's own conditions), NaN
    where a method gives no value, and the method's message lines in "messages".

    `methods`: short names or programmatic ids (default: all nine); `temperature_C`: the
    reference temperature; `remove_nc_percent`: light gases below this mole % are
    removed; `vl_ratio`: the vapour/liquid volume ratio of ASTM D6377-16; `eos`: "pr" or
    "srk"; `unit`: "kPa", "psi" or "bar". The frame's attrs hold the unit, the stream's
    name, the reference temperature and warnings about the stream.
    """
    unit = unit_name(unit)
    record = rvp_record(stream, methods, temperature_C, remove_nc_percent, vl_ratio, eos)
    return record_frame(record, unit)


def record_frame(record, unit="kPa"):
    """The data frame of one stream's calculation record (see rvp)."""
    phases = shown_phases(record)
    rows = {}
    for m in record["methods"]:
        row = {p: np.nan if m["rvp"][p] is None else from_kpa(m["rvp"][p], unit) for p in phases}
        messages = list(m["messages"])
        if m.get("failure"):
            messages.append(m["failure"])
        row["messages"] = messages
        rows[m["short_name"]] = row
    frame = pd.DataFrame.from_dict(rows, orient="index", columns=[*phases, "messages"])
    frame.index.name = "method"
    frame.attrs.update(unit=unit, stream=record["stream"], temperature_C=record["temperature_C"],
                       warnings=list(record["warnings"]))
    return frame


def flash_record(stream, temperature_C, pressure_kPa=None, vapour_fraction=None, eos="pr"):
    """The host's flash of the stream as a plain dict (see flash)."""
    if (pressure_kPa is None) == (vapour_fraction is None):
        raise ValueError("give either pressure_kPa or vapour_fraction")
    text = _volacor.flash_json(*stream._arguments(), _check_eos(eos), float(temperature_C),
                               None if pressure_kPa is None else float(pressure_kPa),
                               None if vapour_fraction is None else float(vapour_fraction))
    return json.loads(text)


def flash(stream, temperature_C, pressure_kPa=None, vapour_fraction=None, eos="pr"):
    """The host's flash of the stream at `temperature_C` and either `pressure_kPa` or a
    vapour mole fraction (0: bubble point, 1: dew point), the same flash the methods use.

    A row per phase present (VAP, LIQ1 hydrocarbon liquid, LIQ2 aqueous liquid) and a
    row "total" for the whole fluid; columns fraction (mole), molar_volume_m3_kmol,
    density_kg_m3 and one column per component with its mole fraction. attrs hold
    temperature_C and pressure_kPa (found when a vapour fraction was given). A flash that
    fails raises RuntimeError with its reason.
    """
    record = flash_record(stream, temperature_C, pressure_kPa, vapour_fraction, eos)
    names = record["components"]
    rows, index = [], []
    for phase in PHASES[1:]:
        data = record["phases"][phase]
        if not data["present"]:
            continue
        index.append(phase)
        rows.append([data["fraction"], data["molar_volume_m3_kmol"], data["density_kg_m3"], *data["mole_fractions"]])
    feed = _feed_mole_fractions(record)
    index.append("total")
    rows.append([1.0, record["molar_volume_m3_kmol"], record["density_kg_m3"], *feed])
    frame = pd.DataFrame(rows, index=pd.Index(index, name="phase"),
                         columns=["fraction", "molar_volume_m3_kmol", "density_kg_m3", *names])
    frame.attrs.update(temperature_C=record["temperature_C"], pressure_kPa=record["pressure_kPa"],
                       stream=record["stream"])
    return frame


def _feed_mole_fractions(record):
    # The whole fluid is the phases together, weighted by their fractions.
    total = np.zeros(len(record["components"]))
    for phase in PHASES[1:]:
        data = record["phases"][phase]
        if data["present"]:
            total += data["fraction"] * np.asarray(data["mole_fractions"])
    return list(total)


def analysis_record(stream, eos="pr"):
    """The host's stream analysis as a plain dict: volume_percent (the D86 points),
    slope_points (indices of the 5 % and 15 % points) and per phase d86_C (None where
    undefined) and bp_curve_rvp_kPa."""
    return json.loads(_volacor.analysis_json(*stream._arguments(), _check_eos(eos)))


def methods():
    """The nine methods: a row per method (index: short name) with display name,
    programmatic id, class id, class name and whether it calculates the feed only."""
    frame = pd.DataFrame(json.loads(_volacor.methods_json())).set_index("short_name")
    frame.index.name = "method"
    return frame


def components(text=None):
    """The component table, a row per component (index: name).

    `text` filters it: a component matches when the text is part of its name, an alias or
    its formula (case-insensitive), its CAS number (with or without hyphens) or equals its
    host id.
    """
    frame = pd.DataFrame(_volacor.components()).set_index("name")
    if text is None:
        return frame
    needle = str(text).strip().lower()
    digits = needle.replace("-", "")

    def matches(name, row):
        words = [name, row["formula"], *row["aliases"]]
        if any(needle in word.lower() for word in words):
            return True
        return digits.isdigit() and (digits == str(row["host_id"])
                                     or bool(row["cas"]) and digits in row["cas"].replace("-", ""))

    return frame[[matches(name, row) for name, row in frame.iterrows()]]
