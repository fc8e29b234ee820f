"""korvane: the laboratory bench as a Python module.

The bench is a PXI chassis with an NI 6251 DAQ whose digital ports bit-bang a
target board's Avalon bus; without NI-DAQmx (or with ``daq="sim"``) it is
korvane's simulated bench, with the board's C++ model or its RTL.

    import korvane
    with korvane.open(daq="sim", board="rtl") as bench:
        bench.bus.write(0, 0x100, [1, 2, 3])
        words = bench.bus.read(0, 0x100, count=3)      # numpy uint16 array
        bench.ao[0].write(2.0)
        volts = bench.ai[0].read()

One bench is open per process at a time. Driver failures raise DaqError
(a driver report that did not end the call is a RuntimeWarning; while a
bench is open nothing is written to standard error), bad arguments
ValueError or TypeError before any bus cycle, a file that cannot be read
OSError (FileNotFoundError, PermissionError, ...); Ctrl-C stops a long
transfer between blocks of words with a KeyboardInterrupt that says how far
it got.
"""

import atexit as _atexit
import os as _os
import weakref as _weakref


class DaqError(RuntimeError):
    """A failure of the DAQ driver: ``code`` is the driver's status (negative;
    0 for a failure of the board itself, such as an ADC that never finishes),
    ``text`` the driver's own words, ``str()`` korvane's message with the
    report line the command line prints."""

    def __init__(self, message, code=0, text=""):
        super().__init__(message)
        self.code = code
        self.text = text


class VerifyError(RuntimeError):
    """Words read back differ from those written (write or load with verify=True)."""

    def __init__(self, message, code=0, text=""):
        super().__init__(message)


from ._korvane import (  # noqa: E402  (the native module needs the errors above)
    ADC_VOLTS_PER_CODE, ADDRESSES, DAC_CODE_MAX, DAC_FULL_SCALE, MEMORY_WORDS, SLAVE_MEMORY, SLAVE_PERIPHERALS,
    SLAVES, Adc, AnalogInput, AnalogOutput, Bench, Bus, CheckRow, Dac, Device, Port, Register, Registers,
    SelfTest, SimBench)
from . import _korvane

__version__ = _korvane.__version__

_open_bench = None


def _path(value, name):
    if value is None:
        return ""
    if not isinstance(value, (str, bytes, _os.PathLike)):
        raise TypeError(f"{name} must be a path, not {type(value).__name__}")
    return _os.fsdecode(_os.fspath(value))


def open(daq=None, board=None, state=None, trace=None, vcd=None, vcd_layout="vectors"):
    """Opens the bench; use it as a context manager (``with korvane.open() as bench:``).

    daq: "sim" (the simulated bench), "nidaqmx" (NI-DAQmx), or a driver
    library's path; None: $KORVANE_DAQ, else NI-DAQmx where it is installed,
    else the simulated bench, as the korvane program chooses.
    board: the simulated bench's board, "model", "rtl" or a board library's
    path; None: $KORVANE_BOARD, else the model.
    state: a file keeping the simulated board's memory and registers (as
    korvane --sim-state): loaded now, saved at close.
    trace: a file for the driver call trace; vcd: a VCD file of the simulated
    bench's lines (vcd_layout "vectors" or "lines").
    """
    global _open_bench
    if vcd_layout not in ("vectors", "lines"):
        raise ValueError(f'vcd_layout must be "vectors" or "lines", not {vcd_layout!r}')
    for name, value in (("daq", daq), ("board", board)):
        if value is not None and not isinstance(value, (str, _os.PathLike)):
            raise TypeError(f"{name} must be a string, not {type(value).__name__}")
    bench = _korvane._open(_path(daq, "daq"), _path(board, "board"), _path(state, "state"), _path(trace, "trace"),
                           _path(vcd, "vcd"), vcd_layout == "lines")
    # Weakly: a bench dropped without close() is closed when it goes.
    _open_bench = _weakref.ref(bench)
    return bench


def wiring(path=None):
    """A wiring file (the self-test's TOML; None: the simulated bench's
    wiring) as a dict: product_type, memories, dacs, loopbacks, fixed."""
    return _korvane._wiring(None if path is None else _path(path, "path"))


@_atexit.register
def _close_at_exit():
    # A bench left open still saves its state and closes its files.
    bench = _open_bench() if _open_bench is not None else None
    if bench is not None and not bench.closed:
        bench.close()


__all__ = ["__version__", "open", "wiring", "DaqError", "VerifyError", "Bench", "Bus", "Port", "AnalogInput", "AnalogOutput",
           "Dac", "Adc", "Register", "Registers", "CheckRow", "SelfTest", "Device", "SimBench", "SLAVES",
           "ADDRESSES", "MEMORY_WORDS", "SLAVE_MEMORY", "SLAVE_PERIPHERALS", "DAC_FULL_SCALE", "DAC_CODE_MAX",
           "ADC_VOLTS_PER_CODE"]
