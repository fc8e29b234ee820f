"""The driver and the strategy on the simulated bench, in process: korvane's
failures come as labgrid's errors with korvane's message, a failed
self-test stops the strategy below selftested and names the failing check."""

import pytest
from labgrid import Target
from labgrid.binding import StateError
from labgrid.driver.exception import ExecutionError
from labgrid.strategy import StrategyError

import korvane
from korvane.labgrid import KorvaneBench, KorvaneDriver, KorvaneStrategy, Status


@pytest.fixture
def target(tmp_path):
    # One loopback the simulated bench does not have (AO0 is wired to AI0, not AI4).
    wiring = tmp_path / "wiring.toml"
    wiring.write_text('[device]\nproduct_type = "PXI-6251"\n'
                      '[[loopback]]\noutput = "ao0"\ninput = "ai4"\nvolts = 2.0\ntolerance = 0.01\n')
    t = Target("main")
    KorvaneBench(t, None, daq="sim", board="model", wiring_file=str(wiring))
    KorvaneDriver(t, None)
    KorvaneStrategy(t, None)
    yield t
    t.cleanup()


def test_states_and_failures(target):
    strategy, driver = target.get_driver(KorvaneStrategy), target.get_driver(KorvaneDriver, activate=False)
    strategy.transition("bus_ready")
    driver.write(korvane.SLAVE_MEMORY, 0x40, [0x1234, 0x5678], verify=True)
    assert list(driver.read(korvane.SLAVE_MEMORY, 0x40, 2)) == [0x1234, 0x5678]

    with pytest.raises(StrategyError, match=r"korvane: the self-test failed \(1 of 1\): AO0 -> AI4: measured"):
        strategy.transition("selftested")
    assert strategy.status is Status.bus_ready

    with pytest.raises(ExecutionError, match="korvane: bus read slave 99 0x0: ValueError: slave 99 is out of range"):
        driver.read(99, 0)
    driver.korvane.sim.fault("DAQmxWriteDigitalU8", -200088, always=True)
    with pytest.raises(ExecutionError, match=r"(?s)korvane: bus write slave 0 0x40: DaqError: write cycle failed.*-200088"):
        driver.write(korvane.SLAVE_MEMORY, 0x40, [1])

    strategy.transition("off")
    with pytest.raises(StateError):
        driver.read(korvane.SLAVE_MEMORY, 0)
