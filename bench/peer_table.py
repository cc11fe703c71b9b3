"""The timing shared by the Python benchmarks: repeats of several measurements interleaved (one
repeat of each in turn, so that a change in the machine's load during the run reaches all of them
alike), their medians, the machine line printed with every figure, and the ratio table of the
benchmarks that compare one of our calls with a peer's (decimal_ops.py, accounting.py,
byte_values.py).

A measurement is a function without arguments that runs once and returns seconds per unit:
`timed_statement` makes one from a statement (timeit's loop), `timed_call` from a function that
does a known number of units of work. `interleaved_medians` runs the repeats. Import time is
measured in fresh interpreters instead (import_time.py), which this module does not do.
"""

import argparse
import os
import platform
import statistics
import time
import timeit


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="ascii", errors="replace") as info:
            for line in info:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def machine_line():
    """The interpreter, the CPU and the load the figures were taken under."""
    load = ", ".join(f"{value:.2f}" for value in os.getloadavg())
    return f"Python {platform.python_version()}, {cpu_model()}, {os.cpu_count()} CPUs, load average {load}"


def timed_statement(statement, names, number, clock=time.perf_counter):
    """A measurement: `number` runs of `statement` in the namespace `names`, seconds per run."""
    timer = timeit.Timer(statement, timer=clock, globals=names)
    return lambda: timer.timeit(number) / number


def timed_call(call, units=1, clock=time.perf_counter):
    """A measurement: one call of `call`, which does `units` units of work; seconds per unit."""

    def run():
        start = clock()
        call()
        return (clock() - start) / units

    return run


def interleaved_medians(repeats, *measurements):
    """The median of `repeats` runs of each measurement, one run of each in turn per repeat."""
    runs = [[] for _ in measurements]
    for _ in range(repeats):
        for measurement, times in zip(measurements, runs):
            times.append(measurement())
    return [statistics.median(times) for times in runs]


def median_ns_pair(ours, theirs, names, number, repeats):
    """Medians (ns per call) of both statements, `names` the (ours, theirs) namespaces they run
    in, their repeats interleaved."""
    theirs_s, ours_s = interleaved_medians(
        repeats, timed_statement(theirs, names[1], number), timed_statement(ours, names[0], number))
    return ours_s * 1e9, theirs_s * 1e9


def arguments(description, number, repeats=15):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--repeats", type=int, default=repeats, help="timeit repeats (median taken)")
    parser.add_argument("--number", type=int, default=number, help="calls per repeat")
    return parser.parse_args()


def print_table(cases, names, args, goal, peer):
    """Times every (name, our statement, the peer's statement[, goal]) of `cases` and prints the
    table; a row without its own goal has `goal`; a row whose peer statement is None is timed
    alone and printed for scale."""
    print(machine_line())
    print(f"median of {args.repeats} repeats x {args.number} calls, ns per call\n")
    width = max(16, max(len(case[0]) for case in cases) + 2)
    header = f"{'operation':<{width}}{'ours':>10}{peer:>10}{'ratio':>8}{'goal':>6}"
    print(header)
    print("-" * len(header))
    over = []
    for name, ours, theirs, *row_goal in cases:
        if theirs is None:
            (ours_s,) = interleaved_medians(args.repeats, timed_statement(ours, names[0], args.number))
            print(f"{name:<{width}}{ours_s * 1e9:>10.1f}")
            continue
        row_goal = row_goal[0] if row_goal else goal
        ours_ns, theirs_ns = median_ns_pair(ours, theirs, names, args.number, args.repeats)
        ratio = ours_ns / theirs_ns
        verdict = "ok" if ratio <= row_goal else "over"
        if ratio > row_goal:
            over.append(name)
        print(f"{name:<{width}}{ours_ns:>10.1f}{theirs_ns:>10.1f}{ratio:>8.2f}{row_goal:>6.1f}  {verdict}")
    print(f"\nover the goal: {', '.join(over) if over else 'none'}")
