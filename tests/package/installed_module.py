# The installed Python module, run by check_installed.cmake from an empty
# folder with only the installed tree's Python path: it must come from there
# and open the installed simulated bench (and its RTL board, when built).
import sys

import korvane

prefix, rtl = sys.argv[1], sys.argv[2] == "ON"
assert korvane.__file__.startswith(prefix + "/"), f"korvane imported from {korvane.__file__}"
boards = ["model", "rtl"] if rtl else ["model"]
for board in boards:
    with korvane.open(daq="sim", board=board) as bench:
        print(bench.driver)
        print(f"board {bench.sim.board}")
        bench.bus.write(0, 0x20, [0x1234, 0xABCD], verify=True)
        assert list(bench.bus.read(0, 0x20, 2)) == [0x1234, 0xABCD]
        print(repr(bench.selftest(f"{prefix}/../../../share/korvane/wiring.toml")))
