"""Machinery for Kelvora's end-to-end tests.

A test run gets one virtual X display (Xvfb), one fresh Wine prefix copied from
a cached template, and one persistent wineserver. In that prefix every program
shares one Wine virtual desktop with a taskbar and a notification area, so
kelvora.exe, the probe and the shell see each other as on Windows. Tests drive
the program only as a user or the shell would (xdotool, WM_CLOSE from the
probe) and observe it through the probe, files, the registry and screenshots.

Everything a session starts it ends by process id, or by ending its own
prefix's wineserver; nothing is ever ended by name.
"""

import atexit
import errno
import hashlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Each lane keeps its screenshots and logs apart: the host's Wine in host/,
# the Wine 10 lane (KELVORA_LANE=wine10) in wine10/.
ARTIFACTS = ROOT / "tests" / "e2e" / "artifacts" / os.environ.get("KELVORA_LANE", "host")
PREFIX_CACHE = ROOT / "build" / "e2e-prefix"

WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
DESKTOP = "kelvora"
DEFAULT_SIZE = (1024, 768)

# Wine's .NET and HTML add-ons are never needed and would be offered at
# prefix creation; winemenubuilder would write launchers into the home folder.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"

# Wine's own fonts, from Debian's fonts-wine.
WINE_FONTS = "/usr/share/wine/fonts"

# The faces the layouts name, each mapped to the closest Debian face, as in
# scripts/run.sh's prefix: Chinese captions draw as boxes without them.
WINE_FONTS_REG = ROOT / "scripts" / "wine-fonts.reg"


# A press, a pause and a release: the notification area misses an instant click.
CLICK_HOLD = 0.2

# No e2e test may run longer than this (a few long ones say otherwise); a
# hung step then fails its test instead of the whole run.
TEST_TIME_LIMIT = 120


class HarnessError(RuntimeError):
    pass


def readline(stream, timeout, what):
    """One line from a pipe, or HarnessError when none comes in time."""
    ready, _, _ = select.select([stream], [], [], timeout)
    if not ready:
        raise HarnessError(f"no answer from {what} within {timeout} s")
    return stream.readline()


def wait_until(condition, timeout=10.0, interval=0.05, what=None):
    """Calls condition until it returns something truthy and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout} s waiting for {what or condition}")
        time.sleep(interval)


def eventually(condition, timeout=10.0, interval=0.05):
    """Like wait_until, but returns None on timeout, for a test to assert on
    what it then sees."""
    try:
        return wait_until(condition, timeout, interval)
    except TimeoutError:
        return None


def pe_machine(path):
    """'x86' or 'x64', read from a Windows executable's PE header."""
    with open(path, "rb") as exe:
        head = exe.read(4096)
    offset = int.from_bytes(head[0x3C:0x40], "little")
    if head[:2] != b"MZ" or head[offset:offset + 4] != b"PE\0\0":
        raise HarnessError(f"{path} is not a Windows executable")
    machine = int.from_bytes(head[offset + 4:offset + 6], "little")
    kinds = {0x14C: "x86", 0x8664: "x64"}
    if machine not in kinds:
        raise HarnessError(f"{path}: unsupported machine 0x{machine:x}")
    return kinds[machine]


def source_lines(exe, offsets):
    """Each return address (an offset into the executable) as the place of
    its call, "folder/file.cpp:line", read from the build's debug
    information."""
    triple = "x86_64-w64-mingw32" if pe_machine(exe) == "x64" else "i686-w64-mingw32"
    dump = subprocess.run([f"{triple}-objdump", "-p", str(exe)], capture_output=True, text=True, check=True,
                          timeout=60).stdout
    base = int(re.search(r"ImageBase\s+([0-9a-fA-F]+)", dump).group(1), 16)
    places = {}
    for offset in offsets:
        # With -i, one line per inlined frame, the outermost last.
        frames = subprocess.run([f"{triple}-addr2line", "-i", "-e", str(exe), hex(base + offset - 1)],
                                capture_output=True, text=True, check=True, timeout=60).stdout.splitlines()
        # The innermost frame of the program's own sources: not a library
        # header (std::function's), nor a layer's header seen through the
        # build's include links (the handle wrappers), but the code that
        # made the call.
        places_seen = [f.split(" ")[0] for f in frames]
        own = [f for f in places_seen if f.startswith(str(ROOT) + "/") and "/build/" not in f]
        place = (own or places_seen[-1:] or ["?"])[0]
        places[offset] = place[len(str(ROOT)) + 1:] if place.startswith(str(ROOT) + "/") else place
    return places


