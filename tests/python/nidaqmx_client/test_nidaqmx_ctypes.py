"""The simulated bench as NI's Python client (nidaqmx-python) meets it, through
ctypes alone: found by ctypes.util.find_library("nidaqmx") in the folder that
LD_LIBRARY_PATH names (the build tree's or the installed lib/korvane/nidaqmx),
the driver's version asked first, properties through the variadic getters in
NI's argument order, digital Lines and U32 writes and reads that run Avalon
bus cycles on the board (KORVANE_BOARD: model or rtl), and a finite clocked
acquisition read as the client reads "all available samples"."""

import ctypes
import ctypes.util
import os
import random
import re
import threading

import pytest

# NI's constants (NIDAQmx.h).
SYS_DEV_NAMES, MAJOR, MINOR, UPDATE = 0x193B, 0x1272, 0x1923, 0x2F22
TASK_CHANNELS, TASK_NUM_CHANS, CHAN_TYPE, DO_NUM_LINES = 0x1273, 0x2181, 0x187F, 0x2179
DEV_PRODUCT_TYPE, DEV_SERIAL = 0x0631, 0x0632
SAMP_MODE, SAMP_PER_CHAN, READ_ALL_AVAIL = 0x1300, 0x1310, 0x1215
READ_LINES_BYTES_PER_CHAN, WRITE_NUM_CHANS = 0x217C, 0x217E
VAL_DO, VAL_FINITE, VAL_RISING, VAL_VOLTS, VAL_CFG_DEFAULT = 10153, 10178, 10280, 10348, -1
CHAN_PER_LINE, CHAN_FOR_ALL_LINES = 0, 1
ERR_BUFFER_TOO_SMALL_FOR_STRING, ERR_SPECIFIED_ATTR_NOT_VALID = -200228, -200233

# The board's bus (src/avalon/korvane_board.h): strobes on port 2, address
# and data words on ports 0 and 1; address strobe high, read and write low.
IDLE, ADDRESS, WRITE, READ = (0, 1, 1), (1, 1, 1), (0, 1, 0), (0, 0, 1)


@pytest.fixture(scope="module")
def lib():
    name = ctypes.util.find_library("nidaqmx")
    assert name, "find_library('nidaqmx') found nothing: LD_LIBRARY_PATH=%r (binutils' ld needed)" % (
        os.environ.get("LD_LIBRARY_PATH"))
    lib = ctypes.cdll.LoadLibrary(name)
    # As the client does: the version before anything else.
    version = []
    for attribute in (MAJOR, MINOR, UPDATE):
        value = ctypes.c_uint32()
        assert lib.DAQmxGetSystemInfoAttribute(ctypes.c_int32(attribute), ctypes.byref(value)) == 0
        version.append(value.value)
    assert version == [24, 0, 0]
    lib.ksim_reset()
    board = os.environ.get("KORVANE_BOARD", "model").encode()
    error = ctypes.create_string_buffer(512)
    assert lib.ksim_set_board(board, error, ctypes.c_size_t(len(error))) == 0, error.value
    lib.DAQmxCreateTask.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
    for fn in ("DAQmxStartTask", "DAQmxStopTask", "DAQmxClearTask"):
        getattr(lib, fn).argtypes = [ctypes.c_void_p]
    for fn in ("DAQmxGetTaskAttribute", "DAQmxGetReadAttribute", "DAQmxGetWriteAttribute",
               "DAQmxGetTimingAttribute"):
        getattr(lib, fn).argtypes = [ctypes.c_void_p, ctypes.c_int32]
    lib.DAQmxGetChanAttribute.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32]
    lib.DAQmxGetDeviceAttribute.argtypes = [ctypes.c_char_p, ctypes.c_int32]
    return lib


def ok(status):
    assert status == 0, "status %d" % status


def string_property(call, *args):
    """NI's client's way: the size first (buffer NULL, size 0), then the text."""
    size = call(*args, None, ctypes.c_uint32(0))
    assert size > 0
    buf = ctypes.create_string_buffer(size)
    ok(call(*args, buf, ctypes.c_uint32(size)))
    return buf.value.decode()


