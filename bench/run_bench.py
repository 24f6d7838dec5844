#!/usr/bin/env python3
"""What the gate costs before its application starts, measured under wine64 on this machine.

Paired rounds, each in shuffled order:
  A  the gate deciding pass on Wine's display adapter and starting trivial_app.exe
  B  a check-free launcher starting the same application with the same command line
  C  trivial_app.exe started directly
  D  the same question asked the way a script would: a WMI query of the video controllers'
     driver dates (wmic)
Then the gate's own phases in one process (phase_times.exe), and the device walk's cost for 1,
10, 100 and 1000 devices of a test class. Last, the same A/B pairing for the shipped 32-bit build
under 32-bit Wine against a 32-bit check-free launcher, where this kernel runs 32-bit programs."""

import argparse
import os
import random
import shutil
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
from wine_session import (WINE, WINE32, WineSession, check_kernel_runs_32bit_programs,  # noqa: E402
                          windows_path)

TEST_CLASS = "ZelGateBenchClass"
TEST_GUID = "{6A1F0C2E-3B7D-4E55-9A21-0C0FFEE0BE7C}"


def timed(session, argv):
    started = time.perf_counter()
    status, _ = session.run(argv, timeout=120)
    elapsed = time.perf_counter() - started
    if status != 0:
        raise RuntimeError("%s exited with %d" % (" ".join(argv), status))
    return elapsed * 1000.0


def phase_times(session, exe, folder, class_name, repetitions):
    _, out = session.run([WINE, exe, windows_path(folder), class_name, str(repetitions)],
                         timeout=600)
    phases = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3:
            phases[parts[0]] = (float(parts[1].split("=")[1]), float(parts[2].split("=")[1]))
        elif line.startswith("verdict="):
            phases["verdict"] = line.split("=")[1]
    return phases


def lay_out_program_folder(build, folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for exe in ("LaunchGate.exe", "bench/trivial_app.exe", "bench/bench_launcher.exe",
                "bench/phase_times.exe"):
        shutil.copy(os.path.join(build, exe), folder)
    with open(os.path.join(folder, "detail.ini"), "w", newline="\r\n") as f:
        f.write("[ZELCHECK]\nClass=DISPLAY\nDriverDate=9-27-2005\nLaunchApp=trivial_app.exe\n"
                "Parameter=-x 1\n")


def measure_shipped_build(work, rounds):
    """A/B of the shipped 32-bit gate against the 32-bit check-free launcher, under 32-bit Wine
    in a 64-bit prefix."""
    print("\nThe shipped 32-bit build under 32-bit Wine (64-bit prefix):")
    reason = check_kernel_runs_32bit_programs(os.path.join(work, "kernel-check"))
    if reason is not None:
        print("  not measured: %s" % reason)
        return
    build = os.path.join(ROOT, "build", "windows-i686")
    folder = os.path.join(work, "program-i686")
    lay_out_program_folder(build, folder)
    with WineSession(os.path.join(work, "wine"), fresh_prefix=False, wine=WINE32) as session:
        commands = {"A": [WINE32, os.path.join(folder, "LaunchGate.exe")],
                    "B": [WINE32, os.path.join(folder, "bench_launcher.exe")]}
        for argv in commands.values():
            timed(session, argv)
        samples = {name: [] for name in commands}
        rng = random.Random(2)
        for _ in range(rounds):
            order = list(commands)
            rng.shuffle(order)
            for name in order:
                samples[name].append(timed(session, commands[name]))
        for name, label in (("A", "gate, pass, starts trivial_app"), ("B", "check-free launcher")):
            print("  %s %-32s median %6.1f ms" % (name, label, statistics.median(samples[name])))
        ratios = [a / b for a, b in zip(samples["A"], samples["B"])]
        print("  A/B median of paired ratios over %d rounds: %.3f"
              % (rounds, statistics.median(ratios)))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "windows-x86_64"))
    parser.add_argument("--rounds", type=int, default=40)
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    work = os.path.join(ROOT, "build", "bench")
    folder = os.path.join(work, "program")
    lay_out_program_folder(build, folder)
    devreg = os.path.join(build, "tests", "wine", "tools", "devreg.exe")
    exe = lambda name: os.path.join(folder, name)  # noqa: E731

    with WineSession(os.path.join(work, "wine"), fresh_prefix=False) as session:
        commands = {
            "A": [WINE, exe("LaunchGate.exe")],
            "B": [WINE, exe("bench_launcher.exe")],
            "C": [WINE, exe("trivial_app.exe"), "-x", "1"],
            "D": [WINE, "wmic", "path", "Win32_VideoController", "get", "DriverDate"],
        }
        for argv in commands.values():  # warm every program's first start
            timed(session, argv)
        samples = {name: [] for name in commands}
        rng = random.Random(1)
        for _ in range(args.rounds):
            order = list(commands)
            rng.shuffle(order)
            for name in order:
                samples[name].append(timed(session, commands[name]))

        print("End to end under wine64, %d paired rounds (ms, median):" % args.rounds)
        labels = {"A": "gate, pass, starts trivial_app", "B": "check-free launcher",
                  "C": "trivial_app directly", "D": "wmic video controller query"}
        for name in commands:
            values = samples[name]
            print("  %s %-32s median %6.1f  (p10 %6.1f, p90 %6.1f)"
                  % (name, labels[name], statistics.median(values),
                     statistics.quantiles(values, n=10)[0], statistics.quantiles(values, n=10)[-1]))
        for top, bottom in (("A", "B"), ("A", "D"), ("B", "C")):
            ratios = [a / b for a, b in zip(samples[top], samples[bottom])]
            print("  %s/%s median of paired ratios: %.3f" % (top, bottom, statistics.median(ratios)))

        phases = phase_times(session, exe("phase_times.exe"), folder, "DISPLAY", 50)
        print("\nThe gate's phases in one process (us; first call, then median of 49 more):")
        for phase in ("settings", "walk", "start_and_wait"):
            first, median = phases[phase]
            print("  %-16s first %8.0f   median %8.0f" % (phase, first, median))
        print("  verdict on Wine's display adapter: %s" % phases.get("verdict"))

        print("\nDevice walk by number of devices of a test class (us, median of 20 walks;"
              " gate end to end ms, median of 10 runs):")
        with open(os.path.join(folder, "detail.ini"), "w", newline="\r\n") as f:
            f.write("[ZELCHECK]\nClass=%s\nDriverDate=9-27-2005\nLaunchApp=trivial_app.exe\n"
                    "Parameter=-x 1\n" % TEST_CLASS)
        try:
            for count in (1, 10, 100, 1000):
                status, out = session.run([WINE, devreg, "set", TEST_CLASS, TEST_GUID] +
                                          ["10-3-2005"] * count, timeout=600)
                if status != 0:
                    raise RuntimeError("devreg failed: %s" % out)
                walk = phase_times(session, exe("phase_times.exe"), folder, TEST_CLASS, 21)
                runs = [timed(session, commands["A"]) for _ in range(10)]
                print("  %5d devices: walk %9.0f us (%6.1f us a device), gate %6.1f ms, verdict %s"
                      % (count, walk["walk"][1], walk["walk"][1] / count,
                         statistics.median(runs), walk.get("verdict")))
        finally:
            session.run([WINE, devreg, "clear", TEST_GUID], timeout=600)

    measure_shipped_build(work, args.rounds)
    shipped = os.path.join(ROOT, "build", "windows-i686", "LaunchGate.exe")
    if os.path.exists(shipped):
        print("\ni686 LaunchGate.exe: %d bytes" % os.path.getsize(shipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
