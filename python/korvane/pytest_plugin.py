"""pytest plugin of korvane: the ``bench`` fixture and its options.

Load it with ``-p korvane.pytest_plugin`` or ``pytest_plugins = ["korvane.pytest_plugin"]``
in a conftest.py. The bench is opened once per run; on the simulated bench
every test starts from the board as it was opened (memory and registers, no
faults, no outside signals). The same tests run on the real bench with
``--korvane-daq nidaqmx`` (there nothing is reset between tests).

    --korvane-daq sim|nidaqmx|PATH     the driver (default: as korvane chooses)
    --korvane-board model|rtl|PATH     the simulated bench's board
    --korvane-wiring FILE              the wiring file (korvane selftest --wiring; default:
                                       $KORVANE_WIRING_FILE or its old name $KORVANE_BENCH_FILE,
                                       else the built-in one)
    --korvane-labgrid                  the bench must come from labgrid's target (below); a run
                                       that skips a test or runs none fails

Under labgrid's pytest plugin (``--lg-env ENV`` or $LG_ENV) the bench is the one
the environment's main target holds (korvane.labgrid: its KorvaneStrategy
brought to bus_ready), its wiring file the resource's unless --korvane-wiring
names one; --korvane-daq and --korvane-board are then the resource's business.
"""

import os

import pytest

import korvane


def pytest_addoption(parser):
    group = parser.getgroup("korvane", "the korvane bench")
    group.addoption("--korvane-daq", metavar="sim|nidaqmx|PATH", default=None,
                    help="DAQ driver: the simulated bench, NI-DAQmx or a driver library (default: $KORVANE_DAQ, "
                         "else NI-DAQmx where installed, else the simulated bench)")
    group.addoption("--korvane-board", metavar="model|rtl|PATH", default=None,
                    help="the simulated bench's board: the C++ model, the RTL board or a board library")
    group.addoption("--korvane-wiring", metavar="FILE",
                    default=os.environ.get("KORVANE_WIRING_FILE") or os.environ.get("KORVANE_BENCH_FILE") or None,
                    help="wiring file (TOML, as korvane selftest --wiring); default: $KORVANE_WIRING_FILE "
                         "(old name: $KORVANE_BENCH_FILE), "
                         "else the simulated bench's wiring")
    group.addoption("--korvane-labgrid", action="store_true", default=False,
                    help="the bench must come from the labgrid environment's target (--lg-env): fail without one, "
                         "and fail a run that skips a board test or runs none")


def _labgrid_env(config):
    """labgrid's environment of this run (its pytest plugin, --lg-env or $LG_ENV), or None."""
    return getattr(config, "_labgrid_env", None)


def pytest_configure(config):
    # labgrid's own option (there while its plugin is loaded) or its variable: labgrid's
    # pytest_configure, which makes the environment of them, may come after this one.
    asked = getattr(config.option, "lg_env", None) or getattr(config.option, "env_config", None)
    if hasattr(config.option, "lg_env") and not asked:
        asked = os.environ.get("LG_ENV")
    if config.getoption("--korvane-labgrid") and not asked:
        raise pytest.UsageError("--korvane-labgrid: no labgrid environment: give --lg-env ENV (or $LG_ENV), "
                                "with labgrid's pytest plugin loaded")


def pytest_sessionfinish(session, exitstatus):
    if not session.config.getoption("--korvane-labgrid") or exitstatus != 0:
        return
    reporter = session.config.pluginmanager.get_plugin("terminalreporter")
    stats = reporter.stats if reporter is not None else {}
    skipped, passed = len(stats.get("skipped", [])), len(stats.get("passed", []))
    if skipped or not passed:
        session.config.get_terminal_writer().line(
            f"korvane: --korvane-labgrid: {passed} passed, {skipped} skipped: every board test must run", red=True)
        session.exitstatus = pytest.ExitCode.TESTS_FAILED


def pytest_report_header(config):
    env = _labgrid_env(config)
    if env is not None:
        return f"korvane: the bench of labgrid's target main ({env.config_file})"
    daq = config.getoption("--korvane-daq") or "default"
    board = config.getoption("--korvane-board") or "default"
    return f"korvane: daq {daq}, board {board}, wiring {config.getoption('--korvane-wiring') or 'built in'}"


class _Unopened:
    """A bench that did not open: the first board test fails with why, the others are skipped."""

    def __init__(self, error):
        self.error = error
        self.said = False

    def stop_test(self):
        if not self.said:
            self.said = True
            pytest.fail(f"korvane: the bench cannot be opened: {type(self.error).__name__}: {self.error}",
                        pytrace=False)
        pytest.skip("the bench cannot be opened (the first board test says why)")


@pytest.fixture(scope="session")
def korvane_session_bench(request, pytestconfig):
    """The bench of the whole run, opened once (under labgrid: the target's)."""
    if _labgrid_env(pytestconfig) is not None:
        from korvane.labgrid import bench_for_tests
        try:
            # Closed by labgrid when its environment is cleaned up, after the run.
            yield bench_for_tests(request.getfixturevalue("target"))
        except Exception as e:  # labgrid's errors have no common base; each says what failed
            yield _Unopened(e)
        return
    try:
        bench = korvane.open(daq=pytestconfig.getoption("--korvane-daq"),
                             board=pytestconfig.getoption("--korvane-board"))
    except (korvane.DaqError, OSError, ValueError) as e:
        # One clear error for a driver that is not there, not one per test.
        yield _Unopened(e)
        return
    try:
        yield bench
    finally:
        bench.close()


@pytest.fixture
def bench(korvane_session_bench):
    """The bench, the simulated board reset to how it was opened before each test."""
    if isinstance(korvane_session_bench, _Unopened):
        korvane_session_bench.stop_test()
    if korvane_session_bench.sim is not None:
        korvane_session_bench.sim.reset()
    return korvane_session_bench


@pytest.fixture(scope="session")
def wiring_file(request, pytestconfig):
    """The wiring file's path (--korvane-wiring; under labgrid, else the
    resource's), None for the built-in one."""
    path = pytestconfig.getoption("--korvane-wiring")
    if path is None and _labgrid_env(pytestconfig) is not None:
        from korvane.labgrid import wiring_file_of
        path = wiring_file_of(request.getfixturevalue("target"))
    return path


@pytest.fixture(scope="session")
def wiring(wiring_file):
    """The wiring file as korvane.wiring() gives it: what is wired where."""
    return korvane.wiring(wiring_file)
