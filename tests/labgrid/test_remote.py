"""The board tests through a labgrid 0.4.1 farm on loopback: the WAMP router
(fox-wamp behind tests/labgrid/router/router.js, standing in for crossbar),
labgrid's coordinator, korvane-labgrid-exporter with a simulated bench, the
client's commands and pytest on the RemotePlace.

This proves labgrid 0.4.1's WAMP path on an emulation of crossbar: not a
crossbar farm, nor labgrid 25's gRPC. Everything listens on 127.0.0.1 on
ports the test picks, is started and stopped here, and every wait is a
condition polled up to a deadline.

Environment (tests/labgrid/CMakeLists.txt sets it): KORVANE_LABGRID_EXPORTER,
KORVANE_SIM_LIBRARY, KORVANE_EXAMPLES, PYTHONPATH for korvane; the router as
tests/labgrid/router/install puts it ($KORVANE_LABGRID_ROUTER, else
~/.cache/korvane/labgrid-router).
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import time
from pathlib import Path

import pytest

HERE = Path(__file__).resolve().parent
PLACE = "korvane-bench"
MATCH = "bench1/korvane/NetworkKorvaneBench"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, condition, timeout=30.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            pytest.fail(f"not within {timeout:g} s: {what}")
        time.sleep(0.1)


def router_dir():
    default = Path(os.environ.get("XDG_CACHE_HOME", Path.home() / ".cache")) / "korvane" / "labgrid-router"
    where = Path(os.environ.get("KORVANE_LABGRID_ROUTER") or default)
    if not (where / "node_modules" / "fox-wamp" / "package.json").is_file():
        pytest.fail(f"the test's WAMP router is not installed in {where}: run tests/labgrid/router/install "
                    "(scripts/dev does at set-up; it needs npm)", pytrace=False)
    if shutil.which("node") is None:
        pytest.fail("node is not on the PATH (Debian: nodejs): the test's WAMP router cannot run", pytrace=False)
    return where


class Process:
    """A process of the farm, its output in a log file of the test's folder."""

    def __init__(self, name, argv, logs, **kwargs):
        self.name = name
        self.log = logs / f"{name}.log"
        with open(self.log, "ab") as out:
            self.popen = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                          start_new_session=True, **kwargs)

    def output(self):
        return self.log.read_text(errors="replace")

    def stop(self):
        """SIGTERM to the process alone (what it started is its to end), SIGKILL after 10 s."""
        if self.popen.poll() is None:
            self.popen.terminate()
            try:
                self.popen.wait(10)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()
        return self.popen.returncode

    def end_group(self):
        # Whatever is left of its process group, after a failure.
        try:
            os.killpg(self.popen.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.popen.wait()


class Farm:
    def __init__(self, tmp):
        self.tmp = tmp
        self.logs = tmp / "logs"
        self.logs.mkdir()
        self.processes = []
        self.url = f"ws://127.0.0.1:{free_port()}/ws"
        self.env = dict(os.environ, LG_CROSSBAR=self.url, PYTHONDONTWRITEBYTECODE="1")
        # The bench's driver: the simulated bench under a path of the export file's own, so that
        # the test can take it away.
        self.driver = tmp / "driver" / "libkorvane-sim.so"
        self.driver.parent.mkdir()
        shutil.copy(os.environ["KORVANE_SIM_LIBRARY"], self.driver)
        self.exports = tmp / "exporter.yaml"
        self.exports.write_text(f"""korvane:
  KorvaneBench:
    daq: {self.driver}
    board: model
    check_interval: 0.5
    check_timeout: 5
""")
        self.env_file = tmp / "remote.yaml"
        self.env_file.write_text(f"""targets:
  main:
    resources:
      RemotePlace:
        name: {PLACE}
    drivers:
      KorvaneDriver: {{}}
      KorvaneStrategy: {{}}
imports:
  - korvane.labgrid
""")

    def start(self, name, argv, **kwargs):
        p = Process(name, argv, self.logs, env=kwargs.pop("env", self.env), **kwargs)
        self.processes.append(p)
        return p

    def client(self, *args, user="alice"):
        return subprocess.run([sys.executable, "-m", "labgrid.remote.client", *args], capture_output=True, text=True,
                              env=dict(self.env, LG_USERNAME=user), timeout=60, stdin=subprocess.DEVNULL)

    def client_ok(self, *args, user="alice"):
        run = self.client(*args, user=user)
        assert run.returncode == 0, f"labgrid-client {' '.join(args)}: {run.stdout}{run.stderr}"
        return run.stdout

    def checks_left(self):
        """The processes checking this farm's bench (their command line names its driver)."""
        left = []
        for proc in Path("/proc").iterdir():
            try:
                argv = (proc / "cmdline").read_bytes().split(b"\0")
            except OSError:
                continue
            if b"korvane.labgrid.probe" in argv and os.fsencode(self.driver) in argv:
                left.append(proc.name)
        return left

    def available(self):
        return MATCH in self.client("resources").stdout

    def start_exporter(self):
        self.exporter = self.start("exporter", [sys.executable, os.environ["KORVANE_LABGRID_EXPORTER"], "-x", self.url,
                                                "-n", "bench1", "--hostname", "127.0.0.1", str(self.exports)])
        wait_for("the exporter announces the bench, available", self.available)

    def board_tests(self, user="alice"):
        return subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider", os.environ["KORVANE_EXAMPLES"],
                               "--lg-env", str(self.env_file), "--korvane-labgrid"],
                              capture_output=True, text=True, env=dict(self.env, LG_USERNAME=user), cwd=self.tmp,
                              timeout=120, stdin=subprocess.DEVNULL)


