"""Compile cost of the build: the binding's objects against a plain C++23 file and against the
domain's objects, in a Release build folder of its own.

Every compile runs under a launcher this script writes into the build folder
(CMAKE_CXX_COMPILER_LAUNCHER): it runs the compiler and appends the object's CPU time (user + sys
of the compiler and its children, from getrusage) and its start and end times to a log. Two
builds, both with `--jobs` parallel jobs (the goals are stated for 8):

  full build    every object removed, then everything. CPU seconds per target, summed into the
                module (qzr_python), the frame (qzr_frame), the domain layers, tests. Goal: the
                binding's objects (module + frame) take no more CPU than the domain's.
  module build  the module's objects removed, then the module alone. Meanwhile the reference, a
                plain file of standard headers and a small function using them, is compiled one
                copy after another with the command line of a binding object (from
                compile_commands.json), so it runs under the same parallel load; its median is
                taken. Goal: the slowest binding object <= 6x the reference. Each line says how
                many other compiles ran beside it on average, as the load it ran under. On a
                shared machine the wall times carry the other work's load as well, the CPU times
                less so: both ratios are printed, each of the slowest object by that measure.

Then the module's stripped size (goal <= 2 MB). --module-only skips the full build. The logs, the
reference and the stripped copy stay in BUILD_DIR/compile-time/.

Run: /usr/bin/python3 bench/compile_time.py [--build-dir DIR] [--jobs 8] [--module-only]
"""

import argparse
import json
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import threading
import time

import peer_table

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RATIO_GOAL = 6.0
SIZE_GOAL_MB = 2.0
MODULE_DIR = "src/python/CMakeFiles/qzr_python.dir"
# Where each part's objects are, relative to the build folder: the domain layers are the
# libraries of src/CMakeLists.txt, the frame and the module those of src/python/CMakeLists.txt.
CATEGORIES = (("module", MODULE_DIR + "/"), ("frame", "src/python/CMakeFiles/qzr_frame.dir/"),
              ("domain", "src/CMakeFiles/"), ("tests", "tests/"), ("tests", "bench/"))

LAUNCHER = """#!{python} -S
# Runs a compile and appends "object<TAB>user+sys seconds<TAB>start<TAB>end" to $QZR_COMPILE_LOG.
import os, resource, subprocess, sys, time
start = time.time()
code = subprocess.call(sys.argv[1:])
end = time.time()
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
if os.environ.get("QZR_COMPILE_LOG"):
    cpu = usage.ru_utime + usage.ru_stime
    line = f"{{sys.argv[sys.argv.index('-o') + 1]}}\\t{{cpu:.3f}}\\t{{start:.3f}}\\t{{end:.3f}}\\n"
    with open(os.environ["QZR_COMPILE_LOG"], "a") as log:
        log.write(line)
sys.exit(code)
"""

REFERENCE = """#include <algorithm>
#include <array>
#include <cstdint>
#include <expected>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

std::expected<std::string, int> reference(std::string_view text, std::array<std::uint8_t, 4> bytes) {
  std::map<std::string, std::variant<int, std::string>> fields{{"text", std::string(text)}};
  std::vector<std::unique_ptr<int>> values;
  for (auto byte : bytes) values.push_back(std::make_unique<int>(byte));
  std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return *a < *b; });
  std::optional<std::tuple<int, std::string>> first;
  if (!values.empty()) first = std::make_tuple(*values.front(), std::get<std::string>(fields["text"]));
  if (!first) return std::unexpected(static_cast<int>(values.size()));
  return std::move(std::get<1>(*first));
}
"""


def configure(build_dir):
    """The arguments of scripts/build (Release, no C++ benchmarks) plus the launcher."""
    launcher = os.path.join(build_dir, "compile-time-launcher.py")
    os.makedirs(build_dir, exist_ok=True)
    with open(launcher, "w", encoding="ascii") as script:
        script.write(LAUNCHER.format(python=sys.executable))
    os.chmod(launcher, 0o755)
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", f"-DPython3_EXECUTABLE={sys.executable}",
                    "-DQZR_WERROR=ON", "-DCMAKE_BUILD_TYPE=Release", "-DQZR_BUILD_BENCH=OFF",
                    f"-DCMAKE_CXX_COMPILER_LAUNCHER={launcher}"], check=True, stdout=subprocess.DEVNULL)
    return launcher


