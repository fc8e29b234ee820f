"""Memory march: every memory of the wiring file, each pattern written
whole and read back whole, the memory's words restored afterwards."""

import numpy as np
import pytest


def patterns(words):
    address = np.arange(words, dtype=np.uint32)
    yield "zeros", np.zeros(words, np.uint16)
    yield "ones", np.full(words, 0xFFFF, np.uint16)
    yield "checkerboard", np.where(address % 2 == 0, 0x5555, 0xAAAA).astype(np.uint16)
    yield "inverse checkerboard", np.where(address % 2 == 0, 0xAAAA, 0x5555).astype(np.uint16)
    yield "walking ones", (1 << (address % 16)).astype(np.uint16)
    yield "address as data", address.astype(np.uint16)
    yield "inverse address", (~address & 0xFFFF).astype(np.uint16)


@pytest.fixture
def memories(bench, wiring):
    """The memories to march over; each one's words are put back afterwards."""
    saved = [(m, bench.bus.read(m["slave"], 0, m["words"])) for m in wiring["memories"]]
    yield [m for m, _ in saved]
    for m, words in saved:
        bench.bus.write(m["slave"], 0, words, verify=True)


def test_march(bench, memories):
    assert memories, "the wiring file lists no memory"
    for memory in memories:
        slave, words = memory["slave"], memory["words"]
        for name, pattern in patterns(words):
            bench.bus.write(slave, 0, pattern)
            back = bench.bus.read(slave, 0, words)
            wrong = np.flatnonzero(back != pattern)
            assert wrong.size == 0, (f"slave {slave}, {name}: {wrong.size} words wrong, first at "
                                     f"0x{wrong[0]:04X}: wrote 0x{pattern[wrong[0]]:04X}, read 0x{back[wrong[0]]:04X}")


def test_files_round_trip(bench, memories, tmp_path):
    """A dump to Intel HEX and to binary loads back word for word."""
    slave = memories[0]["slave"]
    words = np.random.default_rng(22).integers(0, 0x10000, 512, dtype=np.uint16)
    bench.bus.write(slave, 0x100, words)
    for name in ("dump.hex", "dump.bin"):
        dumped = bench.bus.dump(slave, 0x100, 512, tmp_path / name)
        assert np.array_equal(dumped, words)
        bench.bus.write(slave, 0x100, np.zeros(512, np.uint16))
        bench.bus.load(slave, 0x100, tmp_path / name, verify=True)
        assert np.array_equal(bench.bus.read(slave, 0x100, 512), words), name
