#!/usr/bin/env python3
"""Planted libraries: a DLL named like each system library that the gate's process loads after
its own start-up is put in the program's folder and in the caller's current folder, and Wine is
told to prefer such a native DLL to its own (which is how Windows searches for a library that
is not a KnownDLL). On the pass path and the fail path the gate must behave exactly as it does
without them, and none of them may be loaded by the gate: each leaves a marker file when a
process loads it.

Libraries that Wine's own KERNEL32 and ADVAPI32 load at process start (msvcrt, ucrtbase,
sechost, rpcrt4) are left out: Windows takes those from the system folder as dependencies of
KnownDLLs, and the gate's own imports are checked by the executable tests."""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_session import (SKIP_STATUS, add_configuration_arguments,  # noqa: E402
                          open_configured_session, reason_to_skip, windows_path)
from run_suite import (BOX_WAIT_MS, GATE_TIMEOUT, Failure, Suite, class_ini,  # noqa: E402
                       expect_equal, parse_box, read_probe_records)

# Every library the gate's process loads by name after its start-up, as Wine's loader trace
# (WINEDEBUG=+loaddll) shows them on both paths, with the box's; and the ones a box or a
# device lookup could reach on other systems.
PLANTED = ["setupapi", "user32", "gdi32", "version", "uxtheme", "imm32", "comctl32", "ole32",
           "oleaut32", "shell32", "shlwapi", "win32u", "combase", "msimg32", "zlib1", "cfgmgr32",
           "dwmapi", "wintrust", "crypt32"]

PATHS = [
    dict(name="pass path with planted libraries", devices=["10-3-2005"],
         expect=("start", "-x 1")),
    dict(name="fail path with planted libraries", devices=["10-1-2004"],
         expect=("box", "Driver too old.")),
]


def plant(folder, marker_dll):
    os.makedirs(folder, exist_ok=True)
    for name in PLANTED:
        shutil.copy(marker_dll, os.path.join(folder, name + ".dll"))


def markers(folder):
    return sorted(f for f in os.listdir(folder) if f.endswith(".loaded"))


def run_path(suite, session, args, index, path):
    suite.register_devices(path["devices"])
    folder = os.path.join(suite.scenario_root, "%02d" % index)
    caller = os.path.join(suite.scenario_root, "%02d-caller" % index)
    os.makedirs(folder)
    shutil.copy(args.gate, os.path.join(folder, "LaunchGate.exe"))
    shutil.copy(args.probe_app, os.path.join(folder, "probe_app.exe"))
    with open(os.path.join(folder, "detail.ini"), "w", newline="") as f:
        f.write(class_ini())
    plant(folder, args.marker_dll)
    plant(caller, args.marker_dll)

    env = dict(session.env)
    env["WINEDLLOVERRIDES"] = session.env["WINEDLLOVERRIDES"] + ";" + ",".join(PLANTED) + "=n,b"
    expect = path["expect"]
    gate = subprocess.Popen([session.wine, os.path.join(folder, "LaunchGate.exe")],
                            env=env, cwd=caller, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    box = None
    try:
        if expect[0] == "box":
            _, out = session.run_windows_program(args.box_closer, [str(BOX_WAIT_MS), "Warning"],
                                                 timeout=60)
            box = parse_box(out)
        gate.communicate(timeout=GATE_TIMEOUT)
    except Exception:
        session.kill(gate)
        session.run_windows_program(args.box_closer, ["500", "Warning"], timeout=60)
        raise Failure("the gate did not end within %d s" % GATE_TIMEOUT)

    loaded = markers(folder) + markers(caller)
    by_gate = [m for m in loaded if ".launchgate.exe." in m.lower()]
    if by_gate:
        raise Failure("the gate loaded planted libraries: %s" % ", ".join(by_gate))
    expect_equal("gate exit status", 0, gate.returncode)
    records = read_probe_records(folder)
    if expect[0] == "box":
        expect_equal("warning box found", "1", box.get("found"))
        expect_equal("box text", expect[1], box.get("text"))
        expect_equal("box buttons", "1", box.get("buttons"))
        expect_equal("box closed", "1", box.get("closed"))
        expect_equal("applications started", 0, len(records))
    else:
        expect_equal("applications started", 1, len(records))
        expect_equal("command line", expect[1], records[0].get("cmdline"))
        expect_equal("application's current folder", windows_path(caller), records[0].get("cwd"))
    return loaded


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--gate", required=True)
    parser.add_argument("--marker-dll", required=True,
                        help="the planted DLL, built for the gate's architecture")
    parser.add_argument("--probe-app", required=True)
    parser.add_argument("--box-closer", required=True)
    parser.add_argument("--devreg", required=True)
    add_configuration_arguments(parser)
    args = parser.parse_args()
    for name in ("gate", "marker_dll", "probe_app", "box_closer", "devreg"):
        setattr(args, name, os.path.abspath(getattr(args, name)))

    started = time.monotonic()
    reason = reason_to_skip(args)
    if reason is not None:
        print("SKIPPED: %s" % reason)
        return SKIP_STATUS
    passed = failed = 0
    with open_configured_session(args) as session:
        suite = Suite(args, session)
        for index, path in enumerate(PATHS):
            try:
                others = run_path(suite, session, args, index, path)
                passed += 1
                print("PASS  %s%s" % (path["name"], "  (loaded by another process: %s)"
                                      % ", ".join(others) if others else ""), flush=True)
            except Failure as failure:
                failed += 1
                print("FAIL  %s\n      %s" % (path["name"], failure), flush=True)
        suite.register_devices(None)
    print("planting suite wall time %.1f s" % (time.monotonic() - started))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
