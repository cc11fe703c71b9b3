"""Builds the qzr_python wheel with the project's CMake build (pyproject.toml names this backend).

The wheel holds the one extension module, built Release for the interpreter that runs the build
and installed through the CMake install rule (stripped). Tests and benchmarks are not built.
The CMake build folder is build-pip/temp.<platform>-<interpreter>/, kept between builds so a
second build is incremental; it is configured afresh whenever its arguments change.

QZR_WHEEL_FROM_BUILD=<folder> takes the module from an existing Release build folder of the same
interpreter instead (CI reuses its own Release build this way); that folder is built, never
reconfigured.
"""

import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tempfile
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    """The version of the CMake project, which is where the version is written."""
    text = (ROOT / "CMakeLists.txt").read_text()
    found = re.search(r"^project\(qzr_python VERSION ([0-9]+(?:\.[0-9]+)*)\b", text, re.MULTILINE)
    if found is None:
        raise RuntimeError("CMakeLists.txt: no `project(qzr_python VERSION x.y.z ...)` line")
    return found.group(1)


def cache_entry(build_dir, name):
    """The value of NAME in BUILD_DIR's CMakeCache.txt, or None."""
    text = (build_dir / "CMakeCache.txt").read_text()
    found = re.search(rf"^{name}:[A-Z]+=(.*)$", text, re.MULTILINE)
    return found and found.group(1)


def check_reusable(build_dir):
    """Refuses a build folder whose module would not be the Release module of this interpreter."""
    if not (build_dir / "CMakeCache.txt").is_file():
        raise RuntimeError(f"QZR_WHEEL_FROM_BUILD: {build_dir} is not a configured CMake build folder")
    build_type = cache_entry(build_dir, "CMAKE_BUILD_TYPE")
    if build_type != "Release":
        raise RuntimeError(f"QZR_WHEEL_FROM_BUILD: {build_dir} is a {build_type} build, not Release")
    if cache_entry(build_dir, "QZR_SANITIZE") not in ("OFF", None):
        raise RuntimeError(f"QZR_WHEEL_FROM_BUILD: {build_dir} is built with the sanitizers")
    python = cache_entry(build_dir, "_Python3_EXECUTABLE") or ""
    if os.path.realpath(python) != os.path.realpath(sys.executable):
        raise RuntimeError(f"QZR_WHEEL_FROM_BUILD: {build_dir} is built for {python}, not {sys.executable}")


class BuildWithCMake(build_ext):
    def build_extension(self, ext):
        reused = os.environ.get("QZR_WHEEL_FROM_BUILD")
        if reused:
            build_dir = Path(reused).resolve()
            check_reusable(build_dir)
            self.spawn(["cmake", "--build", str(build_dir), "--target", "qzr_python"])
        else:
            build_dir = Path(self.build_temp).resolve()
            arguments = ["-DCMAKE_BUILD_TYPE=Release", "-DQZR_BUILD_TESTS=OFF", "-DQZR_BUILD_BENCH=OFF",
                         "-DQZR_WERROR=OFF"]
            env = dict(os.environ, QZR_TARGETS="qzr_python")
            subprocess.run([str(ROOT / "scripts/build"), str(build_dir), sys.executable, *arguments],
                           env=env, check=True)
        self.install_module(build_dir, Path(self.get_ext_fullpath(ext.name)))

    def install_module(self, build_dir, destination):
        """Runs the install rule into a staging folder and moves its one file to DESTINATION."""
        with tempfile.TemporaryDirectory() as staging:
            subprocess.run(["cmake", "--install", str(build_dir), "--component", "python_module", "--strip"],
                           env=dict(os.environ, DESTDIR=staging), check=True)
            installed = [path for path in Path(staging).rglob("*") if path.is_file()]
            suffix = sysconfig.get_config_var("EXT_SUFFIX")
            if len(installed) != 1 or installed[0].name != "qzr_python" + suffix:
                raise RuntimeError(f"the install rule gave {installed}, not one qzr_python{suffix}")
            destination.parent.mkdir(parents=True, exist_ok=True)
            shutil.move(installed[0], destination)


setup(
    version=project_version(),
    packages=[],  # the extension module alone: nothing to discover in the source tree
    ext_modules=[Extension("qzr_python", sources=[])],
    cmdclass={"build_ext": BuildWithCMake},
    options={"build": {"build_base": str(ROOT / "build-pip")}},
)
