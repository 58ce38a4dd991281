"""Pressure units of the package's answers; the library and the host work in kPa."""

# NIST Special Publication 811, Appendix B: 1 psi = 6.894757 kPa; 1 bar = 100 kPa.
_KPA_PER_UNIT = {"kpa": ("kPa", 1.0), "psi": ("psi", 6.894757), "bar": ("bar", 100.0)}


def unit_name(unit):
    """'kPa', 'psi' or 'bar' for any case of the three; ValueError otherwise."""
    try:
        return _KPA_PER_UNIT[str(unit).lower()][0]
    except KeyError:
        raise ValueError(f"unknown pressure unit {unit!r}; use 'kPa', 'psi' or 'bar'") from None


def from_kpa(value_kPa, unit):
    return value_kPa / _KPA_PER_UNIT[str(unit).lower()][1]
