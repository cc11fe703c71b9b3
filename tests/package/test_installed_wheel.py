"""The wheel `pip` builds and the module it installs, run by scripts/test inside a virtual
environment where that wheel is installed (QZR_WHEEL names it): the wheel holds one extension
module exporting PyInit_qzr_python alone, with the CMake project's version in its metadata, and the
qzr_python that imports is the installed one, in this process and in a fresh one.
"""

import os
import re
import subprocess
import sys
import sysconfig
import zipfile
from pathlib import Path

import pytest

WHEEL = os.environ.get("QZR_WHEEL")
if not WHEEL:
    pytest.skip("QZR_WHEEL names no wheel (scripts/test builds and installs one)", allow_module_level=True)

ROOT = Path(__file__).resolve().parents[2]
MODULE_FILE = "qzr_python" + sysconfig.get_config_var("EXT_SUFFIX")


def installed_module_path():
    return Path(sysconfig.get_path("platlib")) / MODULE_FILE


def test_the_wheel_holds_the_module_and_its_metadata_alone():
    with zipfile.ZipFile(WHEEL) as wheel:
        names = wheel.namelist()
        metadata_name = next(name for name in names if name.endswith(".dist-info/METADATA"))
        metadata = wheel.read(metadata_name).decode()
    assert [name for name in names if ".dist-info/" not in name] == [MODULE_FILE]
    cmake_version = re.search(r"^project\(qzr_python VERSION (\S+)", (ROOT / "CMakeLists.txt").read_text(), re.M)
    assert f"\nVersion: {cmake_version.group(1)}\n" in metadata


def test_the_installed_module_exports_its_init_function_alone():
    exported = subprocess.run(
        ["nm", "--dynamic", "--defined-only", "--format=posix", str(installed_module_path())],
        capture_output=True, text=True, check=True,
    ).stdout.split("\n")
    assert [line.split()[0] for line in exported if line] == ["PyInit_qzr_python"]


def test_the_installed_module_does_not_link_the_interpreter_library():
    # An extension module takes the C API from the interpreter that loads it.
    dynamic = subprocess.run(
        ["readelf", "--dynamic", str(installed_module_path())], capture_output=True, text=True, check=True
    ).stdout
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.*)\]", dynamic)
    assert needed and not [name for name in needed if name.startswith("libpython")]


def test_this_process_imports_the_installed_module():
    import qzr_python

    assert sys.prefix != sys.base_prefix, "not inside a virtual environment"
    assert Path(qzr_python.__file__) == installed_module_path()


def test_a_fresh_process_outside_the_source_tree_imports_the_installed_module(tmp_path):
    env = {name: value for name, value in os.environ.items() if not name.startswith("PYTHON")}
    code = "import qzr_python; print(qzr_python.__file__); print(qzr_python.decimal.Decimal('1.50') * 2)"
    completed = subprocess.run(
        [sys.executable, "-I", "-c", code], cwd=tmp_path, env=env, capture_output=True, text=True, timeout=60
    )
    assert completed.returncode == 0, completed.stderr
    assert completed.stdout.split("\n")[:2] == [str(installed_module_path()), "3.00"]
