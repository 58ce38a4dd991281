"""Many streams at once, spread over Dask worker processes.

    >>> from volacor.distributed import rvp_many
    >>> frame = rvp_many([volacor.Stream.from_file(p) for p in paths])          # a local cluster
    >>> frame = rvp_many(streams, client="tcp://scheduler:8786")                  # a running cluster

Calculations in one process never overlap (the library's state is process-wide), so
the parallelism is in processes: each worker should have one thread
(`dask worker --nthreads 1 --nworkers N`).
"""
import os

from volacor._batch_rows import records_frame
from volacor._errors import StreamInputError
from volacor._frames import rvp_record
from volacor._stream import Stream
from volacor._units import unit_name


def calculate_record(stream, options):
    """One stream's record (see volacor.rvp_record), or {"stream", "source", "error"}
    when the stream cannot be read or calculated. Runs on a worker."""
    name = getattr(stream, "name", "")
    source = getattr(stream, "_source", "")
    try:
        if not isinstance(stream, Stream):
            stream = Stream.from_file(stream)
            name, source = stream.name, stream._source
        record = rvp_record(stream, **options)
    except (StreamInputError, ValueError, RuntimeError, OSError) as error:
        return {"stream": name, "source": str(source), "error": str(error),
                "bad_input": isinstance(error, (StreamInputError, ValueError, OSError))}
    return record


def calculate_records(streams, client=None, n_workers=None, labels=None, timeout=None, **options):
    """The records of the streams, in input order, calculated on Dask workers (see
    rvp_many). `labels`, when given, replace each record's "source"."""
    streams = list(streams)
    if not streams:
        return []
    with _client(client, n_workers) as active:
        from distributed import wait

        futures = active.map(calculate_record, streams, options=options, pure=False)
        wait(futures, timeout=timeout)  # raises TimeoutError (and the context closes) when it runs over
        records = active.gather(futures)
    if labels is not None:
        for record, label in zip(records, labels):
            record["source"] = label
    return records


def rvp_many(streams, client=None, n_workers=None, unit="kPa", timeout=None, **options):
    """Every method's RVP of many streams: one data frame with a row per stream, method
    and phase shown (columns stream = the stream's position in the input, name, source,
    method, display_name, prog_id, phase, value, unit, messages, error), in input order.

    `streams`: Stream objects or paths of stream files. A stream that cannot be read or
    calculated gives one row with its error, and the others go on. `client`: a
    distributed.Client, or a scheduler address ("tcp://host:8786"); without one a local
    cluster of `n_workers` worker processes (default: the number of CPUs) with one thread
    each is started for the call and shut down after it. Other options as volacor.rvp
    (methods, temperature_C, remove_nc_percent, vl_ratio, eos). `timeout`: seconds to
    wait for the whole batch (default: no limit).
    """
    unit = unit_name(unit)
    return records_frame(calculate_records(streams, client, n_workers, timeout=timeout, **options), unit)


class _client:
    """A context giving a Client: the one passed in (left open), one connected to an
    address, or one on a new local cluster (both closed on exit)."""

    def __init__(self, client, n_workers):
        self._given = client
        self._n_workers = n_workers
        self._owned = []

    def __enter__(self):
        from distributed import Client, LocalCluster

        if self._given is not None and not isinstance(self._given, str):
            return self._given
        if isinstance(self._given, str):
            client = Client(self._given)
            self._owned.append(client)
            return client
        cluster = LocalCluster(n_workers=self._n_workers or os.cpu_count() or 1, threads_per_worker=1,
                               processes=True, dashboard_address=":0")
        self._owned.append(cluster)
        client = Client(cluster)
        self._owned.append(client)
        return client

    def __exit__(self, *exc):
        for owned in reversed(self._owned):
            owned.close()
        return False