def device(lib):
    return string_property(lib.DAQmxGetSystemInfoAttribute, ctypes.c_int32(SYS_DEV_NAMES))


def task_of(lib, create, *args):
    handle = ctypes.c_void_p()
    ok(lib.DAQmxCreateTask(b"", ctypes.byref(handle)))
    ok(getattr(lib, create)(handle, *args))
    return handle


def digital(lib, kind, lines, grouping):
    return task_of(lib, "DAQmxCreate%sChan" % kind, lines.encode(), b"", ctypes.c_int32(grouping))


def test_properties_answer_in_nis_argument_order(lib):
    dev = device(lib)
    assert dev == "PXI1Slot2"
    assert string_property(lib.DAQmxGetDeviceAttribute, dev.encode(), DEV_PRODUCT_TYPE) == "PXI-6251"
    serial = ctypes.c_uint32()
    ok(lib.DAQmxGetDeviceAttribute(dev.lower().encode(), DEV_SERIAL, ctypes.byref(serial)))
    assert serial.value != 0
    # Any case: the device and channel names are the driver's identifiers.
    t = digital(lib, "DO", dev.lower() + "/PORT0/line0:3", CHAN_PER_LINE)
    try:
        names = string_property(lib.DAQmxGetTaskAttribute, t, TASK_CHANNELS)
        assert names == dev + "/port0/line0:3"
        count, kind, lines = ctypes.c_uint32(), ctypes.c_int32(), ctypes.c_uint32()
        ok(lib.DAQmxGetTaskAttribute(t, TASK_NUM_CHANS, ctypes.byref(count)))
        ok(lib.DAQmxGetChanAttribute(t, names.encode(), CHAN_TYPE, ctypes.byref(kind)))
        ok(lib.DAQmxGetChanAttribute(t, (dev + "/port0/line2").encode(), DO_NUM_LINES, ctypes.byref(lines)))
        ok(lib.DAQmxGetWriteAttribute(t, WRITE_NUM_CHANS, ctypes.byref(count)))
        assert (count.value, kind.value, lines.value) == (4, VAL_DO, 1)
        # A buffer too small is refused, not cut; an ID the driver lacks is not a property.
        small = ctypes.create_string_buffer(4)
        assert lib.DAQmxGetTaskAttribute(t, TASK_CHANNELS, small, ctypes.c_uint32(4)) == ERR_BUFFER_TOO_SMALL_FOR_STRING
        assert lib.DAQmxGetTaskAttribute(t, 0x7777, ctypes.byref(count)) == ERR_SPECIFIED_ATTR_NOT_VALID
    finally:
        ok(lib.DAQmxClearTask(t))


