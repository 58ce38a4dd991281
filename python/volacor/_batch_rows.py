"""Many streams' calculations as rows: a row per stream, method and phase shown, the
layout of the command-line tool's batch CSV (made by the command's own code)."""
import json

import numpy as np
import pandas as pd

from volacor import _volacor

COLUMNS = ["stream", "name", "source", "method", "display_name", "prog_id", "phase", "value", "unit", "messages",
           "error"]


def record_rows(position, record, unit):
    """Rows of one stream's record (or of its error). A message goes to the row of the
    phase it names, one that names no phase shown to the method's first row; the
    method's failure, if any, goes into "error"."""
    if "error" in record:
        return [dict(stream=position, name=record.get("stream", ""), source=record.get("source", ""), method=None,
                     display_name=None, prog_id=None, phase=None, value=np.nan, unit=unit, messages=[],
                     error=record["error"])]
    common = dict(stream=position, name=record["stream"], source=record["source"], unit=unit)
    return [dict(common, method=row["method"], display_name=row["display_name"], prog_id=row["prog_id"],
                 phase=row["phase"], value=row["value"], messages=row["messages"], error=row["failure"])
            for row in _volacor.outcome_rows(json.dumps(record, ensure_ascii=False), unit)]


def records_frame(records, unit):
    rows = [row for position, record in enumerate(records) for row in record_rows(position, record, unit)]
    return pd.DataFrame(rows, columns=COLUMNS)
