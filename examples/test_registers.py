"""Register fields of slave 2 decoded from the board's register table."""

import pytest

import korvane


def test_dac_control_fields(bench):
    saved = bench.regs()["DAC_CONTROL"]
    try:
        for word, fields in ((0b001, {"CH0": 1, "CH1": 0, "REF": 0}), (0b110, {"CH0": 0, "CH1": 1, "REF": 1}),
                             (0b111, {"CH0": 1, "CH1": 1, "REF": 1}), (0, {"CH0": 0, "CH1": 0, "REF": 0})):
            bench.bus.write(korvane.SLAVE_PERIPHERALS, saved.address, [word])
            assert bench.regs()["DAC_CONTROL"].fields == fields
    finally:
        bench.bus.write(korvane.SLAVE_PERIPHERALS, saved.address, [saved.word])


def test_dac_code_in_volts(bench):
    bench.dac.set_code(1, 51)
    reg = bench.regs()["DAC_CODE1"]
    assert (reg.word, reg.unit) == (51, "V")
    assert reg.value == pytest.approx(51 * korvane.DAC_FULL_SCALE / korvane.DAC_CODE_MAX)


def test_interrupt_request(bench):
    bench.adc.irq_set()
    assert bench.regs()["ADC_COMMAND"].fields["IRQ"] == 1
    bench.adc.irq_ack()
    command = bench.regs()["ADC_COMMAND"]
    assert command.fields["IRQ"] == 0
    assert set(command.fields) == {"BUSY", "IRQ"}  # a command register reads back its status bits only


def test_plain_words_keep_what_is_written(bench):
    regs = bench.regs()
    spares = [regs[name] for name in ("ADC_SPARE0", "ADC_SPARE1", "ADC_SPARE2")]
    try:
        for bit in range(16):
            for i, reg in enumerate(spares):
                bench.bus.write(korvane.SLAVE_PERIPHERALS, reg.address, [(1 << ((bit + i) % 16))])
            regs = bench.regs()
            assert [regs[r.name].word for r in spares] == [1 << ((bit + i) % 16) for i in range(3)]
    finally:
        for reg in spares:
            bench.bus.write(korvane.SLAVE_PERIPHERALS, reg.address, [reg.word])
    assert "ADC_SPARE0" in str(bench.regs())
