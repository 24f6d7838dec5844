"""One Wine session for the end-to-end runs: a private prefix under the build folder, an Xvfb
display, and one persistent wineserver, all torn down at the end. Every process it starts has a
time bound and is killed on failure.

A session runs in one configuration: the Wine loader of the programs' architecture, a 64-bit or
32-bit prefix, and the Windows version the prefix reports."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"  # the loader of 64-bit programs
WINE32 = "/usr/lib/wine/wine"  # the loader of 32-bit programs, from Debian's wine32:i386
WINESERVER = "/usr/lib/wine/wineserver"

# A statically linked 32-bit Linux program that only exits with status 0 (i386 ELF header,
# one program header, then mov $1,%eax; xor %ebx,%ebx; int $0x80).
_TINY_I386_PROGRAM = bytes.fromhex(
    "7f454c46010101000000000000000000" "02000300010000005480040834000000"
    "00000000000000003400200001000000" "00000000010000000000000000800408"
    "00800408600000006000000005000000" "00100000b80100000031dbcd80000000")


def check_kernel_runs_32bit_programs(scratch_dir):
    """Returns None when the kernel runs 32-bit x86 programs, else why not. Raises when the
    32-bit Wine loader itself is missing: that is a setup fault, not a property of the kernel."""
    if not os.path.isfile(WINE32):
        raise RuntimeError("%s is missing: 32-bit Wine (wine32:i386) is not installed; "
                           "run scripts/setup.sh" % WINE32)
    os.makedirs(scratch_dir, exist_ok=True)
    program = os.path.join(scratch_dir, "tiny-i386")
    with open(program, "wb") as f:
        f.write(_TINY_I386_PROGRAM)
    os.chmod(program, 0o755)
    try:
        status = subprocess.run([program], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=30).returncode
    except OSError as error:
        return "this kernel does not run 32-bit x86 programs (%s)" % error.strerror
    if status != 0:
        return "a tiny 32-bit x86 program exited with %d instead of 0" % status
    return None


def windows_path(path):
    """The Z: drive path under which Wine shows a host path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


SKIP_STATUS = 77  # CTest's SKIP_RETURN_CODE for the runs under Wine


def add_configuration_arguments(parser):
    """The options that choose a configuration: the Wine loader, the prefix, the version."""
    parser.add_argument("--wine", default=WINE, help="the Wine loader for the programs' "
                        "architecture (default: %(default)s)")
    parser.add_argument("--prefix-arch", choices=("win64", "win32"), default="win64")
    parser.add_argument("--windows-version", help="Windows version the prefix reports "
                        "(winxp, win7, win10, ...; default: Wine's own)")


def reason_to_skip(args):
    """Why this configuration cannot run on this machine (printed as the skip's reason), or
    None. Only a 32-bit loader on a kernel that runs no 32-bit program is a reason."""
    if os.path.realpath(args.wine) != os.path.realpath(WINE32):
        return None
    reason = check_kernel_runs_32bit_programs(args.work_dir)
    return None if reason is None else "%s, so 32-bit Wine cannot run here" % reason


def open_configured_session(args):
    return WineSession(args.work_dir, wine=args.wine, prefix_arch=args.prefix_arch,
                       windows_version=args.windows_version)


class WineSession:
    def __init__(self, work_dir, fresh_prefix=True, wine=WINE, prefix_arch="win64",
                 windows_version=None, virtual_desktop=None):
        self.work_dir = os.path.abspath(work_dir)
        self.prefix = os.path.join(self.work_dir, "prefix")
        self.fresh_prefix = fresh_prefix
        self.wine = wine
        self.prefix_arch = prefix_arch
        self.windows_version = windows_version
        self.virtual_desktop = virtual_desktop  # "WIDTHxHEIGHT": windows drawn with title bars
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
            "WINEARCH": self.prefix_arch,
        })
        if self.fresh_prefix and os.path.isdir(self.prefix):
            self._stop_server()
            shutil.rmtree(self.prefix)
        if not os.path.isfile(os.path.join(self.prefix, "system.reg")):
            self.run([self.wine, "wineboot", "-i"], timeout=300, check=True)
            self._stop_server()
        subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30,
                       check=True)
        # The first process of a server starts Wine's services and desktop, so it pays for the
        # rest. It also turns the crash dialog off: a crashing program must just end, never
        # wait for a click.
        self.run([self.wine, "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                  "/t", "REG_DWORD", "/d", "0", "/f"], timeout=120, check=True)
        if self.windows_version:
            self.run([self.wine, "reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/t",
                      "REG_SZ", "/d", self.windows_version, "/f"], timeout=120, check=True)
        if self.virtual_desktop:
            # Wine's own virtual desktop draws the frames and captions that Xvfb, having no
            # window manager, leaves out. The desktop process reads it when a server starts.
            self.run([self.wine, "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop",
                      "/d", "Default", "/f"], timeout=120, check=True)
            self.run([self.wine, "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v",
                      "Default", "/d", self.virtual_desktop, "/f"], timeout=120, check=True)
            self._stop_server()
            subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30,
                           check=True)
            self.run([self.wine, "reg", "query", r"HKCU\Software\Wine\Explorer"], timeout=120,
                     check=True)

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
        return subprocess.Popen([self.wine, exe] + list(args), env=self.env, cwd=cwd or self.work_dir,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, start_new_session=True)

    def run_windows_program(self, exe, args=(), timeout=60, cwd=None):
        return self.run([self.wine, exe] + list(args), timeout=timeout, cwd=cwd)

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
