"""A state file carries the simulated board from one bench to the next, as
korvane --sim-state does between commands; a closed bench refuses calls."""

import numpy as np
import pytest

import korvane


def test_state_survives_close_and_reopen(tmp_path):
    state = tmp_path / "board.state"
    words = np.array([0xDEAD, 0xBEEF, 0x0001], np.uint16)
    with korvane.open(daq="sim", state=state) as bench:
        bench.bus.write(0, 0x1FFD, words)
        bench.dac.set_code(1, 77)
        bus = bench.bus
    assert state.exists()
    with pytest.raises(RuntimeError, match="the bench is closed"):
        bus.read(0, 0)
    with korvane.open(daq="sim", state=str(state)) as bench:
        assert np.array_equal(bench.bus.read(0, 0x1FFD, 3), words)
        assert bench.regs()["DAC_CODE1"].word == 77
    # Without the state the board starts from power-up.
    with korvane.open(daq="sim") as bench:
        assert not bench.bus.read(0, 0x1FFD, 3).any()
