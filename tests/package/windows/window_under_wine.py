#!/usr/bin/env python3
"""The unpacked zip's window under wine on a virtual display, worked by hand.

Run inside xvfb-run: starts bin/korvanew.exe (the window program Explorer and
shortcuts start) in a wine prefix of its own, on the simulated bench, and
clicks and types into the window as an operator does, with xdotool: Open,
Init, a bus write of 0x1234 to slave 0 at 0x100, a read of the same word,
Close; then closes the window. The controls are found where the panel file
puts them. Passes when korvane's run-time trace shows each button's callback
in that order and the word read back shown, the status is 0, and nothing was
reported on the error output.

X input reaches the program in order, and the window's own updates (a button
undimmed after Open) are posted messages, which Windows delivers before
later input: one click is handled, and its effects shown, before the next.

    window_under_wine.py UNPACKED WORK WINE WINESERVER [SCREENSHOT]
"""
import os
import pathlib
import shutil
import subprocess
import sys
import tomllib

unpacked, work, wine, wineserver = (pathlib.Path(a) for a in sys.argv[1:5])
top = next(unpacked.iterdir())  # the zip's one folder
screenshot = pathlib.Path(sys.argv[5]) if len(sys.argv) > 5 else None
TITLE = "korvane: PXI bench operator panel"
DEADLINE = 240  # seconds for any one wait: wine starts slowly on a busy machine

work.mkdir(parents=True, exist_ok=True)
prefix = work / "wineprefix"
shutil.rmtree(prefix, ignore_errors=True)
env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", KORVANE_DAQ="")
for name in ("QT_QPA_PLATFORM", "WINEQT_QPA_PLATFORM"):
    env.pop(name, None)  # the desktop's platform, as on a PC


def fail(why):
    print(f"FAIL: {why}", flush=True)
    subprocess.run([str(wineserver), "-k"], env=env, stderr=subprocess.DEVNULL)
    sys.exit(1)


def xdotool(*args):
    r = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=DEADLINE)
    if r.returncode != 0:
        fail(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
    return r.stdout


panel = tomllib.loads((top / "share/korvane/korvane.uir").read_text())["panel"][0]
controls = {c["name"]: c for c in panel["control"]}


def centre(name):
    c = controls[name]
    return x0 + c["left"] + c["width"] // 2, y0 + c["top"] + c["height"] // 2


def click(name):
    x, y = centre(name)
    xdotool("mousemove", x, y, "click", "1")


def enter(name, text):
    click(name)
    xdotool("key", "ctrl+a")
    xdotool("type", text)
    xdotool("key", "Return")


subprocess.run([str(wine), "wineboot", "--init"], env=env, capture_output=True, timeout=DEADLINE)
# Windows' own fonts are not in wine: the fonts scripts/dev installs stand in
# for them (Qt takes Courier New for the fields, the system's for the rest).
fonts = work / "fonts.reg"
fonts.write_text("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"
                 + "".join(f'"{name}"="{dejavu}"\n' for name, dejavu in [
                     ("Courier New", "DejaVu Sans Mono"), ("Segoe UI", "DejaVu Sans"), ("Tahoma", "DejaVu Sans"),
                     ("MS Shell Dlg", "DejaVu Sans"), ("MS Shell Dlg 2", "DejaVu Sans")]))
subprocess.run([str(wine), "regedit", str(fonts)], env=env, capture_output=True, timeout=DEADLINE)
trace = work / "window.ui"
trace.unlink(missing_ok=True)
with open(work / "window.err", "w+") as err:
    korvane = subprocess.Popen([str(wine), str(top / "bin/korvanew.exe"), "--daq", "sim", "--ui-trace", str(trace)],
                               cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=err)
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", TITLE],
                           capture_output=True, text=True, timeout=DEADLINE)
    if found.returncode != 0 or not found.stdout.split():
        korvane.kill()
        fail(f"no window titled '{TITLE}' appeared")
    window = found.stdout.split()[0]
    geometry = dict(line.strip().split(": ", 1) for line in xdotool("getwindowgeometry", window).splitlines()[1:])
    x0, y0 = (int(v) for v in geometry["Position"].split(" ")[0].split(","))
    print(f"window {window} at {x0},{y0}, {geometry['Geometry']}", flush=True)

    click("OPEN_BTN")
    click("AV_INIT_BTN")
    enter("AV_WRITE_SLAVE", "0")
    enter("AV_WRITE_ADDR", "100")
    enter("AV_WRITE_DATA", "1234")
    click("AV_WRITE_BTN")
    enter("AV_READ_SLAVE", "0")
    enter("AV_READ_ADDR", "100")
    click("AV_READ_BTN")
    if screenshot:
        # What the window shows once the read is in: the picture for the guide.
        subprocess.run(["import", "-window", window, str(screenshot)], timeout=DEADLINE)
    click("CLOSE_BTN")
    # Closing the window as the desktop does (WM_CLOSE): the program quits.
    subprocess.run([str(wine), "taskkill", "/im", "korvane.exe"], env=env, capture_output=True, timeout=DEADLINE)
    try:
        status = korvane.wait(timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        korvane.kill()
        fail("korvane did not quit when its window was closed")
    err.seek(0)
    errors = err.read()
subprocess.run([str(wineserver), "-k"], env=env, stderr=subprocess.DEVNULL)

print(errors, end="")
if status != 0:
    fail(f"korvanew.exe ended with status {status}")
lines = trace.read_text().splitlines() if trace.exists() else []
wanted = ["callback pxi_open_CB(1, OPEN_BTN, EVENT_COMMIT)",
          "callback avalon_init_cb(1, AV_INIT_BTN, EVENT_COMMIT)",
          "callback a_write_cb(1, AV_WRITE_BTN, EVENT_COMMIT)",
          "callback a_read_cb(1, AV_READ_BTN, EVENT_COMMIT)",
          "SetCtrlVal(1, AV_READ_DATA, 4660) = 0",
          "callback pxi_close_CB(1, CLOSE_BTN, EVENT_COMMIT)"]
at = 0
for line in lines:
    if at < len(wanted) and line == wanted[at]:
        at += 1
if at < len(wanted):
    fail(f"the run-time trace lacks '{wanted[at]}' after the steps before it ({len(lines)} lines in {trace})")
if "Error" in errors:
    fail("an error was reported")
print("the window took Open, Init, the write and read of 0x1234 and Close")
