"""Shared fixtures: the example streams, the command-line tool of the same build, and
one small Dask cluster for the tests that need one."""
import glob
import json
import os
import subprocess

import pytest

SOURCE_DIR = os.environ.get("VOLACOR_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD_DIR = os.environ.get("VOLACOR_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
EXAMPLES_DIR = os.path.join(SOURCE_DIR, "examples")
EXAMPLE_FILES = sorted(glob.glob(os.path.join(EXAMPLES_DIR, "*.json")))
CLI = os.path.join(BUILD_DIR, "bin", "volacor")


def example(name):
    return os.path.join(EXAMPLES_DIR, name)


def run_cli(*arguments):
    """The command-line tool's standard output for the arguments (it must succeed)."""
    # An empty registry: the tool takes the library installed beside it, as the package does.
    env = dict(os.environ, COMRT_REGISTRY=os.path.join(BUILD_DIR, "python", "empty-registry"))
    done = subprocess.run([CLI, *arguments], capture_output=True, text=True, env=env, timeout=120)
    assert done.returncode in (0, 2), done.stderr
    return done


def cli_json(path):
    """The tool's JSON for one stream file (it writes a list, one object a stream)."""
    (outcome,) = json.loads(run_cli("rvp", "--format", "json", path).stdout)
    return outcome


def leftover_children(psutil, before=()):
    """Child processes still running (other than those in `before`), after giving them
    ten seconds to end. The interpreter's multiprocessing resource tracker lives as long
    as the interpreter and is not a worker."""
    def ours(process):
        try:
            return (process.pid not in before and process.status() != psutil.STATUS_ZOMBIE
                    and "resource_tracker" not in " ".join(process.cmdline()))
        except psutil.NoSuchProcess:
            return False

    children = [c for c in psutil.Process().children(recursive=True) if ours(c)]
    _, alive = psutil.wait_procs(children, timeout=10)
    return alive


@pytest.fixture(scope="session")
def cluster():
    """Two worker processes with one thread each, shared by the Dask tests and shut down
    (every process gone) at the end."""
    psutil = pytest.importorskip("psutil")
    from distributed import LocalCluster

    before = {c.pid for c in psutil.Process().children(recursive=True)}
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=":0") as local:
        yield local
    left = leftover_children(psutil, before)
    assert not left, f"worker processes left behind: {[(p.pid, p.cmdline()) for p in left]}"