@pytest.fixture(scope="module")
def farm(tmp_path_factory):
    tmp = tmp_path_factory.mktemp("farm")
    routers = router_dir()
    f = Farm(tmp)
    port = f.url.split(":")[2].split("/")[0]
    try:
        router = f.start("router", ["node", str(HERE / "router" / "router.js"), port],
                         env=dict(f.env, NODE_PATH=str(routers / "node_modules")))
        wait_for("the router listens", lambda: f"listening {port}" in router.output() or router.popen.poll() is not None)
        assert router.popen.poll() is None, f"the router ended: {router.output()}"
        (tmp / "coordinator").mkdir()
        coordinator = f.start("coordinator", [sys.executable, "-m", "labgrid.remote.coordinator"],
                              cwd=tmp / "coordinator", env=dict(f.env, WS=f.url))
        # Its own word: a client that comes before its procedures are registered hangs.
        wait_for("the coordinator is ready",
                 lambda: "Coordinator ready." in coordinator.output() or coordinator.popen.poll() is not None)
        assert coordinator.popen.poll() is None, f"the coordinator ended: {coordinator.output()}"
        f.start_exporter()
        f.client_ok("-p", PLACE, "create")
        f.client_ok("-p", PLACE, "add-match", MATCH)
        yield f
    finally:
        for p in reversed(f.processes):
            p.stop()
            p.end_group()
        for p in f.processes:
            print(f"--- {p.name}\n{p.output()[-3000:]}")


def test_place_acquired_tested_released(farm):
    farm.client_ok("-p", PLACE, "acquire")
    run = farm.board_tests()
    assert run.returncode == 0 and " passed" in run.stdout, run.stdout + run.stderr
    # Another user can neither take the place nor test on it.
    other = farm.client("-p", PLACE, "acquire", user="bob")
    assert other.returncode != 0 and "already acquired by" in other.stderr + other.stdout, other
    run = farm.board_tests(user="bob")
    assert run.returncode != 0 and "not acquired by your user" in run.stdout + run.stderr, run.stdout
    farm.client_ok("-p", PLACE, "release")
    assert "acquired:" not in farm.client_ok("-p", PLACE, "show").replace("acquired: None", "")


def test_exporter_stopped_and_restarted(farm):
    farm.client_ok("-p", PLACE, "acquire")
    try:
        # labgrid's exporter ends with 100 ("run me again") once its connection is gone.
        assert farm.exporter.stop() in (0, 100), farm.exporter.output()
        assert not farm.checks_left(), "the stopped exporter left its check of the bench running"
        wait_for("the bench leaves with its exporter", lambda: not farm.available())
        run = farm.board_tests()
        assert run.returncode != 0 and "korvane: the bench cannot be opened" in run.stdout, run.stdout
        farm.start_exporter()
        run = farm.board_tests()
        assert run.returncode == 0, run.stdout + run.stderr
    finally:
        farm.client("-p", PLACE, "release")


def test_bench_that_stops_answering(farm):
    farm.client_ok("-p", PLACE, "acquire")
    try:
        saved = farm.driver.read_bytes()
        farm.driver.write_bytes(b"")  # the driver no longer loads
        wait_for("the exporter finds the bench not answering", lambda: not farm.available())
        verbose = farm.client_ok("-vv", "resources")
        assert "'avail': False" in verbose and "cannot load" in verbose, verbose
        run = farm.board_tests()
        assert run.returncode != 0, run.stdout
        assert "the place's bench is not available" in run.stdout and "cannot load" in run.stdout, run.stdout
        farm.driver.write_bytes(saved)
        wait_for("the bench answers again", farm.available)
        run = farm.board_tests()
        assert run.returncode == 0, run.stdout + run.stderr
    finally:
        farm.client("-p", PLACE, "release")
