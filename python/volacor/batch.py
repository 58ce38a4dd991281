"""python3 -m volacor.batch FILE [--scheduler ADDRESS]: the RVP of every stream of a
batch file on a Dask cluster.

FILE is a batch file as the command-line tool's `volacor batch` reads it: JSON lines
(one stream object a line) or CSV (a `name` column, optional temperature_C,
pressure_kPa and basis columns, a column per component). The output, on standard
output or --output, is JSON lines (one object a stream) or CSV (a row per stream,
method and phase) in the layout of `volacor batch`. Without --scheduler a local
cluster of --workers processes (one thread each) does the work.

Exit status: 0 when every stream was read and calculated, 2 when the file or a stream
in it is bad input, 1 for any other failure.
"""
import argparse
import json
import sys

from volacor import _volacor
from volacor._errors import StreamInputError
from volacor._stream import Stream
from volacor._units import unit_name
from volacor.distributed import calculate_records

EXIT_SUCCESS, EXIT_FAILURE, EXIT_BAD_INPUT = 0, 1, 2


def read_streams(path):
    """(items, labels): per stream of the batch file either a Stream or an error record
    (a line that cannot be made into a stream), labelled "FILE:LINE"."""
    items, labels = [], []
    for entry in _volacor.read_batch(path):
        label = f"{path}:{entry['line']}"
        labels.append(label)
        if entry["error"]:
            items.append({"stream": entry["name"], "source": label, "error": entry["error"], "bad_input": True})
            continue
        try:
            items.append(Stream.from_text(entry["text"], source=path, first_line=entry["line"]))
        except StreamInputError as error:
            items.append({"stream": entry["name"], "source": label, "error": str(error), "bad_input": True})
    return items, labels


def calculate(items, labels, client=None, n_workers=None, **options):
    """The records in input order: streams calculated on the cluster, errors kept."""
    positions = [i for i, item in enumerate(items) if isinstance(item, Stream)]
    records = list(items)
    calculated = calculate_records([items[i] for i in positions], client, n_workers,
                                   labels=[labels[i] for i in positions], **options)
    for position, record in zip(positions, calculated):
        records[position] = record
    return records


def output_text(record, unit, form):
    """One stream as `volacor batch` writes it: its JSON line or its CSV rows, by the
    command's own writers."""
    text = json.dumps(record, ensure_ascii=False)
    return _volacor.outcome_csv_rows(text, unit) if form == "csv" else _volacor.outcome_json_line(text, unit)


def exit_status(records):
    status = EXIT_SUCCESS
    for record in records:
        if "error" in record:
            if record.get("bad_input", True):
                return EXIT_BAD_INPUT
            status = EXIT_FAILURE
        elif any(m.get("failure") for m in record["methods"]):
            status = EXIT_FAILURE
    return status


def _arguments(argv):
    parser = argparse.ArgumentParser(prog="python3 -m volacor.batch", description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file", metavar="FILE", help="batch file: JSON lines (.jsonl) or CSV (.csv)")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="Dask scheduler to run on (tcp://host:8786); without it a local cluster is started")
    parser.add_argument("--workers", type=int, default=None,
                        help="worker processes of the local cluster (default: the number of CPUs)")
    parser.add_argument("--format", choices=("jsonl", "csv"), default="jsonl", help="output format (default jsonl)")
    parser.add_argument("--output", "-o", metavar="PATH", help="write here instead of standard output")
    parser.add_argument("--method", action="append", dest="methods", metavar="NAME",
                        help="a method by short name or programmatic id (repeat for several; default all nine)")
    parser.add_argument("--temperature-C", type=float, default=37.78, dest="temperature_C",
                        help="reference temperature, °C (default 37.78)")
    parser.add_argument("--remove-nc-percent", type=float, default=None, dest="remove_nc_percent",
                        help="light gases below this mole %% are removed before the calculation")
    parser.add_argument("--vl-ratio", type=float, default=4.0, dest="vl_ratio",
                        help="vapour/liquid volume ratio of ASTM D6377-16 (default 4)")
    parser.add_argument("--eos", choices=("pr", "srk"), default="pr", help="equation of state (default pr)")
    parser.add_argument("--unit", default="kPa", help="pressure unit of the results: kPa, psi or bar")
    return parser.parse_args(argv)


def main(argv=None):
    args = _arguments(argv)
    try:
        unit = unit_name(args.unit)
        items, labels = read_streams(args.file)
    except ValueError as error:
        print(f"volacor.batch: {error}", file=sys.stderr)
        return EXIT_BAD_INPUT
    try:
        records = calculate(items, labels, client=args.scheduler, n_workers=args.workers, methods=args.methods,
                            temperature_C=args.temperature_C, remove_nc_percent=args.remove_nc_percent,
                            vl_ratio=args.vl_ratio, eos=args.eos)
    except OSError as error:  # the scheduler cannot be reached
        print(f"volacor.batch: {error}", file=sys.stderr)
        return EXIT_FAILURE
    header = [_volacor.CSV_HEADER + "\n"] if args.format == "csv" else []
    text = "".join(header + [output_text(record, unit, args.format) for record in records])
    if args.output:
        with open(args.output, "w", encoding="utf-8") as handle:
            handle.write(text)
    else:
        sys.stdout.write(text)
    return exit_status(records)


if __name__ == "__main__":
    sys.exit(main())
