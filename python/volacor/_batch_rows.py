"""Many streams' calculations as rows: a row per stream, method and phase shown, the
layout of the command-line tool's batch CSV."""
import numpy as np
import pandas as pd

from volacor._frames import shown_phases
from volacor._units import from_kpa

COLUMNS = ["stream", "name", "source", "method", "display_name", "prog_id", "phase", "value", "unit", "messages",
           "error"]


def message_phase(message, phases):
    """The phase a message line names ("Phase: VAP - ..."), or None."""
    prefix = "Phase: "
    if not message.startswith(prefix):
        return None
    rest = message[len(prefix):]
    for phase in phases:
        if rest.startswith(phase + " - "):
            return phase
    return None


def record_rows(position, record, unit):
    """Rows of one stream's record (or of its error). A message goes to the row of the
    phase it names, one that names no phase shown to the method's first row; the
    method's failure, if any, goes into "error"."""
    if "error" in record:
        return [dict(stream=position, name=record.get("stream", ""), source=record.get("source", ""), method=None,
                     display_name=None, prog_id=None, phase=None, value=np.nan, unit=unit, messages=[],
                     error=record["error"])]
    phases = shown_phases(record)
    rows = []
    for m in record["methods"]:
        by_phase = {p: [] for p in phases}
        for message in m["messages"]:
            about = message_phase(message, phases)
            by_phase[about if about in by_phase else phases[0]].append(message)
        for p in phases:
            value = m["rvp"][p]
            rows.append(dict(stream=position, name=record["stream"], source=record["source"], method=m["short_name"],
                             display_name=m["display_name"], prog_id=m["prog_id"], phase=p,
                             value=np.nan if value is None else from_kpa(value, unit), unit=unit,
                             messages=by_phase[p], error=m.get("failure", "")))
    return rows


def records_frame(records, unit):
    rows = [row for position, record in enumerate(records) for row in record_rows(position, record, unit)]
    return pd.DataFrame(rows, columns=COLUMNS)