class Bus:
    """Avalon bus cycles as a lab's script would run them with NI's calls:
    the strobes as Lines, the 16-bit word on ports 0 and 1 as one U32 channel."""

    def __init__(self, lib):
        self.lib, self.dev = lib, device(lib)
        self.ctrl = digital(lib, "DO", self.dev + "/port2/line0:2", CHAN_PER_LINE)
        self.word = digital(lib, "DO", self.dev + "/port0:1", CHAN_FOR_ALL_LINES)
        self.strobe(IDLE)

    def strobe(self, levels):
        data = (ctypes.c_uint8 * 3)(*levels)
        written = ctypes.c_int32()
        ok(self.lib.DAQmxWriteDigitalLines(self.ctrl, 1, 1, ctypes.c_double(10.0), 1, data, ctypes.byref(written),
                                           None))
        assert written.value == 1

    def drive(self, word):
        data = (ctypes.c_uint32 * 1)(word)
        ok(self.lib.DAQmxWriteDigitalU32(self.word, 1, 1, ctypes.c_double(10.0), 1, data, None, None))

    def address(self, slave, register):
        self.drive((register << 3) | slave)
        self.strobe(ADDRESS)
        self.strobe(IDLE)

    def write(self, slave, register, value):
        self.address(slave, register)
        self.drive(value)
        self.strobe(WRITE)
        self.strobe(IDLE)

    def read(self, slave, register):
        self.address(slave, register)
        ok(self.lib.DAQmxClearTask(self.word))  # the word's lines to the board
        inp = digital(self.lib, "DI", self.dev + "/port0:1", CHAN_FOR_ALL_LINES)
        self.strobe(READ)
        word, nread = (ctypes.c_uint32 * 1)(), ctypes.c_int32()
        ok(self.lib.DAQmxReadDigitalU32(inp, 1, ctypes.c_double(10.0), 1, word, 1, ctypes.byref(nread), None))
        # The same lines one byte each, in NI's line order.
        lines, per = (ctypes.c_uint8 * 16)(), ctypes.c_int32()
        ok(self.lib.DAQmxReadDigitalLines(inp, 1, ctypes.c_double(10.0), 1, lines, 16, ctypes.byref(nread),
                                          ctypes.byref(per), None))
        assert per.value == 16 and sum(b << i for i, b in enumerate(lines)) == word[0]
        self.strobe(IDLE)
        ok(self.lib.DAQmxClearTask(inp))
        self.word = digital(self.lib, "DO", self.dev + "/port0:1", CHAN_FOR_ALL_LINES)
        return word[0]

    def close(self):
        ok(self.lib.DAQmxClearTask(self.word))
        ok(self.lib.DAQmxClearTask(self.ctrl))


def test_bus_cycles_with_lines_and_u32_reach_the_board(lib):
    bus = Bus(lib)
    try:
        rng = random.Random(29)
        words = {rng.randrange(8192): rng.randrange(65536) for _ in range(12)}
        for register, value in words.items():
            bus.write(0, register, value)
        for register, value in words.items():
            assert bus.read(0, register) == value, "memory word %d" % register
            probed = ctypes.c_uint()
            assert lib.ksim_probe_reg(0, register, ctypes.byref(probed)) == 0
            assert probed.value == value
    finally:
        bus.close()


def test_finite_acquisition_read_as_the_client_reads_all_available(lib):
    dev = device(lib)
    ao = task_of(lib, "DAQmxCreateAOVoltageChan", (dev + "/ao0").encode(), b"", ctypes.c_double(-10),
                 ctypes.c_double(10), VAL_VOLTS, None)
    out = (ctypes.c_double * 1)(1.1)
    ok(lib.DAQmxWriteAnalogF64(ao, 1, 1, ctypes.c_double(10.0), 0, out, None, None))
    ai = task_of(lib, "DAQmxCreateAIVoltageChan", (dev + "/ai0").encode(), b"", VAL_CFG_DEFAULT,
                 ctypes.c_double(-10), ctypes.c_double(10), VAL_VOLTS, None)
    try:
        lib.DAQmxCfgSampClkTiming.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_double, ctypes.c_int32,
                                              ctypes.c_int32, ctypes.c_uint64]
        ok(lib.DAQmxCfgSampClkTiming(ai, b"", 1000.0, VAL_RISING, VAL_FINITE, 50))
        # Below 24.5 the client asks the mode, read-all-available and the count.
        mode, all_avail, count = ctypes.c_int32(), ctypes.c_uint32(), ctypes.c_uint64()
        ok(lib.DAQmxGetTimingAttribute(ai, SAMP_MODE, ctypes.byref(mode)))
        ok(lib.DAQmxGetReadAttribute(ai, READ_ALL_AVAIL, ctypes.byref(all_avail)))
        ok(lib.DAQmxGetTimingAttribute(ai, SAMP_PER_CHAN, ctypes.byref(count)))
        assert (mode.value, all_avail.value, count.value) == (VAL_FINITE, 0, 50)
        data, nread = (ctypes.c_double * 50)(), ctypes.c_int32()
        ok(lib.DAQmxReadAnalogF64(ai, 50, ctypes.c_double(10.0), 0, data, 50, ctypes.byref(nread), None))
        assert nread.value == 50
        assert all(abs(v - 1.1) < 0.01 for v in data), list(data)
        # A digital-only property on an analog task: not supported there.
        assert lib.DAQmxGetReadAttribute(ai, READ_LINES_BYTES_PER_CHAN, ctypes.byref(count)) == -200197
    finally:
        ok(lib.DAQmxClearTask(ai))
        ok(lib.DAQmxClearTask(ao))


