"""The cost of one call through the frame against the same body behind hand-written C-API code.

Times, in one run, three calls on the frame test module's Toy (a method with two arguments, a
getter and a binary number slot) and the same calls on RawToy, which runs the same C++ bodies
from functions written directly against the CPython C API. Prints per-call times (median of the
repeats, each repeat timing NUMBER calls) and the ratio frame / hand-written; the goal is a
ratio of at most 1.1. Both sides hold the same value (number 7, an empty label, no items), so the
bodies do the same work.

    PYTHONPATH=<build>/python python3 bench/frame_call.py [--repeats N] [--number K]
"""

import argparse
import os
import platform
import statistics
import sys
import timeit

import qzr_frame_testmod as testmod

GOAL = 1.1

CASES = [
    ("method, two arguments", "x.scaled_sum(3, 4)"),
    ("getter", "x.number"),
    ("binary slot (x + 3)", "x + 3"),
]


def machine():
    model = platform.processor() or "unknown processor"
    try:
        with open("/proc/cpuinfo") as cpuinfo:
            for line in cpuinfo:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{model}, {os.cpu_count()} CPUs, Python {platform.python_version()}"


def per_call_ns(timer, number):
    return timer.timeit(number) / number * 1e9


def check_same_result(statement):
    """Both sides must compute the same thing, or the timing compares nothing."""
    frame = eval(statement, {"x": testmod.Toy(7)})
    raw = eval(statement, {"x": testmod.RawToy(7)})
    if getattr(frame, "number", frame) != getattr(raw, "number", raw):
        raise SystemExit(f"{statement!r} differs: frame {frame!r}, hand-written {raw!r}")


def measure(statement, repeats, number):
    # `x` is a local of the timed function (set up inside it), so both sides pay the same lookups.
    frame = timeit.Timer(statement, setup="x = Toy(7)", globals={"Toy": testmod.Toy})
    raw = timeit.Timer(statement, setup="x = RawToy(7)", globals={"RawToy": testmod.RawToy})
    frame_times, raw_times = [], []
    for _ in range(repeats):  # interleaved, so drift of the machine hits both alike
        frame_times.append(per_call_ns(frame, number))
        raw_times.append(per_call_ns(raw, number))
    return statistics.median(frame_times), statistics.median(raw_times)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--repeats", type=int, default=31)
    parser.add_argument("--number", type=int, default=200_000)
    args = parser.parse_args()

    print(f"frame call cost: {machine()}")
    print(f"median of {args.repeats} repeats of {args.number} calls each\n")
    print(f"{'call':<24}{'frame ns':>10}{'raw ns':>10}{'ratio':>8}")
    worst = 0.0
    for name, statement in CASES:
        check_same_result(statement)
        frame, raw = measure(statement, args.repeats, args.number)
        ratio = frame / raw
        worst = max(worst, ratio)
        print(f"{name:<24}{frame:>10.1f}{raw:>10.1f}{ratio:>8.2f}")
    verdict = "met" if worst <= GOAL else "missed"
    print(f"\nworst ratio {worst:.2f}: goal of at most {GOAL} {verdict}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
