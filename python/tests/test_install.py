"""The package installed by `cmake --install` into a prefix works from there alone."""
import json
import os
import subprocess
import sys

from conftest import BUILD_DIR, example

PROBE = """
import json, sys, volacor
frame = volacor.rvp(volacor.Stream.from_file(sys.argv[1]), methods=["d6377-16", "api-5b1.1"])
maps = open("/proc/self/maps").read()
loaded = sorted({line.split()[-1] for line in maps.splitlines() if "volacor" in line or "comrt" in line
                 or "varhost2" in line or "companion" in line})
print(json.dumps({"value": frame.loc["d6377-16", "FEED"], "package": volacor.__file__, "loaded": loaded,
                  "api_5b1_1": list(frame.loc["api-5b1.1", "messages"]),
                  "executable": volacor._volacor.host_executable()}))
"""


def test_installed_package_runs_from_its_prefix(tmp_path):
    prefix = tmp_path / "prefix"
    cmake = os.environ.get("VOLACOR_CMAKE", "cmake")
    subprocess.run([cmake, "--install", BUILD_DIR, "--prefix", str(prefix)], check=True, capture_output=True,
                   timeout=300)
    site = prefix / "lib" / "python3" / "dist-packages"
    assert (site / "volacor" / "__init__.py").is_file()
    env = {k: v for k, v in os.environ.items() if k not in ("LD_LIBRARY_PATH", "PYTHONPATH", "VOLACOR_LIBRARY")}
    env["PYTHONPATH"] = str(site)
    done = subprocess.run([sys.executable, "-c", PROBE, example("light-naphtha.json")], capture_output=True,
                          text=True, env=env, cwd=tmp_path, timeout=120)
    assert done.returncode == 0, done.stderr
    probe = json.loads(done.stdout)
    assert probe["package"].startswith(str(site))
    assert probe["loaded"] and all(path.startswith(str(prefix)) for path in probe["loaded"]), probe["loaded"]
    assert any(path.endswith("lib/libvolacor.so") for path in probe["loaded"])
    # The API 5B1.1 companion comes from beside the installed command, not the interpreter.
    assert probe["executable"] == str(prefix / "bin" / "volacor")
    assert str(prefix / "bin" / "libapi5b11companion.so") in probe["loaded"]
    assert probe["api_5b1_1"] and not any("Companion library not found" in m for m in probe["api_5b1_1"])
    assert 50 < probe["value"] < 150