def timed_ninja(build_dir, jobs, log, targets=()):
    """Runs ninja on `targets` (all if none), the launcher logging to `log`; the wall seconds."""
    start = time.perf_counter()
    result = subprocess.run(["ninja", "-C", build_dir, f"-j{jobs}", *targets],
                            env=dict(os.environ, QZR_COMPILE_LOG=log), capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"ninja failed:\n{result.stdout}{result.stderr}")
    return time.perf_counter() - start


def read_log(log):
    """(object, CPU seconds, start, end) per compile, in the order they ended."""
    with open(log, encoding="utf-8") as lines:
        return [(name, float(cpu), float(start), float(end)) for name, cpu, start, end in
                (line.rstrip("\n").split("\t") for line in lines)]


def mean_concurrency(entry, entries):
    """How many of the other compiles ran, on average, while `entry` did."""
    _, _, start, end = entry
    overlap = sum(max(0.0, min(end, e) - max(start, s)) for other, _, s, e in entries if other is not entry)
    return overlap / (end - start)


def target_of(obj):
    """The target an object belongs to: the name of its CMakeFiles/<target>.dir folder."""
    parts = obj.split("/")
    return next((part[:-4] for part in parts if part.endswith(".dir")), "other")


def category_of(obj):
    return next((category for category, folder in CATEGORIES if obj.startswith(folder)), "other")


def reference_command(build_dir, launcher, source, obj):
    """A binding object's compile command (compile_commands.json) on `source` instead, without
    the module's precompiled header (a plain file includes none of it)."""
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as commands:
        entry = next(c for c in json.load(commands) if c["file"].endswith("src/python/module.cpp"))
    words = shlex.split(entry["command"])
    command, skip = [launcher], False
    for word in words:
        if skip:
            skip = False
        elif word in ("-o", "-c", "-MT", "-MF", "-include"):
            skip = True
        elif word not in ("-MD", "-Winvalid-pch", launcher):
            command.append(word)
    return command + ["-o", obj, "-c", source], entry["directory"]


def compile_reference_while(process_running, command, directory, log):
    """Compiles the reference again and again, one at a time, while `process_running()`."""
    while process_running():
        subprocess.run(command, cwd=directory, env=dict(os.environ, QZR_COMPILE_LOG=log), check=True)


def full_build(build_dir, jobs, log):
    subprocess.run(["ninja", "-C", build_dir, "-t", "clean"], check=True, stdout=subprocess.DEVNULL)
    wall = timed_ninja(build_dir, jobs, log)
    by_target = {}
    for obj, cpu, _, _ in read_log(log):
        category, count, total = by_target.get(target_of(obj), (category_of(obj), 0, 0.0))
        by_target[target_of(obj)] = (category, count + 1, total + cpu)
    print(f"Full build (ninja -j{jobs}, everything): wall {wall:.1f} s")
    totals = dict.fromkeys(("module", "frame", "domain", "tests", "other"), 0.0)
    for target, (category, count, cpu) in sorted(by_target.items(), key=lambda item: -item[1][2]):
        totals[category] += cpu
        print(f"  {target:<20} {category:<7} {count:3d} objects {cpu:8.1f} CPU s")
    binding, domain = totals["module"] + totals["frame"], totals["domain"]
    print("  CPU s: " + ", ".join(f"{name} {cpu:.1f}" for name, cpu in totals.items()))
    verdict = "met" if binding <= domain else "missed"
    print(f"  binding (module + frame) / domain: {binding:.1f} / {domain:.1f} = {binding / domain:.2f} "
          f"(goal <= 1: {verdict})\n")