# NI's constants for the families below (NIDAQmx.h).
AI_MAX, AI_RNG_HIGH, AI_RAW_SAMP_SIZE, PHYSICAL_CHAN_NAME = 0x17DD, 0x1815, 0x22DA, 0x18F5
WRITE_REGEN_MODE, START_TRIG_RETRIGGERABLE, DEV_AO_VOLTAGE_RNGS, START_TRIG_TERM = 0x1453, 0x190F, 0x299B, 0x2F1E
VAL_ALLOW_REGEN, VAL_DO_NOT_ALLOW_REGEN, VAL_BUILT_IN, VAL_CONST_VAL = 10097, 10158, 10200, 10116
VAL_AMPS, VAL_DEG_C, VAL_J_TYPE, VAL_INTERNAL, VAL_CONT = 10342, 10143, 10072, 10200, 10123
WARN_STOPPED_BEFORE_DONE = 200010
ERR_PHYS_CHAN_MEAS_TYPE, ERR_BUILT_IN_CJC, ERR_NOT_ON_SIMULATED_DEVICE = -200431, -200576, -201492
ERR_TEDS, ERR_WATCHDOG, ERR_ATTR_CANNOT_BE_SET, ERR_NOT_IN_TASK_CONTEXT = -200741, -200662, -200231, -200452
ERR_WAIT_NOT_DONE, ERR_NOT_YET_AVAILABLE, ERR_EXT_SAMP_CLK_SRC = -200560, -200284, -200303


def analog(lib, kind, chan, low=-10.0, high=10.0):
    if kind == "AI":
        return task_of(lib, "DAQmxCreateAIVoltageChan", chan.encode(), b"", VAL_CFG_DEFAULT, ctypes.c_double(low),
                       ctypes.c_double(high), VAL_VOLTS, None)
    return task_of(lib, "DAQmxCreateAOVoltageChan", chan.encode(), b"", ctypes.c_double(low), ctypes.c_double(high),
                   VAL_VOLTS, None)


def clocked(lib, task, rate, mode, samples, source=b""):
    lib.DAQmxCfgSampClkTiming.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_double, ctypes.c_int32,
                                          ctypes.c_int32, ctypes.c_uint64]
    ok(lib.DAQmxCfgSampClkTiming(task, source, rate, VAL_RISING, mode, samples))


def error_text(lib, code):
    buf = ctypes.create_string_buffer(2048)
    ok(lib.DAQmxGetErrorString(code, buf, len(buf)))
    text = buf.value.decode()
    assert text and not text.startswith("Error code could not be found"), code
    return text


def test_every_entry_point_of_the_header_is_exported(lib):
    header = os.path.join(os.path.dirname(__file__), "..", "..", "..", "include", "korvane", "NIDAQmx.h")
    with open(header) as f:
        names = set(re.findall(r"^int32 (DAQmx\w+)\(", f.read(), re.M))
    assert len(names) > 200
    missing = sorted(n for n in names if not hasattr(lib, n))
    assert not missing