def build_name(path):
    """'32-bit build' or '64-bit build': the build a Windows executable is of."""
    return "64-bit build" if pe_machine(path) == "x64" else "32-bit build"


def can_run_32bit():
    """Whether this kernel runs 32-bit x86 programs, which Wine's 32-bit loader is.

    Some virtual machines run 64-bit code only; 32-bit Windows programs cannot
    run under Wine there at all.
    """
    try:
        subprocess.run([WINE32, "--version"], capture_output=True, check=False, timeout=60)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return False
        raise
    return True


def default_build_dir():
    """The build the tests run by default: the 32-bit one where it can run."""
    return ROOT / "build" / ("win32" if can_run_32bit() else "win64")


def loader_for(exe):
    return WINE64 if pe_machine(exe) == "x64" else WINE32


def wine_version():
    return subprocess.run([WINE64 if Path(WINE64).exists() else WINE32, "--version"],
                          capture_output=True, text=True, check=True, timeout=60).stdout.strip()


def free_display(size=DEFAULT_SIZE, depth=24, extra=()):
    """Starts Xvfb on a display number it picks itself; returns (Popen, ':N')."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
         "-screen", "0", f"{size[0]}x{size[1]}x{depth}", *extra],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = readline(numbers, 30, "Xvfb").strip()
    if not number:
        xvfb.kill()
        xvfb.wait()
        raise HarnessError("Xvfb did not start")
    return xvfb, f":{number}"


def _registry_file(size, dpi=96, desktop=True):
    lines = ["Windows Registry Editor Version 5.00", ""]

    def key(name, values):
        lines.append(f"[{name}]")
        for value_name, data in values.items():
            if isinstance(data, int):
                lines.append(f'"{value_name}"=dword:{data:08x}')
            else:
                lines.append(f'"{value_name}"="{data}"')
        lines.append("")

    # The font settings, less their header line.
    lines.extend(WINE_FONTS_REG.read_text(encoding="utf-8").splitlines()[1:])
    lines.append("")
    if desktop:
        # A desktop named "Default" is the root desktop whatever the registry
        # says, so the virtual desktop gets a name of its own; "EnableShell"
        # gives it the taskbar with the notification area.
        key(r"HKEY_CURRENT_USER\Software\Wine\Explorer", {"Desktop": DESKTOP})
        key(r"HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops", {DESKTOP: f"{size[0]}x{size[1]}"})
        key(rf"HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops\{DESKTOP}", {"EnableShell": 1})
    if dpi != 96:
        # The display's scale, where Wine's display settings put it.
        key(r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts",
            {"LogPixels": dpi})
        key(r"HKEY_CURRENT_USER\Control Panel\Desktop", {"LogPixels": dpi})
        # "DpiScalingVer" is left out on purpose. Without it Wine 8 makes
        # every process per-monitor aware (version 1) before the manifest is
        # read; with it, Wine 8 reads the manifest, refuses its PerMonitorV2
        # and stops there, leaving kelvora.exe unaware, as no Windows does.
        # Version 1 is what Windows 8.1 gives the program; Wine 10 reads the
        # manifest either way and gives version 2, as Windows 10 and 11 do.
    return "\r\n".join(lines)


def prefix_template(arch, size=DEFAULT_SIZE, dpi=96, desktop=True):
    """A prefix made once and cached under build/, for copying into each run;
    without `desktop`, Wine's programs go straight onto the X screen."""
    settings = _registry_file(size, dpi, desktop)
    key = hashlib.sha256(f"{wine_version()}\n{arch}\n{settings}\nfonts: marlett.ttf".encode()).hexdigest()[:12]
    name = f"{size[0]}x{size[1]}" if desktop else "x-screen"
    template = PREFIX_CACHE / f"template-{arch}-{name}{'' if dpi == 96 else f'-{dpi}dpi'}-{key}"
    if template.is_dir():
        return template
    PREFIX_CACHE.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="making-", dir=PREFIX_CACHE))
    prefix = work / "prefix"
    env = _base_env(prefix)
    env.pop("DISPLAY", None)
    env["WINEARCH"] = "win64" if arch == "x64" else "win32"
    loader = WINE64 if arch == "x64" else WINE32
    try:
        subprocess.run([loader, "wineboot", "--init"], env=env, check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        install_wine_fonts(prefix)
        reg = work / "settings.reg"
        reg.write_text(settings, encoding="utf-16")
        subprocess.run([loader, "regedit", "/S", str(reg)], env=env, check=True, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
        try:
            prefix.rename(template)
        except OSError:
            if not template.is_dir():  # another run made it meanwhile
                raise
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return template


def install_wine_fonts(prefix):
    """Wine's symbol font for the caption buttons into the prefix's font
    folder: Debian's Wine looks for its own fonts beside its data folder,
    where Debian does not put them, and without Marlett the caption buttons
    show the letters "0 1 r". Only Marlett: with Wine's own Tahoma present,
    captions would take it and lose the Chinese glyphs of the fallback."""
    fonts = prefix / "drive_c" / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    shutil.copy(Path(WINE_FONTS) / "marlett.ttf", fonts / "marlett.ttf")


# The stand-in X libraries that give Wine the heads a test chooses, by the
# soname each replaces: Wine 8 takes its monitors from Xinerama, Wine 10 from
# RandR.
HEADS_LIBRARIES = {"libXinerama.so.1": "xinerama_heads.c", "libXrandr.so.2": "xrandr_heads.c"}


def heads_libraries():
    """The folders of the stand-in libraries (tests/e2e/*_heads.c), built for
    both architectures under build/ when missing or older than their
    sources, joined for LD_LIBRARY_PATH: each loader takes the ones of its
    own class."""
    here = Path(__file__).resolve().parent
    newest = max((here / name).stat().st_mtime for name in [*HEADS_LIBRARIES.values(), "heads.h"])
    folders = []
    for bits in ("64", "32"):
        folder = ROOT / "build" / "e2e-heads" / bits
        for soname, source in HEADS_LIBRARIES.items():
            library = folder / soname
            if not library.is_file() or library.stat().st_mtime < newest:
                folder.mkdir(parents=True, exist_ok=True)
                subprocess.run(["gcc", f"-m{bits}", "-O2", "-Wall", "-Wextra", "-shared", "-fPIC",
                                f"-Wl,-soname,{soname}", "-o", str(library), str(here / source)],
                               check=True, timeout=120)
        folders.append(str(folder))
    return ":".join(folders)


def _base_env(prefix, display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = str(prefix)
    env["WINEDLLOVERRIDES"] = DLL_OVERRIDES
    env.setdefault("WINEDEBUG", "-all")
    if display:
        env["DISPLAY"] = display
    return env


def _plain(text):
    """A menu or button text without its "&" mnemonic marks."""
    return text.replace("&&", "\0").replace("&", "").replace("\0", "&")


class App:
    """One started Windows program: its Popen (the Linux process, whose exit
    status is the program's exit code) and its Windows process id."""

    def __init__(self, session, popen, win_pid, log):
        self.session = session
        self.popen = popen
        self.linux_pid = popen.pid
        self.win_pid = win_pid
        self.log = log

    def windows(self):
        return self.session.probe("windows", self.win_pid, check=False)

    def window(self, class_name):
        """The first top-level window of that class, or None."""
        return next((w for w in self.windows() if w["class"] == class_name), None)

    def wait_window(self, class_name, timeout=10.0, visible=False):
        args = ["wait", self.win_pid, class_name, int(timeout * 1000)] + (["visible"] if visible else [])
        found = self.session.probe(*args, check=False)
        if not found:
            raise TimeoutError(f"no {'visible ' if visible else ''}{class_name} window of "
                               f"process {self.win_pid} within {timeout} s")
        return found

    def dialogs(self):
        """The process's dialog boxes, each with caption, texts, buttons and controls."""
        return self.session.probe("dialog", self.win_pid, check=False)

    def wait_dialog(self, timeout=10.0):
        """The first visible dialog box of the process, once there is one."""
        return wait_until(lambda: next((d for d in self.dialogs() if d["window"]["visible"]), None),
                          timeout=timeout, what=f"a dialog of process {self.win_pid}")

    def running(self):
        return self.popen.poll() is None

    def wait_exit(self, timeout=10.0):
        """The exit code, once the process has ended."""
        return self.popen.wait(timeout=timeout)

    def end(self):
        """Ends the program as a user would, by closing its main window, so
        that it removes its tray icon; kills it only when that fails."""
        if self.popen.poll() is None:
            try:
                main = next((w for w in self.windows() if w["class"] == "TForm1"), None)
                if main:
                    self.session.close(main["hwnd"])
                    self.popen.wait(timeout=10)
            except (HarnessError, subprocess.TimeoutExpired, OSError):
                pass
        if self.popen.poll() is None:
            self.popen.kill()
        self.popen.wait()


class Session:
    """A test run's display, prefix and wineserver, and what it started in them."""

    def __init__(self, exe, probe, size=DEFAULT_SIZE, display=None, keep=None, dpi=96, heads=None):
        """With `heads` (x, y, width, height in X root coordinates, the
        primary first), Wine runs without its virtual desktop on an X screen
        of that many monitors, and `size` is the primary's size."""
        self.dpi = dpi
        self.heads = [tuple(head) for head in heads] if heads else None
        # Where the primary monitor's top-left corner is on the X screen:
        # screen coordinates are taken from there.
        self.primary_at = self.heads[0][:2] if self.heads else (0, 0)
        self.exe = Path(exe).resolve()
        self.probe_exe = Path(probe).resolve()
        self.size = tuple(size)
        self.display = display
        self.keep = keep if keep is not None else bool(os.environ.get("KELVORA_E2E_KEEP"))
        self.arch = pe_machine(self.probe_exe)
        self.loader = WINE64 if self.arch == "x64" else WINE32
        self.xvfb = None
        self.run_dir = None
        self.prefix = None
        self.workdir = None
        self.env = None
        self.hold = None
        self.apps = []
        self.launches = 0

    # ---- set-up and tear-down --------------------------------------------

    def start(self):
        for path in (self.exe, self.probe_exe):
            if not path.is_file():
                raise HarnessError(f"missing {path}")
        if pe_machine(self.exe) != self.arch:
            raise HarnessError(f"{self.exe} and {self.probe_exe} are built for different machines")
        if self.arch == "x86" and not can_run_32bit():
            raise HarnessError("this machine cannot run 32-bit programs: build and test the win64 preset")
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        try:
            template = prefix_template(self.arch, self.size, self.dpi, desktop=not self.heads)
            if not self.display and self.heads:
                # Without RandR in the server, Wine takes the monitors from
                # Xinerama or RandR, which the stand-in libraries answer. The X screen is white where
                # no monitor is, which no capture may take.
                root = (max(x + w for x, _, w, _ in self.heads), max(y + h for _, y, _, h in self.heads))
                self.xvfb, self.display = free_display(root, extra=("-extension", "RANDR", "-wr"))
            elif not self.display:
                self.xvfb, self.display = free_display(self.size)
            self.run_dir = Path(tempfile.mkdtemp(prefix="kelvora-e2e-"))
            self.prefix = self.run_dir / "prefix"
            shutil.copytree(template, self.prefix, symlinks=True)
            # The desktop capture also writes to D:\, which a fresh prefix lacks.
            self.d_drive = self.run_dir / "d"
            self.d_drive.mkdir()
            d_link = self.prefix / "dosdevices" / "d:"
            if d_link.is_symlink():
                d_link.unlink()
            d_link.symlink_to(self.d_drive)
            self.workdir = self.run_dir / "work"
            self.workdir.mkdir()
            self.env = _base_env(self.prefix, self.display)
            if self.heads:
                self.env["KELVORA_HEADS"] = ";".join(",".join(map(str, head)) for head in self.heads)
                self.env["LD_LIBRARY_PATH"] = ":".join(
                    filter(None, [heads_libraries(), self.env.get("LD_LIBRARY_PATH")]))
            subprocess.run(["wineserver", "-p"], env=self.env, check=True, timeout=60)
            self.hold = subprocess.Popen([self.loader, str(self.probe_exe), "hold"],
                                         env=self.env, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            readline(self.hold.stdout, 30, "the probe holding the session")
            if not self.heads:
                wait_until(self.taskbar_once_up, timeout=30, what="the taskbar")
            # Xvfb starts with the pointer in the middle of the screen, where
            # the intro window opens; hints and mouse-over handlers would run.
            self.move(0, 0)
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self):
        for app in self.apps:
            app.end()
        if self.hold:
            self.hold.stdin.close()
            try:
                self.hold.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.hold.kill()
                self.hold.wait()
            self.hold.stdout.close()
            self.hold = None
        if self.env:
            subprocess.run(["wineserver", "-k"], env=self.env, check=False, timeout=60)
            subprocess.run(["wineserver", "-w"], env=self.env, check=False, timeout=60)
            self.env = None
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
            self.xvfb = None
        if self.run_dir and not self.keep:
            shutil.rmtree(self.run_dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # ---- Windows programs -------------------------------------------------

    def wine(self, *args, cwd=None, timeout=60):
        """Runs a Windows program to its end; returns the CompletedProcess."""
        return subprocess.run([self.loader, *map(str, args)],
                              env=self.env, cwd=cwd or self.workdir, capture_output=True,
                              timeout=timeout, check=False)

    def probe(self, *args, check=True):
        """Runs the probe; returns its JSON. With check, a "found nothing"
        status raises."""
        for _ in range(2):
            done = subprocess.run([self.loader, str(self.probe_exe), *map(str, args)],
                                  env=self.env, capture_output=True, timeout=60, check=False)
            # Every command prints its JSON, "[]" or "null" included: a probe
            # that printed nothing at all never ran its command (seen once,
            # exit 1 with nothing on either stream, on a loaded machine) and
            # is run once more.
            if done.stdout.strip() or done.stderr.strip():
                break
        if done.returncode == 2 or (check and done.returncode != 0):
            raise HarnessError(f"probe {' '.join(map(str, args))} exited with {done.returncode}: "
                               f"{done.stderr.decode(errors='replace')}")
        try:
            return json.loads(done.stdout.decode("utf-8"))
        except ValueError:
            raise HarnessError(f"probe {' '.join(map(str, args))} answered no JSON (exit {done.returncode}): "
                               f"{done.stderr.decode(errors='replace')}") from None

    def processes(self, exe_name):
        return [p["pid"] for p in self.probe("processes", exe_name, check=False)]

    def launch(self, exe=None, cwd=None, timeout=30.0, args=()):
        """Starts a Windows program (kelvora.exe unless told, with `args`) in the foreground
        of its own Popen, so that its exit code is the Popen's return code."""
        exe = Path(exe).resolve() if exe else self.exe
        before = set(self.processes(exe.name))
        self.launches += 1
        log = ARTIFACTS / f"{exe.stem}-{self.launches}.log"
        with open(log, "wb") as output:
            popen = subprocess.Popen([loader_for(exe), str(exe), *args], env=self.env,
                                     cwd=cwd or self.workdir, stdin=subprocess.DEVNULL,
                                     stdout=output, stderr=subprocess.STDOUT)
        try:
            def new_pid():
                fresh = set(self.processes(exe.name)) - before
                if popen.poll() is not None and not fresh:
                    raise HarnessError(f"{exe.name} ended at once with {popen.returncode}; see {log}")
                return min(fresh) if fresh else None
            win_pid = wait_until(new_pid, timeout=timeout, interval=0.1, what=f"{exe.name} to start")
        except BaseException:
            if popen.poll() is None:
                popen.kill()
            popen.wait()
            raise
        app = App(self, popen, win_pid, log)
        self.apps.append(app)
        return app

    # ---- the shell ---------------------------------------------------------

    def taskbar(self):
        """The taskbar, once it is visible, with its notification-area icons."""
        trays = self.probe("tray", check=False)
        return next((t for t in trays if t["visible"]), None)

    def taskbar_once_up(self):
        """The taskbar while the session starts: a probe started while the
        shell is still coming up may fail to answer, which counts as no
        taskbar yet."""
        try:
            return self.taskbar()
        except HarnessError as e:
            print(f"e2e: waiting for the shell: {e}", file=sys.stderr)
            return None

    def tray_icons(self, tip=None):
        """Notification-area icons, rightmost (oldest) first, optionally by tip.
        Without the virtual desktop, Wine 8 shows them in a small window of
        its own, one child window each (the tip is not asked there); Wine 10
        in a small shell tray window the probe reads like the taskbar."""
        if self.heads:
            own = [t for t in self.find("__winex11_standalone_tray") if t["visible"]]
            if own:
                return [{"center": ((c["rect"]["left"] + c["rect"]["right"]) // 2,
                                    (c["rect"]["top"] + c["rect"]["bottom"]) // 2), "tip": tip}
                        for tray in own for c in self.children(tray["hwnd"]) if c["visible"]]
        bar = self.taskbar()
        icons = bar["icons"] if bar else []
        return [i for i in icons if tip is None or i["tip"] == tip]

    def tray_window(self):
        """Without the virtual desktop: the window that shows the tray icons."""
        for name in ("__winex11_standalone_tray", "Shell_TrayWnd"):
            shown = [t for t in self.find(name) if t["visible"]]
            if shown:
                return shown[0]
        raise HarnessError("no tray window")

    def menus(self):
        return self.probe("menu", check=False)

    def find(self, class_name, caption=None):
        return self.probe("find", class_name, *([caption] if caption is not None else []), check=False)

    def children(self, hwnd):
        """Every child window of a window: class, text, rectangle, state."""
        return self.probe("children", hwnd, check=False)

    def close(self, hwnd):
        """Posts WM_CLOSE to a window, as the taskbar does."""
        return self.probe("close", hwnd)

    # ---- user input --------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=30)

    def move(self, x, y):
        """To screen point (x, y)."""
        self.xdotool("mousemove", x + self.primary_at[0], y + self.primary_at[1])

    def click(self, x, y, button=1, hold=CLICK_HOLD):
        """Moves there, presses, pauses and releases."""
        self.move(x, y)
        time.sleep(0.05)
        self.xdotool("mousedown", button)
        time.sleep(hold)
        self.xdotool("mouseup", button)

    def double_click(self, x, y, button=1, hold=0.05):
        """Two clicks well within the double-click time."""
        self.move(x, y)
        time.sleep(0.05)
        for _ in range(2):
            self.xdotool("mousedown", button)
            time.sleep(hold)
            self.xdotool("mouseup", button)
            time.sleep(hold)

    def drag(self, start, end, button=1, steps=10):
        self.move(*start)
        time.sleep(0.05)
        self.xdotool("mousedown", button)
        for step in range(1, steps + 1):
            time.sleep(0.02)
            self.move(start[0] + (end[0] - start[0]) * step // steps,
                      start[1] + (end[1] - start[1]) * step // steps)
        time.sleep(0.05)
        self.xdotool("mouseup", button)

    def key(self, *keys):
        """Key names as xdotool knows them: "Escape", "Return", "alt+F4"."""
        self.xdotool("key", "--delay", 50, *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 50, text)

    def x_window_at(self, rect):
        """The id of the mapped X window Wine shows for a top-level window
        with that screen rectangle, or None while there is none."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True,
                              text=True, check=True, timeout=30).stdout
        size = f"{rect['width']}x{rect['height']}"
        origin = f"+{rect['left'] + self.primary_at[0]}+{rect['top'] + self.primary_at[1]}"
        for line in tree.splitlines():
            fields = line.split()
            # "0x...  (name): ("class" "class")  WxH+x+y  +X+Y", the last on the screen.
            if (len(fields) < 3 or not fields[0].startswith("0x") or fields[-1] != origin
                    or fields[-2].split("+")[0] != size):
                continue
            info = subprocess.run(["xwininfo", "-id", fields[0]], env=self.env, capture_output=True,
                                  text=True, check=False, timeout=30).stdout
            if "Map State: IsViewable" in info:
                return fields[0]
        return None

    def give_keys_to(self, rect):
        """Gives the X keyboard focus to the program's visible window at that
        rectangle (a popup menu, say), so that keys reach the program that
        Windows would send them to.

        Windows sends keys to the foreground thread. Wine sends each key to
        the thread of the window whose X window received it, and moves the X
        focus to the window it activates, but it cannot focus a hidden one:
        when a tray program brings its hidden main window to the foreground
        before its menu, as it should, the X focus stays with the shell's
        desktop or taskbar window, whose thread then swallows the keys. Giving
        the X focus to the program's visible window sends them to the
        program's thread, as Windows would. Used for the tray menu alone:
        every other window takes its keys as a user presses them, and a test
        that moved the focus there would hide a fault."""
        window = wait_until(lambda: self.x_window_at(rect), timeout=5,
                            what=f"an X window at {rect}")
        self.xdotool("windowfocus", "--sync", window)

    def click_tray_icon(self, icon, button=1):
        self.click(*icon["center"], button=button)

    def click_rect(self, rect, button=1):
        self.click((rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2,
                   button=button)

    def click_menu_item(self, text):
        """Clicks the item of an open popup menu with that text ("&" marks
        ignored), as a user would."""
        for menu in self.menus():
            for item in menu["items"] or []:
                if _plain(item["text"]) == _plain(text) and item["rect"]:
                    self.click_rect(item["rect"])
                    return item
        raise HarnessError(f"no open menu item {text!r}")

    def answer(self, dialog, control_id):
        """Clicks a dialog's button by its id, as a user would, and waits for
        the dialog to close. Each try reads the dialog afresh and clicks once
        the button has held its place for two readings, since Wine has shown
        a box a moment before its text, and a click must not go where a
        button was before the box was laid out. A box that missed a click is
        clicked again, as a user would (seen under Wine 10); one that takes
        none of three fails with what it held."""
        hwnd, pid = dialog["window"]["hwnd"], dialog["window"]["pid"]

        def showing():
            return next((d for d in self.probe("dialog", pid, check=False) if d["window"]["hwnd"] == hwnd), None)

        last = None

        def in_place():
            """The button once it has held its place, or "closed"."""
            nonlocal last
            found = showing()
            if found is None:
                return "closed"
            was, last = last, next((c for c in found["controls"] if c["id"] == control_id and c["visible"]), None)
            return last if last and was and last["rect"] == was["rect"] else None
        for _ in range(3):
            button = wait_until(in_place, timeout=10, what=f"button {control_id} in place")
            if button == "closed":
                return
            self.click_rect(button["rect"])
            if eventually(lambda: showing() is None, timeout=4):
                return
        self.screenshot(f"unanswered-{dialog['caption']}")
        raise HarnessError(f"the dialog {dialog['caption']!r} did not close: {showing()}")

    # ---- pictures ----------------------------------------------------------

    def screenshot(self, name):
        """The whole screen as tests/e2e/artifacts/<lane>/<name>.png."""
        path = ARTIFACTS / f"{name}.png"
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       env=self.env, check=True, timeout=60)
        return path

    def screen(self, name):
        """A screenshot, opened with PIL (RGB)."""
        from PIL import Image
        with Image.open(self.screenshot(name)) as image:
            return image.convert("RGB")

    # ---- registry ----------------------------------------------------------

    # Both builds keep their values in the 32-bit registry view, as a 32-bit
    # program does on 64-bit Windows; `reg` is told to look there too.
    REG_VIEW = "/reg:32"

    def reg_query(self, key, value):
        """A registry value's data as `reg query` prints it, or None when absent."""
        done = self.wine("reg", "query", key, "/v", value, self.REG_VIEW)
        if done.returncode != 0:
            return None
        for line in done.stdout.decode("utf-8", errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == value and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_add(self, key, value, data, kind="REG_SZ"):
        done = self.wine("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f", self.REG_VIEW)
        if done.returncode != 0:
            raise HarnessError(f"reg add {key} {value} failed: {done.stdout!r}")

    def reg_delete(self, key, value=None):
        args = ["reg", "delete", key] + (["/v", value] if value is not None else []) + ["/f", self.REG_VIEW]
        return self.wine(*args).returncode == 0


# ---- the run's session ------------------------------------------------------

_settings = {}
_session = None


def configure(exe=None, probe=None, size=DEFAULT_SIZE, display=None):
    """Sets what session() starts; run.py calls this before the tests load."""
    _settings.update(exe=exe, probe=probe, size=size, display=display)


def session():
    """The test run's one session, started on first use and stopped at exit
    (run.py stops it itself). Without configure(), the paths come from
    KELVORA_E2E_EXE and KELVORA_E2E_PROBE, else from the default build."""
    global _session
    if _session is None:
        build = default_build_dir()
        exe = (_settings.get("exe") or os.environ.get("KELVORA_E2E_EXE")
               or build / "app" / "kelvora.exe")
        probe = (_settings.get("probe") or os.environ.get("KELVORA_E2E_PROBE")
                 or build / "tests" / "e2e" / "probe.exe")
        _session = Session(exe, probe, size=_settings.get("size", DEFAULT_SIZE),
                           display=_settings.get("display")).start()
        atexit.register(stop_session)
    return _session


def scaled_session(dpi):
    """A session of its own whose display is scaled to `dpi` dots per inch,
    with the run's programs; the caller stops it."""
    main = session()
    return Session(main.exe, main.probe_exe, size=main.size, dpi=dpi).start()


def stop_session():
    global _session
    if _session is not None:
        _session.stop()
        _session = None


class KelvoraTestCase(unittest.TestCase):
    """A test in the run's session; every program it starts is ended after it."""

    time_limit = TEST_TIME_LIMIT

    def setUp(self):
        def out_of_time(signum, frame):
            raise TimeoutError(f"{self.id()} ran longer than {self.time_limit} s")
        signal.signal(signal.SIGALRM, out_of_time)
        signal.alarm(self.time_limit)
        self.addCleanup(signal.alarm, 0)
        self.session = self.session_for_test()
        # Each test starts with the pointer where no window of the program is.
        self.session.move(0, 0)

    def session_for_test(self):
        """The session the test runs in: the run's own, unless a test class
        needs a display of its own."""
        return session()

    def start_kelvora(self, cwd=None):
        """kelvora.exe, in the run's work folder unless told another one."""
        app = self.session.launch(cwd=cwd)
        self.addCleanup(app.end)
        return app


if __name__ == "__main__":
    # scripts/run.sh makes its prefix from the tests' own template, so that
    # the program runs in the same set-up as it is tested in:
    #   harness.py prefix-template win32|win64 WIDTHxHEIGHT   prints its folder
    if len(sys.argv) == 4 and sys.argv[1] == "prefix-template" and sys.argv[2] in ("win32", "win64"):
        width, height = (int(v) for v in sys.argv[3].split("x"))
        print(prefix_template("x64" if sys.argv[2] == "win64" else "x86", (width, height)))
        sys.exit(0)
    print("usage: harness.py prefix-template win32|win64 WIDTHxHEIGHT", file=sys.stderr)
    sys.exit(2)
