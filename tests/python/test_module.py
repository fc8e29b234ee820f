"""The Python module itself on the simulated bench: driver failures, Ctrl-C,
one bench per process, arguments refused before any bus cycle."""

import os
import signal

import numpy as np
import pytest

import korvane


@pytest.fixture(scope="module")
def bench():
    with korvane.open(daq="sim") as b:
        yield b


@pytest.fixture(autouse=True)
def clean(bench):
    bench.sim.reset()
    yield
    bench.sim.clear_faults()


def test_injected_fault_is_daq_error_with_the_drivers_code(bench):
    bench.bus.write(0, 0x40, np.arange(8))
    bench.sim.fault("DAQmxReadDigitalU8", -200279)
    with pytest.raises(korvane.DaqError) as failure:
        bench.bus.read(0, 0x40, 8)
    e = failure.value
    assert isinstance(e, RuntimeError)
    assert e.code == -200279
    assert "read cycle failed at slave 0 address 0x0040 (0 of 8 words read)" in str(e)
    assert "Error = -200279, " in str(e) and e.text and e.text in str(e)
    # The bus goes on after the failure.
    assert list(bench.bus.read(0, 0x40, 8)) == list(range(8))
    bench.sim.fault("DAQmxWriteDigitalU8", -200088)
    with pytest.raises(korvane.DaqError) as failure:
        bench.port(1).write(0x5A)
    assert failure.value.code == -200088


def test_ctrl_c_stops_a_long_dump_between_blocks(bench):
    words = np.arange(8192, dtype=np.uint16)
    bench.bus.write(0, 0, words)
    seen = []

    def progress(done):
        seen.append(done)
        if done == 1024:
            os.kill(os.getpid(), signal.SIGINT)

    with pytest.raises(KeyboardInterrupt, match=r"^dump stopped at 0x0400 after 1,024 words \(of 8,192\); "
                                                r"nothing returned$"):
        bench.bus.dump(0, 0, 8192, progress=progress)
    assert seen == [0, 256, 512, 768, 1024]
    # Nothing is left half done: the bus works and the words are there.
    assert np.array_equal(bench.bus.dump(0, 0, 8192), words)


def test_second_open_is_refused(bench):
    with pytest.raises(RuntimeError, match="a bench is open in this process already"):
        korvane.open(daq="sim")
    assert not bench.closed


BAD_CALLS = [
    (ValueError, lambda b: b.bus.read(8, 0)),
    (ValueError, lambda b: b.bus.read(0, 8192)),
    (ValueError, lambda b: b.bus.read(0, 0, 0)),
    (ValueError, lambda b: b.bus.read(0, 8000, 193)),
    (ValueError, lambda b: b.bus.write(0, 0, [0x10000])),
    (ValueError, lambda b: b.bus.write(0, 0, [1, -1])),
    (ValueError, lambda b: b.bus.write(0, 0, [])),
    (ValueError, lambda b: b.bus.write(0, 8190, [1, 2, 3])),
    (ValueError, lambda b: b.bus.write(0, 0, np.zeros((2, 2), np.uint16))),
    (TypeError, lambda b: b.bus.write(0, 0, [1.5])),
    (TypeError, lambda b: b.bus.write(0, 0, "1 2 3")),
    (TypeError, lambda b: b.bus.read("0", 0)),
    (ValueError, lambda b: b.bus.dump(0, 0, 4, "-")),
    (FileNotFoundError, lambda b: b.bus.load(0, 0, "/nonexistent/words.bin")),
    (ValueError, lambda b: b.bus.load(0, 0, [1], format="srec")),
    (ValueError, lambda b: b.port(3)),
    (ValueError, lambda b: setattr(b.port(0), "mask", 256)),
    (ValueError, lambda b: b.port(0).write(-1)),
    (ValueError, lambda b: b.dac.set_code(0, 256)),
    (ValueError, lambda b: b.dac.set_code(2, 0)),
    (ValueError, lambda b: b.adc.read(2)),
    (ValueError, lambda b: b.ao[0].write(float("nan"))),
    (ValueError, lambda b: b.ai[0].read_many(0)),
    (ValueError, lambda b: b.ai[0].read_many(10, rate=0)),
    (IndexError, lambda b: b.ai[8]),
    (FileNotFoundError, lambda b: b.selftest("/nonexistent/wiring.toml")),
]


