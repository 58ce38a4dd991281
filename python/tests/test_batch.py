"""python3 -m volacor.batch against `volacor batch`: the same batch files in, the same
CSV and JSON lines out, here from a Dask cluster."""
import json
import os
import subprocess
import sys

import pytest

from conftest import example, run_cli


def run_batch(*arguments):
    return subprocess.run([sys.executable, "-m", "volacor.batch", *arguments], capture_output=True, text=True,
                          timeout=300, env=os.environ)


def json_records(text):
    return [json.loads(line) for line in text.splitlines()]


@pytest.fixture(scope="module")
def samples_with_a_bad_line(tmp_path_factory):
    lines = open(example("samples.csv"), encoding="utf-8").read().splitlines()
    header = lines[0].split(",")
    bad = lines[1].split(",")
    bad[0], bad[header.index("toluene")] = "bad blend", "lots"
    path = tmp_path_factory.mktemp("batch") / "samples-with-a-bad-line.csv"
    path.write_text("\n".join(lines[:3] + [",".join(bad)] + lines[3:5]) + "\n")
    return str(path)


@pytest.mark.parametrize("form", ["csv", "jsonl"])
def test_csv_batch_equals_the_command_line_tool(cluster, form):
    path = example("samples.csv")
    ours = run_batch(path, "--scheduler", cluster.scheduler_address, "--format", form)
    theirs = run_cli("batch", path, "--format", form, "--no-progress")
    assert ours.returncode == theirs.returncode == 0, ours.stderr
    if form == "csv":
        assert ours.stdout.splitlines()[0] == "stream,source,method,display_name,prog_id,phase,value,unit,messages,error"
    assert ours.stdout == theirs.stdout  # byte for byte


def test_a_bad_line_is_reported_in_its_place_and_the_rest_go_on(cluster, samples_with_a_bad_line, tmp_path):
    output = tmp_path / "out.jsonl"
    ours = run_batch(samples_with_a_bad_line, "--scheduler", cluster.scheduler_address, "--output", str(output))
    theirs = run_cli("batch", samples_with_a_bad_line, "--format", "jsonl", "--no-progress")
    assert ours.returncode == theirs.returncode == 2
    assert output.read_text() == theirs.stdout
    records = json_records(theirs.stdout)
    assert [("error" in r) for r in records] == [False, False, True, False, False]
    assert "toluene" in records[2]["error"] and records[2]["source"].endswith(":4")


def test_jsonl_batch_of_the_examples_with_a_unit(cluster, tmp_path):
    batch = tmp_path / "examples.jsonl"
    names = ["light-naphtha.json", "n-pentane.json"]
    batch.write_text("".join(json.dumps(json.load(open(example(n)))) + "\n" for n in names))
    ours = run_batch(str(batch), "--scheduler", cluster.scheduler_address, "--unit", "psi", "--method", "d6377-16")
    theirs = run_cli("batch", str(batch), "--unit", "psi", "--method", "d6377-16", "--no-progress")
    assert ours.returncode == 0, ours.stderr
    assert ours.stdout == theirs.stdout


@pytest.mark.parametrize("arguments, status, words", [
    (["/nonexistent/batch.csv"], 2, "batch.csv"),
    ([example("samples.csv"), "--unit", "atm"], 2, "pressure unit"),
])
def test_bad_input_exits_2_with_a_sentence(arguments, status, words):
    done = run_batch(*arguments)
    assert done.returncode == status and words in done.stderr and done.stdout == ""