def test_what_the_6251_lacks_answers_the_devices_error(lib):
    dev = device(lib)
    t = ctypes.c_void_p()
    ok(lib.DAQmxCreateTask(b"", ctypes.byref(t)))
    try:
        d = ctypes.c_double
        current = lib.DAQmxCreateAICurrentChan(t, (dev + "/ai0").encode(), b"", VAL_CFG_DEFAULT, d(-0.01), d(0.01),
                                               VAL_AMPS, VAL_INTERNAL, d(249.0), None)
        def thermocouple(cjc):
            return lib.DAQmxCreateAIThrmcplChan(t, (dev + "/ai0").encode(), b"", d(0), d(100), VAL_DEG_C,
                                                VAL_J_TYPE, cjc, d(25.0), b"")
        teds = lib.DAQmxCreateTEDSAIVoltageChan(t, (dev + "/ai0").encode(), b"", VAL_CFG_DEFAULT, d(-10), d(10),
                                                VAL_VOLTS, None)
        watchdog = lib.DAQmxControlWatchdogTask(t, 0)
        got = [current, thermocouple(VAL_BUILT_IN), thermocouple(VAL_CONST_VAL), teds, watchdog]
        assert got == [ERR_PHYS_CHAN_MEAS_TYPE, ERR_BUILT_IN_CJC, ERR_NOT_ON_SIMULATED_DEVICE, ERR_TEDS, ERR_WATCHDOG]
        for code in set(got):
            error_text(lib, code)
        count = ctypes.c_uint32()
        ok(lib.DAQmxGetTaskAttribute(t, TASK_NUM_CHANS, ctypes.byref(count)))
        assert count.value == 0  # nothing refused made a channel
    finally:
        ok(lib.DAQmxClearTask(t))


def test_setters_take_the_value_by_the_propertys_type(lib):
    dev = device(lib)
    ai = analog(lib, "AI", dev + "/ai0:1", -0.1, 0.1)
    ao = analog(lib, "AO", dev + "/ao0")
    try:
        lib.DAQmxSetChanAttribute.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32]
        for fn in ("DAQmxSetWriteAttribute", "DAQmxSetTrigAttribute"):
            getattr(lib, fn).argtypes = [ctypes.c_void_p, ctypes.c_int32]
        ok(lib.DAQmxSetChanAttribute(ai, (dev + "/ai1").encode(), AI_MAX, ctypes.c_double(5.0)))
        high, size = ctypes.c_double(), ctypes.c_uint32()
        ok(lib.DAQmxGetChanAttribute(ai, (dev + "/ai1").encode(), AI_RNG_HIGH, ctypes.byref(high)))
        ok(lib.DAQmxGetChanAttribute(ai, b"", AI_RAW_SAMP_SIZE, ctypes.byref(size)))
        assert (high.value, size.value) == (5.0, 16)
        ok(lib.DAQmxGetChanAttribute(ai, (dev + "/ai0").encode(), AI_RNG_HIGH, ctypes.byref(high)))
        assert high.value == 0.1  # the other channel keeps its range
        # An int32 property, set and read back; a property only read; one of no pair; one the 6251 refuses.
        regen = ctypes.c_int32()
        ok(lib.DAQmxSetWriteAttribute(ao, WRITE_REGEN_MODE, ctypes.c_int32(VAL_DO_NOT_ALLOW_REGEN)))
        ok(lib.DAQmxGetWriteAttribute(ao, WRITE_REGEN_MODE, ctypes.byref(regen)))
        assert regen.value == VAL_DO_NOT_ALLOW_REGEN
        assert lib.DAQmxSetChanAttribute(ai, b"", PHYSICAL_CHAN_NAME, b"x") == ERR_ATTR_CANNOT_BE_SET
        assert lib.DAQmxSetWriteAttribute(ao, 0x7777, ctypes.c_int32(1)) == ERR_SPECIFIED_ATTR_NOT_VALID
        assert lib.DAQmxSetTrigAttribute(ai, START_TRIG_RETRIGGERABLE, ctypes.c_uint32(1)) == ERR_NOT_IN_TASK_CONTEXT
        # An array property, asked for its size first as NI's client does, of a channel's device.
        chan = (dev + "/ao0").encode()
        n = lib.DAQmxGetDeviceAttribute(chan, DEV_AO_VOLTAGE_RNGS, None, ctypes.c_uint32(0))
        ranges = (ctypes.c_double * n)()
        ok(lib.DAQmxGetDeviceAttribute(chan, DEV_AO_VOLTAGE_RNGS, ranges, ctypes.c_uint32(n)))
        assert list(ranges) == [-5.0, 5.0, -10.0, 10.0]
    finally:
        ok(lib.DAQmxClearTask(ai))
        ok(lib.DAQmxClearTask(ao))


