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