@pytest.mark.parametrize("error,call", BAD_CALLS)
def test_bad_arguments_raise_before_any_driver_call(bench, error, call):
    # Every driver call would fail: a call that got as far as the driver raises DaqError instead.
    bench.sim.fault("*", -50103, always=True)
    with pytest.raises(error):
        call(bench)


def test_threads_take_turns_on_the_bench(bench):
    # Transfers drop the GIL: two threads' cycles must not interleave on the bus.
    import threading
    failures = []

    def worker(base, seed):
        rng = np.random.default_rng(seed)
        for _ in range(6):
            words = rng.integers(0, 0x10000, 700, dtype=np.uint16)
            bench.bus.write(0, base, words)
            back = bench.bus.read(0, base, 700)
            if not np.array_equal(back, words):
                failures.append((base, int(np.count_nonzero(back != words))))

    threads = [threading.Thread(target=worker, args=(base, base)) for base in (0, 0x1000)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
    # A progress callback cannot start a transfer inside the running one.
    with pytest.raises(RuntimeError, match="in the middle of a transfer"):
        bench.bus.dump(0, 0, 512, progress=lambda done: bench.bus.read(0, 0))


def test_files_and_driver_failures_raise_as_python_does(bench, tmp_path, capfd):
    # A file that cannot be read is the system's OSError, with its name; a folder is no file.
    with pytest.raises(FileNotFoundError) as e:
        korvane.wiring(tmp_path / "missing.toml")
    assert e.value.filename == str(tmp_path / "missing.toml")
    with pytest.raises(IsADirectoryError):
        bench.bus.load(0, 0, tmp_path)
    # A driver failure is raised with its report, and not also printed on standard error.
    capfd.readouterr()
    bench.sim.fault("DAQmxWriteDigitalU8", -200010)
    with pytest.raises(korvane.DaqError) as e:
        bench.bus.write(0, 0, [1, 2])
    assert e.value.code == -200010
    assert capfd.readouterr().err == ""
    assert korvane.__version__.count(".") == 2


def test_the_plugin_without_a_driver_fails_once_and_skips_the_rest(tmp_path):
    # The example suite with a driver library that is not there: one error that
    # says why, every other board test skipped.
    import os
    import subprocess
    import sys
    examples = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider", examples,
                          "--korvane-daq", str(tmp_path / "libnidaqmx.so")],
                         capture_output=True, text=True, env=dict(os.environ, KORVANE_DAQ=""))
    assert run.returncode == 1, run.stdout + run.stderr
    assert run.stdout.count("korvane: the bench cannot be opened: DaqError: driver: none") == 1, run.stdout
    assert "1 error" in run.stdout and " skipped" in run.stdout and "passed" not in run.stdout, run.stdout


def test_the_bench_standing_in_for_a_missing_driver_warns_and_fails_the_self_test():
    # Nothing chose a driver and NI-DAQmx is not installed (as on this machine):
    # a RuntimeWarning as the command line's note, and the self-test is false
    # whatever its rows say, as korvane selftest's status is 1.
    import os
    import subprocess
    import sys
    code = ("import warnings, korvane\n"
            "with warnings.catch_warnings(record=True) as w:\n"
            "    warnings.simplefilter('always')\n"
            "    with korvane.open() as bench:\n"
            "        t = bench.selftest()\n"
            "print(len(w), w[0].category.__name__, str(w[0].message))\n"
            "print(bool(t), t.failed, 'simulated bench' in str(t))\n")
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         env=dict(os.environ, KORVANE_DAQ=""))
    assert run.returncode == 0, run.stdout + run.stderr
    first, second = run.stdout.splitlines()
    assert first.startswith("1 RuntimeWarning NI-DAQmx is not installed: korvane runs on its simulated bench"), first
    assert 'daq="sim"' in first, first
    assert second == "False 0 True", second
