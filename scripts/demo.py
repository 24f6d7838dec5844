#!/usr/bin/env python3
"""Runs the gate for real under Wine in the sample program folder, on the display adapter that
Wine reports, and says what happened. It runs the shipped 32-bit build under 32-bit Wine (the
file users get), or the 64-bit build of the same source under wine64 with --x86_64. With --warning, the sample's minimum date is moved
past the adapter's driver date, so the gate shows its warning box; a screenshot of the box is
saved and the box is closed. With --ask, the warning box asks (StartAnyway=1): it is
photographed too, and No is pressed."""

import argparse
import os
import re
import shutil
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
from wine_session import WINE, WINE32, WineSession, check_kernel_runs_32bit_programs  # noqa: E402

WARNING_MINIMUM = "12-31-2099"
ASK_MESSAGE = ("Your display driver is older than September 27, 2005, and the program may not "
               "run correctly. Start it anyway?")


def setting(text, key):
    match = re.search(r"^\s*%s\s*=(.*)$" % key, text, re.IGNORECASE | re.MULTILINE)
    return match.group(1).strip() if match else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--x86_64", action="store_true",
                        help="run the 64-bit build under wine64 instead of the shipped 32-bit one")
    parser.add_argument("--warning", action="store_true",
                        help="show the warning path and save a screenshot of the box")
    parser.add_argument("--ask", action="store_true",
                        help="the same with StartAnyway=1: the Yes/No box, answered No")
    args = parser.parse_args()
    args.warning = args.warning or args.ask

    demo_dir = os.path.join(ROOT, "build", "demo")
    architecture, wine = "i686", WINE32
    if args.x86_64:
        architecture, wine = "x86_64", WINE
    else:
        reason = check_kernel_runs_32bit_programs(os.path.join(demo_dir, "kernel-check"))
        if reason is not None:
            print("The shipped 32-bit gate cannot run on this machine: %s." % reason)
            print("Running the 64-bit build of the same source under wine64 instead.\n")
            architecture, wine = "x86_64", WINE
    build = os.path.join(ROOT, "build", "windows-" + architecture)
    folder = os.path.join(demo_dir, "program")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(os.path.join(build, "LaunchGate.exe"), folder)
    shutil.copy(os.path.join(build, "sample", "sample_app.exe"), folder)
    with open(os.path.join(ROOT, "sample", "detail.ini")) as f:
        settings = f.read()
    if args.warning:
        settings = re.sub(r"^DriverDate=.*$", "DriverDate=" + WARNING_MINIMUM, settings,
                          flags=re.MULTILINE)
    if args.ask:
        settings = re.sub(r"^StartAnyway=.*$", "StartAnyway=1", settings, flags=re.MULTILINE)
        settings = re.sub(r"^Message=.*$", "Message=" + ASK_MESSAGE, settings,
                          flags=re.MULTILINE)
    with open(os.path.join(folder, "detail.ini"), "w", newline="\r\n") as f:
        f.write(settings)
    devreg = os.path.join(build, "tests", "wine", "tools", "devreg.exe")
    box_closer = os.path.join(build, "tests", "wine", "tools", "box_closer.exe")

    print("Build: %s (%s), run by %s" % (architecture, os.path.join(build, "LaunchGate.exe"),
                                          wine))
    print("Program folder: %s" % folder)
    print("  LaunchGate.exe, detail.ini, sample_app.exe")
    print("Settings: Class=%s  DriverDate=%s  LaunchApp=%s  Parameter=%s"
          % (setting(settings, "Class"), setting(settings, "DriverDate"),
             setting(settings, "LaunchApp"), setting(settings, "Parameter")))
    print("Starting Wine (a private prefix under build/demo; the first run takes a while)...")
    # The warning box is photographed in a virtual desktop, where Wine draws its frame and caption.
    with WineSession(os.path.join(demo_dir, "wine-desktop" if args.warning else "wine"),
                     fresh_prefix=False, wine=wine,
                     virtual_desktop="480x240" if args.warning else None) as session:
        _, listing = session.run_windows_program(devreg, ["list", setting(settings, "Class")])
        print("\nDevices of class %s, as Wine reports them:" % setting(settings, "Class"))
        devices = re.findall(r"^device\d+=(.*?)\|(.*)$", listing, re.MULTILINE)
        for instance, result in devices:
            print("  %s  driver date: %s" % (instance, result.replace("DriverDate=", "")))
        if not devices:
            print("  (none)")

        started = time.monotonic()
        gate = session.start_windows_program(os.path.join(folder, "LaunchGate.exe"))
        if args.warning:
            _, found = session.run_windows_program(box_closer, ["20000", "Warning", "-n"],
                                                   timeout=60)
            box = dict(line.split("=", 1) for line in found.splitlines() if "=" in line)
            if box.get("found") != "1":
                session.kill(gate)
                print("\nNo warning box appeared: unexpected.")
                return 1
            png = os.path.join(demo_dir, "warning-box-ask.png" if args.ask else "warning-box.png")
            time.sleep(0.5)  # let the box finish painting
            session.screenshot(png + ".full.png")
            x, y, w, h = (int(v) for v in box["rect"].split(","))
            os.system("convert %s -crop %dx%d+%d+%d +repage %s"
                      % (png + ".full.png", w + 40, h + 40, max(x - 20, 0), max(y - 20, 0), png))
            os.remove(png + ".full.png")
            session.run_windows_program(box_closer, ["5000", "Warning"] +
                                        (["-p", "No"] if args.ask else []), timeout=60)
        gate.communicate(timeout=120)
        seconds = time.monotonic() - started

        print("\nThe gate ended after %.2f s with exit status %d." % (seconds, gate.returncode))
        received = os.path.join(folder, "sample_app_received.txt")
        if args.warning:
            print("Verdict: FAIL - the last device's driver date is before %s." % WARNING_MINIMUM)
            print("It showed its warning box:")
            buttons = [box.get("button%d" % i, "").replace("&", "")
                       for i in range(int(box.get("buttons", "0")))]
            print('  caption "Warning", text "%s", buttons: %s (default %s)'
                  % (box.get("text"), ", ".join(buttons), box.get("default", "").replace("&", "")))
            if args.ask:
                print("The demo pressed No.")
            print("Screenshot of the box: %s" % png)
            print("Application started: %s" % ("yes (unexpected)" if os.path.exists(received)
                                                else "no"))
        elif os.path.exists(received):
            print("Verdict: PASS - the last device's driver date meets %s."
                  % setting(settings, "DriverDate"))
            print("It started sample_app.exe and waited for it. The application received:")
            with open(received, encoding="latin-1") as f:
                for line in f.read().splitlines():
                    print("  " + line)
        else:
            print("Verdict: FAIL or no start - the sample application was not started.")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
