#!/usr/bin/python3
"""Host CPU of bench.bus.dump(0, 0, 8192) from Python against `korvane bus dump`
of the same 8192 words on the simulated bench (run by hand; the figure is in
the README, never asserted by a test).

    PYTHONPATH=build/python /usr/bin/python3 bench/python_dump.py [BUILD] [--runs N]

The command line's cost of the transfer is its process's CPU (user + system)
for the dump less that of a one-word read (start-up, driver load, bus set-up);
the module's is the process CPU time of the dump() call alone. Medians of N runs.
"""

import argparse
import os
import statistics
import subprocess
import time

import korvane


def child_cpu(argv):
    """User + system CPU seconds of one run of argv."""
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        raise SystemExit(f"{' '.join(argv)}: status {proc.returncode}")
    return usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=30)
    args = parser.parse_args()
    korvane_exe = os.path.join(args.build, "app", "korvane")
    env_cli = [korvane_exe, "--daq", "sim"]

    dump = [child_cpu(env_cli + ["bus", "dump", "0", "0", "8192", "-o", "-"]) for _ in range(args.runs)]
    base = [child_cpu(env_cli + ["bus", "read", "0", "0"]) for _ in range(args.runs)]
    cli = statistics.median(dump) - statistics.median(base)

    with korvane.open(daq="sim") as bench:
        bench.bus.dump(0, 0, 8192)  # the bus set up, the tasks made
        py = []
        for _ in range(args.runs):
            t = time.process_time()
            bench.bus.dump(0, 0, 8192)
            py.append(time.process_time() - t)
    module = statistics.median(py)
    print(f"korvane bus dump 0 0 8192: {cli * 1e3:.1f} ms CPU for the transfer "
          f"({statistics.median(dump) * 1e3:.1f} ms the whole command, {statistics.median(base) * 1e3:.1f} ms a one-word read)")
    print(f"bench.bus.dump(0, 0, 8192): {module * 1e3:.1f} ms CPU")
    print(f"module / command line: {module / cli:.3f} ({(module / cli - 1) * 100:+.1f} %)")


if __name__ == "__main__":
    main()
