"""The package's answers as pandas data frames."""
import pandas as pd

from volacor import _volacor


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
        if digits.isdigit() and (digits == str(row["host_id"]) or (row["cas"] and digits in row["cas"].replace("-", ""))):
            return True
        return False

    return frame[[matches(name, row) for name, row in frame.iterrows()]]