def test_waiting_for_a_finite_run_raw_reads_and_the_early_stop_warning(lib):
    lib.ksim_use_virtual_clock()
    dev = device(lib)
    ao = analog(lib, "AO", dev + "/ao0")
    ai = analog(lib, "AI", dev + "/ai0")
    try:
        lib.DAQmxWaitUntilTaskDone.argtypes = [ctypes.c_void_p, ctypes.c_double]
        ok(lib.DAQmxWriteAnalogF64(ao, 1, 1, ctypes.c_double(1.0), 0, (ctypes.c_double * 1)(1.1), None, None))
        clocked(lib, ai, 1000.0, VAL_FINITE, 100)
        ok(lib.DAQmxStartTask(ai))
        done = ctypes.c_uint32()
        ok(lib.DAQmxIsTaskDone(ai, ctypes.byref(done)))
        assert done.value == 0
        assert lib.DAQmxWaitUntilTaskDone(ai, 0.01) == ERR_WAIT_NOT_DONE
        ok(lib.DAQmxWaitUntilTaskDone(ai, 1.0))
        ok(lib.DAQmxIsTaskDone(ai, ctypes.byref(done)))
        assert done.value == 1
        raw, nread, per = (ctypes.c_int16 * 100)(), ctypes.c_int32(), ctypes.c_int32()
        ok(lib.DAQmxReadRaw(ai, 100, ctypes.c_double(1.0), raw, ctypes.sizeof(raw), ctypes.byref(nread),
                            ctypes.byref(per), None))
        assert (nread.value, per.value) == (100, 2)
        lsb = 20.0 / 65536  # the +-10 V range's 16 bits
        assert all(abs(code * lsb - 1.1) < 0.01 for code in raw), list(raw)[:5]
        ok(lib.DAQmxStopTask(ai))  # all samples in: no warning
        # A finite generation stopped before its end: NI's warning, a positive status.
        ok(lib.DAQmxClearTask(ao))
        ao = analog(lib, "AO", dev + "/ao0")
        clocked(lib, ao, 1000.0, VAL_FINITE, 1000)
        wave = (ctypes.c_double * 5)(1.1, 2.2, 3.3, 4.4, 5.5)
        ok(lib.DAQmxWriteAnalogF64(ao, 5, 1, ctypes.c_double(1.0), 0, wave, None, None))
        assert lib.DAQmxStopTask(ao) == WARN_STOPPED_BEFORE_DONE
        assert "stopped before" in error_text(lib, WARN_STOPPED_BEFORE_DONE)
    finally:
        ok(lib.DAQmxClearTask(ai))
        ok(lib.DAQmxClearTask(ao))


