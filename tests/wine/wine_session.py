"""One Wine session for the end-to-end runs: a private prefix under the build folder, an Xvfb
display, and one persistent wineserver, all torn down at the end. Every process it starts has a
time bound and is killed on failure."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"  # the plain `wine` launcher picks the 32-bit loader
WINESERVER = "/usr/lib/wine/wineserver"


def windows_path(path):
    """The Z: drive path under which Wine shows a host path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineSession:
    def __init__(self, work_dir, fresh_prefix=True):
        self.work_dir = os.path.abspath(work_dir)
        self.prefix = os.path.join(self.work_dir, "prefix")
        self.fresh_prefix = fresh_prefix
        self.xvfb = None
        self.display = None
        self.env = None

    # -- lifetime -------------------------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        os.makedirs(self.work_dir, exist_ok=True)
        self._start_xvfb()
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display,
            "LANG": "C.UTF-8",
        })
        if self.fresh_prefix and os.path.isdir(self.prefix):
            self._stop_server()
            shutil.rmtree(self.prefix)
        if not os.path.isfile(os.path.join(self.prefix, "system.reg")):
            self.run([WINE, "wineboot", "-i"], timeout=300, check=True)
            self._stop_server()
        subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30,
                       check=True)
        # The first process of a server starts Wine's services and desktop, so it pays for the
        # rest. It also turns the crash dialog off: a crashing program must just end, never
        # wait for a click.
        self.run([WINE, "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                  "/t", "REG_DWORD", "/d", "0", "/f"], timeout=120, check=True)

    def stop(self):
        if self.env is not None:
            self._stop_server()
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
            self.xvfb = None

    def _stop_server(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        subprocess.run([WINESERVER, "-w"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise RuntimeError("Xvfb did not report a display number")
        self.display = ":" + number.decode().strip()

    # -- running programs ---------------------------------------------------------------------

    def run(self, argv, timeout, cwd=None, check=False):
        """Runs a command in the session; returns (exit status, stdout). Killed after timeout."""
        process = subprocess.Popen(argv, env=self.env, cwd=cwd or self.work_dir,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            out, _ = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill(process)
            raise
        if check and process.returncode != 0:
            raise RuntimeError("%s exited with %d" % (" ".join(argv), process.returncode))
        return process.returncode, out.decode("latin-1")

    def start_windows_program(self, exe, args=(), cwd=None):
        """Starts a Windows program without waiting; the caller waits or kills it."""
        return subprocess.Popen([WINE, exe] + list(args), env=self.env, cwd=cwd or self.work_dir,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, start_new_session=True)

    def run_windows_program(self, exe, args=(), timeout=60, cwd=None):
        return self.run([WINE, exe] + list(args), timeout=timeout, cwd=cwd)

    @staticmethod
    def kill(process):
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait(timeout=10)

    def screenshot(self, png_path):
        subprocess.run(["import", "-display", self.display, "-window", "root", png_path],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=True)
