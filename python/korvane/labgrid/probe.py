"""Whether a bench answers, as ``korvane devices`` finds out: the driver
loads and lists the device korvane uses under the expected name. The
exporter runs it in a process of its own (a driver that hangs cannot hang
the exporter, and no bench stays open between checks):

    python3 -m korvane.labgrid.probe DAQ DEVICE [BOARD]

prints nothing and exits 0 when the bench answers, else prints why and
exits 1. It never takes the simulated board's state file: that is the
test's.
"""

import sys

import korvane


def check(daq, device, board=None):
    """"" when the bench answers, else why not."""
    try:
        with korvane.open(daq=daq, board=board) as bench:
            devices = bench.devices()
    except (korvane.DaqError, OSError, ValueError, RuntimeError) as e:
        return f"the bench ({daq}) does not open: {e}"
    ours = [d.name for d in devices if d.used]
    if device not in ours:
        return f"device {device} does not answer (korvane's device: {', '.join(ours) or 'none found'})"
    return ""


def main(argv):
    if len(argv) not in (2, 3):
        print("usage: python3 -m korvane.labgrid.probe DAQ DEVICE [BOARD]", file=sys.stderr)
        return 2
    why = check(*argv)
    if why:
        print(why)
    return 1 if why else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