def test_digital_edge_start_trigger_fires_on_the_pfi_lines_level(lib):
    lib.ksim_use_virtual_clock()
    dev = device(lib)
    # PFI 8 is port 2's line 0 on an M Series device: a bus strobe of the board.
    strobe = digital(lib, "DO", dev + "/port2/line0", CHAN_PER_LINE)
    ai = analog(lib, "AI", dev + "/ai5")
    di = digital(lib, "DI", dev + "/port0", CHAN_FOR_ALL_LINES)
    try:
        lib.DAQmxCfgDigEdgeStartTrig.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32]
        def level(v):
            ok(lib.DAQmxWriteDigitalLines(strobe, 1, 1, ctypes.c_double(1.0), 1, (ctypes.c_uint8 * 1)(v), None,
                                          None))
        level(0)
        clocked(lib, ai, 1000.0, VAL_FINITE, 10)
        ok(lib.DAQmxCfgDigEdgeStartTrig(ai, ("/" + dev + "/PFI8").encode(), VAL_RISING))
        ok(lib.DAQmxStartTask(ai))
        data, nread = (ctypes.c_double * 10)(), ctypes.c_int32()
        def read(timeout):
            return lib.DAQmxReadAnalogF64(ai, 10, ctypes.c_double(timeout), 0, data, 10, ctypes.byref(nread), None)
        assert read(0.5) == ERR_NOT_YET_AVAILABLE and nread.value == 0  # no edge: no samples
        level(1)
        ok(read(0.5))
        assert nread.value == 10
        assert all(abs(v - 2.5) < 0.01 for v in data), list(data)  # AI5's fixed source
        # The 6251 has no digital sample clock of its own: NI's error without a source.
        clocked(lib, di, 1000.0, VAL_CONT, 100)
        assert lib.DAQmxStartTask(di) == ERR_EXT_SAMP_CLK_SRC
        # An output started by the acquisition's start trigger (AO0 is wired to AI0).
        ok(lib.DAQmxClearTask(ai))
        ao = ai = None
        ai = analog(lib, "AI", dev + "/ai0")
        clocked(lib, ai, 1000.0, VAL_FINITE, 10)
        lib.DAQmxGetTrigAttribute.argtypes = [ctypes.c_void_p, ctypes.c_int32]
        term = string_property(lib.DAQmxGetTrigAttribute, ai, START_TRIG_TERM)
        assert term == "/" + dev + "/ai/StartTrigger"
        ao = analog(lib, "AO", dev + "/ao0")
        clocked(lib, ao, 1000.0, VAL_CONT, 100)
        ok(lib.DAQmxWriteAnalogF64(ao, 4, 0, ctypes.c_double(1.0), 0, (ctypes.c_double * 4)(3.0, 3.0, 3.0, 3.0),
                                   None, None))
        ok(lib.DAQmxCfgDigEdgeStartTrig(ao, term.encode(), VAL_RISING))
        ok(lib.DAQmxStartTask(ao))
        ok(read(1.0))
        assert abs(data[9] - 3.0) < 0.01, list(data)
    finally:
        for t in (ai, di, strobe, locals().get("ao")):
            if t:
                ok(lib.DAQmxClearTask(t))


EVERY_N = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p, ctypes.c_int32, ctypes.c_uint32, ctypes.c_void_p)
DONE = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p, ctypes.c_int32, ctypes.c_void_p)
VAL_ACQUIRED_INTO_BUFFER, VAL_TRANSFERRED_FROM_BUFFER, VAL_SYNCHRONOUS = 1, 2, 1
ERR_REGISTER_WHILE_RUNNING, ERR_NOT_FOR_INPUT, ERR_SYNC_CALLBACKS = -200960, -200965, -200942
WAIT = 30.0  # seconds a test waits for the driver's thread before it fails (never slept)


def until(lib, task, event, seconds):
    """Lets `seconds` of virtual time pass, wakes the driver's thread with a
    call (a virtual clock moves only in calls) and waits for it to set `event`."""
    lib.ksim_advance_ns(ctypes.c_int64(int(seconds * 1e9)))
    done = ctypes.c_uint32()
    ok(lib.DAQmxIsTaskDone(task, ctypes.byref(done)))
    assert event.wait(WAIT)


