"""DAC-to-ADC transfer: each DAC channel of the wiring file set to a
range of codes, its output measured by the board's ADC and the DAQ's analog
input it is wired to, and the analog loopbacks."""

import pytest

import korvane

CODES = (0, 32, 128, 200, 255)


@pytest.fixture
def dac(bench):
    """The DAC turned on; its control and codes put back afterwards."""
    regs = bench.regs()
    saved = [regs["DAC_CONTROL"].word, bench.dac.code(0), bench.dac.code(1)]
    bench.dac.init()
    bench.adc.init()
    yield bench.dac
    bench.dac.set_code(0, saved[1])
    bench.dac.set_code(1, saved[2])
    bench.bus.write(korvane.SLAVE_PERIPHERALS, regs["DAC_CONTROL"].address, [saved[0]])


def test_dac_to_adc(bench, wiring, dac):
    assert wiring["dacs"], "the wiring file lists no DAC channel"
    for d in wiring["dacs"]:
        for code in CODES:
            dac.set_code(d["channel"], code)
            assert dac.code(d["channel"]) == code
            expected = code * korvane.DAC_FULL_SCALE / korvane.DAC_CODE_MAX
            if d["adc"] is not None:
                volts = bench.adc.read(d["adc"])
                assert volts == pytest.approx(expected, abs=d["tolerance"]), f"DAC{d['channel']} code {code} -> ADC{d['adc']}"
            if d["input"] is not None:
                volts = bench.ai[d["input"]].read()
                assert volts == pytest.approx(expected, abs=d["tolerance"]), f"DAC{d['channel']} code {code} -> AI{d['input']}"


def test_dac_voltage_rounds_to_code(bench, dac):
    assert dac.set_voltage(0, 1.65) == 128
    assert dac.voltage(0) == pytest.approx(128 * 3.3 / 255)


def test_analog_loopbacks(bench, wiring):
    for loop in wiring["loopbacks"]:
        out, inp = bench.ao[loop["output"]], bench.ai[loop["input"]]
        try:
            for volts in (loop["volts"], -loop["volts"] / 2, 0.0):
                out.write(volts)
                assert inp.read() == pytest.approx(volts, abs=loop["tolerance"]), f"AO{out.number} -> AI{inp.number}"
            out.write(loop["volts"])
            block = inp.read_many(100, rate=10000.0)
            assert block.dtype.name == "float64" and block.shape == (100,)
            assert block.mean() == pytest.approx(loop["volts"], abs=loop["tolerance"])
        finally:
            out.write(0.0)
