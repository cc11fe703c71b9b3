"""The timing and the table shared by the benchmarks that compare one of our calls with a peer's
(decimal_ops.py, accounting.py): interleaved timeit repeats, medians, and the ratio table."""

import argparse
import os
import platform
import statistics
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


def median_ns_pair(ours, theirs, names, number, repeats):
    """Medians (ns per call) of both statements, `names` the (ours, theirs) namespaces they run
    in, their repeats interleaved so that a change in the machine's load during the run affects
    both sides alike."""
    ours_timer = timeit.Timer(ours, globals=names[0])
    theirs_timer = timeit.Timer(theirs, globals=names[1])
    ours_runs, theirs_runs = [], []
    for _ in range(repeats):
        theirs_runs.append(theirs_timer.timeit(number))
        ours_runs.append(ours_timer.timeit(number))
    return (statistics.median(ours_runs) / number * 1e9, statistics.median(theirs_runs) / number * 1e9)


def arguments(description, number):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--repeats", type=int, default=15, help="timeit repeats (median taken)")
    parser.add_argument("--number", type=int, default=number, help="calls per repeat")
    return parser.parse_args()


def print_table(cases, names, args, goal, peer):
    """Times every (name, our statement, the peer's statement[, goal]) of `cases` and prints the
    table; a row without its own goal has `goal`."""
    print(f"Python {platform.python_version()}, {cpu_model()}, {os.cpu_count()} CPUs")
    print(f"median of {args.repeats} repeats x {args.number} calls, ns per call\n")
    header = f"{'operation':<16}{'ours':>10}{peer:>10}{'ratio':>8}{'goal':>6}"
    print(header)
    print("-" * len(header))
    over = []
    for name, ours, theirs, *row_goal in cases:
        row_goal = row_goal[0] if row_goal else goal
        ours_ns, theirs_ns = median_ns_pair(ours, theirs, names, args.number, args.repeats)
        ratio = ours_ns / theirs_ns
        verdict = "ok" if ratio <= row_goal else "over"
        if ratio > row_goal:
            over.append(name)
        print(f"{name:<16}{ours_ns:>10.1f}{theirs_ns:>10.1f}{ratio:>8.2f}{row_goal:>6.1f}  {verdict}")
    print(f"\nover the goal: {', '.join(over) if over else 'none'}")