def test_events_run_on_a_driver_thread_and_end_with_their_task(lib):
    lib.ksim_use_virtual_clock()
    dev = device(lib)
    ai = analog(lib, "AI", dev + "/ai5")
    main = threading.get_ident()
    seen, third = [], threading.Event()

    def every_n(task, kind, n, data):
        got = (ctypes.c_double * n)()
        nread = ctypes.c_int32()
        status = lib.DAQmxReadAnalogF64(task, n, ctypes.c_double(0.0), 0, got, n, ctypes.byref(nread), None)
        seen.append((threading.get_ident(), kind, status, nread.value, round(sum(got) / n, 2), data))
        if len(seen) == 3:
            third.set()
        return 0

    callback = EVERY_N(every_n)
    reg = lib.DAQmxRegisterEveryNSamplesEvent
    reg.argtypes = [ctypes.c_void_p, ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint32, EVERY_N, ctypes.c_void_p]
    try:
        clocked(lib, ai, 1000.0, VAL_CONT, 1000)
        # NI's rules: an input task's event is "acquired into buffer"; no synchronous callbacks here.
        assert reg(ai, VAL_TRANSFERRED_FROM_BUFFER, 100, 0, callback, None) == ERR_NOT_FOR_INPUT
        assert reg(ai, VAL_ACQUIRED_INTO_BUFFER, 100, VAL_SYNCHRONOUS, callback, None) == ERR_SYNC_CALLBACKS
        ok(reg(ai, VAL_ACQUIRED_INTO_BUFFER, 100, 0, callback, ctypes.c_void_p(77)))
        ok(lib.DAQmxStartTask(ai))
        assert reg(ai, VAL_ACQUIRED_INTO_BUFFER, 100, 0, EVERY_N(0), None) == -200986  # not while running
        until(lib, ai, third, 0.35)
        ok(lib.DAQmxClearTask(ai))
        ai = None
        count = len(seen)
        assert count >= 3
        for thread, kind, status, nread, mean, data in seen:
            assert thread != main and (kind, status, nread, mean, data) == (1, 0, 100, 2.5, 77)
        # Cleared: no event comes any more, however much time passes.
        lib.ksim_advance_ns(ctypes.c_int64(1_000_000_000))
        probe = analog(lib, "AI", dev + "/ai0")
        ok(lib.DAQmxClearTask(probe))
        assert len(seen) == count
    finally:
        if ai:
            ok(lib.DAQmxClearTask(ai))


def test_done_event_and_a_task_cleared_while_its_callback_runs(lib):
    lib.ksim_use_virtual_clock()
    dev = device(lib)
    finished, statuses = threading.Event(), []
    done = DONE(lambda task, status, data: statuses.append(status) or finished.set() or 0)
    lib.DAQmxRegisterDoneEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint32, DONE, ctypes.c_void_p]
    ai = analog(lib, "AI", dev + "/ai5")
    clocked(lib, ai, 1000.0, VAL_FINITE, 50)
    ok(lib.DAQmxRegisterDoneEvent(ai, 0, done, None))
    assert lib.DAQmxRegisterDoneEvent(ai, 0, done, None) == -200950  # one at a time
    ok(lib.DAQmxStartTask(ai))
    until(lib, ai, finished, 0.06)
    assert statuses == [0]
    ok(lib.DAQmxClearTask(ai))

    # A callback that takes its time (driver calls) while the main thread clears its task:
    # the clear waits for it, and after the clear nothing is called again.
    for round_ in range(20):
        ai = analog(lib, "AI", dev + "/ai5")
        clocked(lib, ai, 1000.0, VAL_CONT, 1000)
        entered, state = threading.Event(), {"calls": 0, "inside": False}

        def slow(task, kind, n, data):
            state["inside"] = True
            state["calls"] += 1
            entered.set()
            count = ctypes.c_uint32()
            for _ in range(50):
                lib.DAQmxGetTaskAttribute(task, TASK_NUM_CHANS, ctypes.byref(count))
            state["inside"] = False
            return 0

        callback = EVERY_N(slow)
        ok(lib.DAQmxRegisterEveryNSamplesEvent(ai, VAL_ACQUIRED_INTO_BUFFER, 10, 0, callback, None))
        ok(lib.DAQmxStartTask(ai))
        until(lib, ai, entered, 0.02)
        ok(lib.DAQmxClearTask(ai))
        assert not state["inside"], "cleared while its callback ran (round %d)" % round_
        calls = state["calls"]
        lib.ksim_advance_ns(ctypes.c_int64(1_000_000_000))
        probe = analog(lib, "AI", dev + "/ai0")
        ok(lib.DAQmxClearTask(probe))
        assert state["calls"] == calls
