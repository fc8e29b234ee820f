#!/usr/bin/python3
"""Host CPU of bench.bus.dump(0, 0, 8192) from Python against `korvane bus dump`
of the same 8192 words on the simulated bench (run by hand; the figure is in
the README, never asserted by a test).

    PYTHONPATH=build/python /usr/bin/python3 benchmarks/python_dump.py [BUILD] [--runs N]

The command line's cost of a transfer: the CPU (user + system) of one
`korvane bus run` process doing K dumps, less that of one doing K one-word
reads (start-up, driver load and bus set-up cancel out), over K. The module's:
the process CPU time of K dump() calls, over K. The least of N repeats of each
(CPU time grows, never shrinks, on a busy machine).

With --callgrind the same differences are counted in instructions under
valgrind's callgrind (K transfers each way, once): the same figure on any
load, where CPU times on a shared machine vary by more than the 5 % sought.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
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


def instructions(argv):
    """Instructions callgrind counts for one run of argv."""
    out = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + argv,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True).stderr
    return int(re.search(r"Collected : (\d+)", out).group(1))


def module_script(calls):
    return ("import korvane\n"
            "with korvane.open(daq='sim') as bench:\n"
            "    bench.bus.dump(0, 0, 8192)\n"
            f"    for _ in range({calls}):\n"
            "        bench.bus.dump(0, 0, 8192)\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=7, help="repeats N")
    parser.add_argument("--calls", type=int, default=20, help="transfers per repeat K")
    parser.add_argument("--callgrind", action="store_true", help="count instructions instead of CPU time")
    args = parser.parse_args()
    korvane_exe = os.path.join(args.build, "app", "korvane")
    with tempfile.TemporaryDirectory() as tmp:
        scripts = {}
        for name, line in (("dump", "dump 0 0 8192 -o -"), ("read", "read 0 0")):
            scripts[name] = os.path.join(tmp, name)
            with open(scripts[name], "w") as f:
                f.write((line + "\n") * args.calls)
        if args.callgrind:
            cli = {name: instructions([korvane_exe, "--daq", "sim", "bus", "run", path]) for name, path in scripts.items()}
            module = [instructions([sys.executable, "-c", module_script(n)]) for n in (0, args.calls)]
            cli = (cli["dump"] - cli["read"]) / args.calls
            module = (module[1] - module[0]) / args.calls
            print(f"korvane bus dump 0 0 8192: {cli / 1e6:.1f} M instructions a transfer")
            print(f"bench.bus.dump(0, 0, 8192): {module / 1e6:.1f} M instructions a transfer")
            print(f"module / command line: {module / cli:.3f} ({(module / cli - 1) * 100:+.1f} %)")
            return
        cpu = {name: min(child_cpu([korvane_exe, "--daq", "sim", "bus", "run", path]) for _ in range(args.runs))
               for name, path in scripts.items()}
    cli = (cpu["dump"] - cpu["read"]) / args.calls

    with korvane.open(daq="sim") as bench:
        bench.bus.dump(0, 0, 8192)  # the bus set up, the tasks made
        py = []
        for _ in range(args.runs):
            t = time.process_time()
            for _ in range(args.calls):
                bench.bus.dump(0, 0, 8192)
            py.append((time.process_time() - t) / args.calls)
    module = min(py)
    print(f"korvane bus dump 0 0 8192: {cli * 1e3:.2f} ms CPU a transfer")
    print(f"bench.bus.dump(0, 0, 8192): {module * 1e3:.2f} ms CPU a transfer")
    print(f"module / command line: {module / cli:.3f} ({(module / cli - 1) * 100:+.1f} %)")


if __name__ == "__main__":
    main()
