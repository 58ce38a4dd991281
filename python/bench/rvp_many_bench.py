"""Streams per second of volacor.distributed.rvp_many on 1 and 2 local worker
processes, beside the command-line tool's `volacor batch --jobs 1` and `--jobs 2`, on
the same streams (examples/samples.csv repeated).

    PYTHONPATH=build/python /usr/bin/python3 python/bench/rvp_many_bench.py [--repeat 8] [--runs 3]

The cluster is started before the clock runs (it is started once per session in
practice); the command's figure includes its start and its worker processes' start.
Each figure is the best of --runs runs.
"""
import argparse
import os
import subprocess
import tempfile
import time

from distributed import Client, LocalCluster

import volacor
from volacor.batch import read_streams
from volacor.distributed import rvp_many

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.normpath(os.path.join(HERE, "..", ".."))


def repeated_samples(repeat):
    lines = open(os.path.join(SOURCE_DIR, "examples", "samples.csv"), encoding="utf-8").read().splitlines()
    handle = tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False)
    handle.write("\n".join([lines[0]] + lines[1:] * repeat) + "\n")
    handle.close()
    return handle.name


def best(runs, work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--repeat", type=int, default=8, help="copies of samples.csv's streams")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--cli", default=os.path.join(SOURCE_DIR, "build", "bin", "volacor"))
    args = parser.parse_args()

    path = repeated_samples(args.repeat)
    try:
        streams = [s for s in read_streams(path)[0] if isinstance(s, volacor.Stream)]
        count = len(streams)
        print(f"{count} streams, all nine methods, best of {args.runs}")
        print(f"{'how':32} {'streams/s':>10}")
        start = time.perf_counter()
        for s in streams:
            volacor.rvp(s)
        print(f"{'volacor.rvp in this process':32} {count / (time.perf_counter() - start):10.1f}")
        for workers in (1, 2):
            with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                              dashboard_address=":0") as cluster, Client(cluster) as client:
                rvp_many(streams[:2], client=client)  # workers load the library before the clock runs
                seconds = best(args.runs, lambda: rvp_many(streams, client=client))
            print(f"{f'rvp_many, {workers} local worker(s)':32} {count / seconds:10.1f}")
        env = dict(os.environ, COMRT_REGISTRY=os.path.join(tempfile.gettempdir(), "volacor-bench-empty-registry"))
        for jobs in (1, 2):
            def run():
                subprocess.run([args.cli, "batch", path, "--jobs", str(jobs), "--no-progress", "--format", "csv"],
                               check=True, stdout=subprocess.DEVNULL, env=env)
            seconds = best(args.runs, run)
            print(f"{f'volacor batch --jobs {jobs}':32} {count / seconds:10.1f}")
    finally:
        os.unlink(path)


if __name__ == "__main__":
    main()
