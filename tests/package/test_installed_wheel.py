"""The wheel `pip` builds and the module it installs, run by scripts/test inside a virtual
environment where that wheel is installed (QZR_WHEEL names it): the wheel holds one extension
module exporting PyInit_qzr_python alone, needing no shared library but libsecp256k1 and the C
library's, with the CMake project's version in its metadata, and the qzr_python that imports is the
installed one, in this process and in a fresh one.
"""

import os
import re
import struct
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


def needed_libraries(image):
    """The DT_NEEDED names of a little-endian ELF64 shared object (its bytes), in their order: the
    entries of the SHT_DYNAMIC section, read as offsets into the string table its sh_link names."""
    assert image[:6] == b"\x7fELF\x02\x01", "not a little-endian ELF64 file"
    section_offset, = struct.unpack_from("<Q", image, 0x28)
    entry_size, count = struct.unpack_from("<HH", image, 0x3A)

    def section(index):  # (sh_type, sh_offset, sh_size, sh_link)
        header = section_offset + index * entry_size
        kind, = struct.unpack_from("<I", image, header + 4)
        offset, size, link = struct.unpack_from("<QQI", image, header + 24)
        return kind, offset, size, link

    sht_dynamic, dt_null, dt_needed = 6, 0, 1
    dynamic = [section(index) for index in range(count) if section(index)[0] == sht_dynamic]
    assert len(dynamic) == 1, "not one dynamic section"
    _, offset, size, link = dynamic[0]
    strings = section(link)[1]
    names = []
    for tag, value in struct.iter_unpack("<qQ", image[offset:offset + size]):
        if tag == dt_null:
            break
        if tag == dt_needed:
            names.append(image[strings + value:image.index(b"\0", strings + value)].decode())
    return names


def wheel_module_image():
    with zipfile.ZipFile(WHEEL) as wheel:
        return wheel.read(MODULE_FILE)


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
    needed = needed_libraries(installed_module_path().read_bytes())
    assert needed and not [name for name in needed if name.startswith("libpython")]


# What the wheel's module may need: libsecp256k1 (recovery) and the C library's own objects, libm,
# libc and the dynamic loader (__tls_get_addr, and _dl_find_object for the unwinder of the static
# libgcc). libstdc++ and libgcc are linked in; any other library would have to be on the machine
# that installs the wheel.
ALLOWED_LIBRARIES = [r"libsecp256k1\.so\.\d+", r"libm\.so\.6", r"libc\.so\.6", r"ld-linux-x86-64\.so\.2"]


def test_the_wheel_module_needs_libsecp256k1_and_the_c_library_alone():
    needed = needed_libraries(wheel_module_image())
    assert any(name.startswith("libsecp256k1.so.") for name in needed)
    assert [name for name in needed if not any(re.fullmatch(allowed, name) for allowed in ALLOWED_LIBRARIES)] == []


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