def module_build(build_dir, jobs, launcher, log, scratch):
    """The module's objects rebuilt with -j`jobs`, the reference compiled beside them."""
    subprocess.run(["ninja", "-C", build_dir, f"-j{jobs}", "qzr_python"], check=True, stdout=subprocess.DEVNULL)
    for folder, _, files in os.walk(os.path.join(build_dir, MODULE_DIR)):
        for name in files:
            if name.endswith(".o"):
                os.remove(os.path.join(folder, name))
    source = os.path.join(scratch, "reference.cpp")
    with open(source, "w", encoding="ascii") as text:
        text.write(REFERENCE)
    command, directory = reference_command(build_dir, launcher, source, os.path.join(scratch, "reference.o"))
    building = threading.Event()
    building.set()
    reference = threading.Thread(target=compile_reference_while, args=(building.is_set, command, directory, log))
    reference.start()
    try:
        wall = timed_ninja(build_dir, jobs, log, ["qzr_python"])
    finally:
        building.clear()
        reference.join()
    entries = read_log(log)
    objects = sorted((e for e in entries if MODULE_DIR in e[0]), key=lambda e: e[3] - e[2], reverse=True)
    references = [e for e in entries if e[0].endswith("reference.o")]
    print(f"Module build (ninja -j{jobs} qzr_python, its {len(objects)} objects): wall {wall:.1f} s, "
          f"{sum(e[1] for e in objects):.1f} CPU s")
    print(f"  {'object':<52} {'wall s':>7} {'CPU s':>7} {'beside':>7}")
    for entry in objects[:10]:
        name = entry[0].split(MODULE_DIR + "/", 1)[1]
        print(f"  {name:<52} {entry[3] - entry[2]:7.2f} {entry[1]:7.2f} {mean_concurrency(entry, entries):7.1f}")
    ref_wall = statistics.median(e[3] - e[2] for e in references)
    ref_cpu = statistics.median(e[1] for e in references)
    ref_beside = statistics.median(mean_concurrency(e, entries) for e in references)
    label = f"reference (median of {len(references)})"
    print(f"  {label:<52} {ref_wall:7.2f} {ref_cpu:7.2f} {ref_beside:7.1f}")
    ratios = {"wall": (objects[0][3] - objects[0][2]) / ref_wall, "CPU": max(e[1] for e in objects) / ref_cpu}
    print(f"  slowest / reference (goal <= {RATIO_GOAL:g}x): " + ", ".join(
        f"{measure} {ratio:.1f}x {'met' if ratio <= RATIO_GOAL else 'missed'}" for measure, ratio in ratios.items()))


def print_module_size(build_dir, scratch):
    module = next(os.path.join(build_dir, "python", name) for name in os.listdir(os.path.join(build_dir, "python"))
                  if name.startswith("qzr_python.") and name.endswith(".so"))
    stripped = os.path.join(scratch, "stripped.so")
    shutil.copyfile(module, stripped)
    subprocess.run(["strip", stripped], check=True)
    size = os.path.getsize(stripped)
    verdict = "met" if size <= SIZE_GOAL_MB * 1e6 else "missed"
    print(f"\nModule stripped: {size} bytes = {size / 1e6:.2f} MB (goal <= {SIZE_GOAL_MB:g} MB: {verdict})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-compile-time"),
                        help="the build folder it configures (default build-compile-time/)")
    parser.add_argument("--jobs", type=int, default=8, help="parallel jobs of both builds")
    parser.add_argument("--module-only", action="store_true", help="skip the full build")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    launcher = configure(build_dir)
    scratch = os.path.join(build_dir, "compile-time")
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    if not args.module_only:
        print(peer_table.machine_line())
        full_build(build_dir, args.jobs, os.path.join(scratch, "full.log"))
    print(peer_table.machine_line())
    module_build(build_dir, args.jobs, launcher, os.path.join(scratch, "module.log"), scratch)
    print_module_size(build_dir, scratch)
    print(peer_table.machine_line())


if __name__ == "__main__":
    main()
