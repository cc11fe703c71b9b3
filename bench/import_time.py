"""Import time of qzr_python against the standard library's decimal, each in a fresh interpreter.

Every repeat starts, for each module, one interpreter that times the import statement alone
inside it (the interpreter's own start-up is left out) and one under `-X importtime`, whose
cumulative figure for the module is read; the four runs are interleaved. The medians and the two
ratios are printed. The goal is a ratio of at most 1.2 by either measure.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/import_time.py [--repeats 41] [--no-site]
"""

import argparse
import os
import platform
import statistics
import subprocess
import sys

GOAL = 1.2

TIMED_IMPORT = "import time; start = time.perf_counter(); import {module}; print(time.perf_counter() - start)"


def run_interpreter(flags, code):
    return subprocess.run(
        [sys.executable, *flags, "-c", code], capture_output=True, text=True, check=True, env=os.environ
    )


def import_seconds(module, flags):
    """The wall time of `import module` in a fresh interpreter."""
    return float(run_interpreter(flags, TIMED_IMPORT.format(module=module)).stdout)


def importtime_seconds(module, flags):
    """The cumulative time `-X importtime` reports for `module` in a fresh interpreter."""
    report = run_interpreter([*flags, "-X", "importtime"], f"import {module}").stderr
    for line in report.splitlines():
        # import time: self [us] | cumulative | imported package
        fields = [field.strip() for field in line.removeprefix("import time:").split("|")]
        if len(fields) == 3 and fields[2] == module:
            return int(fields[1]) * 1e-6
    raise RuntimeError(f"-X importtime reported no line for {module}:\n{report}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=41, help="interpreters per module (median taken)")
    parser.add_argument("--no-site", action="store_true", help="start the interpreters with -S")
    args = parser.parse_args()
    flags = ["-S"] if args.no_site else []

    measures = {"wall time": import_seconds, "-X importtime": importtime_seconds}
    samples = {(measure, module): [] for measure in measures for module in ("qzr_python", "decimal")}
    for _ in range(args.repeats):
        for measure, timed in measures.items():
            samples[measure, "decimal"].append(timed("decimal", flags))
            samples[measure, "qzr_python"].append(timed("qzr_python", flags))
    print(f"Python {platform.python_version()}, {os.cpu_count()} CPUs, median of {args.repeats} interpreters each")
    for measure in measures:
        ours_ms = statistics.median(samples[measure, "qzr_python"]) * 1e3
        theirs_ms = statistics.median(samples[measure, "decimal"]) * 1e3
        ratio = ours_ms / theirs_ms
        print(f"{measure}: import qzr_python {ours_ms:7.3f} ms, import decimal {theirs_ms:7.3f} ms, "
              f"ratio {ratio:.2f} (goal <= {GOAL}): {'ok' if ratio <= GOAL else 'over'}")


if __name__ == "__main__":
    main()
