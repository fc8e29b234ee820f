"""korvane in a labgrid farm: the bench as a labgrid resource, its driver and strategy.

An environment file imports this module (``imports: [korvane.labgrid]``) and
names them:

    targets:
      main:
        resources:
          KorvaneBench: {daq: nidaqmx, device: PXI1Slot2, wiring_file: /etc/korvane/lab-wiring.toml}
        drivers:
          KorvaneDriver: {}
          KorvaneStrategy: {}

``KorvaneBench`` is a bench on this computer; ``NetworkKorvaneBench`` is one a
farm's exporter announces (``korvane-labgrid-exporter``), with its host and
whether it answers. The driver opens the bench when it is activated and
offers the bus, the ports, the analog side and the self-test as labgrid
steps; the strategy's states are off, open, bus_ready (after Init) and
selftested. korvane's failures come as labgrid's ExecutionError (the
strategy's as StrategyError) with korvane's message inside.

Nothing here knows how a farm's processes talk to each other (WAMP in
labgrid 0.4, gRPC from labgrid 25): that is the exporter's and the
coordinator's business.
"""

import enum
import os
import socket

import attr
from labgrid.driver import Driver
from labgrid.driver.exception import ExecutionError
from labgrid.exceptions import NoResourceFoundError
from labgrid.factory import target_factory
from labgrid.resource.common import NetworkResource, Resource
from labgrid.step import step
from labgrid.strategy import Strategy, StrategyError

import korvane

__all__ = ["KorvaneBench", "NetworkKorvaneBench", "KorvaneDriver", "KorvaneStrategy", "Status", "DAQS",
           "bench_for_tests", "wiring_file_of"]

# The driver choices besides a driver library's path.
DAQS = ("sim", "nidaqmx")

_optional_str = attr.validators.optional(attr.validators.instance_of(str))


def _daq(instance, attribute, value):
    if not isinstance(value, str) or not value:
        raise ValueError(f"{attribute.name} must be sim, nidaqmx or a driver library's path, not {value!r}")
    if value not in DAQS and not os.path.isabs(value):
        raise ValueError(f"{attribute.name}: a driver library is named by its absolute path, not {value!r}")


@attr.s(eq=False)
class _BenchParams:
    """What names a bench: the driver, the device korvane must find, the
    simulated bench's board, the wiring file and the simulated board's state file."""
    daq = attr.ib(default="nidaqmx", validator=_daq)
    device = attr.ib(default="PXI1Slot2", validator=attr.validators.instance_of(str))
    board = attr.ib(default=None, validator=_optional_str)
    wiring_file = attr.ib(default=None, validator=_optional_str)
    state_file = attr.ib(default=None, validator=_optional_str)


@target_factory.reg_resource
@attr.s(eq=False)
class KorvaneBench(Resource, _BenchParams):
    """A korvane bench on this computer (no availability check of its own:
    the driver finds out when it opens the bench)."""


@target_factory.reg_resource
@attr.s(eq=False)
class NetworkKorvaneBench(NetworkResource, _BenchParams):
    """A bench an exporter announces: on ``host``, available while its driver
    loads and its device answers; ``reason`` says why not when it is not."""
    reason = attr.ib(default="", validator=attr.validators.instance_of(str))


def _this_computer(host):
    names = {"localhost", "127.0.0.1", "::1", socket.gethostname(), socket.getfqdn()}
    return host in names


def _fail(what, error):
    return ExecutionError(f"korvane: {what}: {type(error).__name__}: {error}")


@target_factory.reg_driver
@attr.s(eq=False)
class KorvaneDriver(Driver):
    """Opens the bench when activated and closes it when deactivated.

    The bench is driven from the computer it is wired to (the DAQ bit-bangs
    the board's bus, which no network link could carry at speed): a test of a
    farm's bench runs on that bench's computer, its place acquired there.
    """
    bindings = {"bench": {"KorvaneBench", "NetworkKorvaneBench"}}

    def __attrs_post_init__(self):
        super().__attrs_post_init__()
        self._bench = None

    def on_activate(self):
        res = self.bench
        if isinstance(res, NetworkKorvaneBench) and not _this_computer(res.host):
            raise ExecutionError(f"korvane: the bench is wired to {res.host}, not to this computer "
                                 f"({socket.gethostname()}): run the test there")
        try:
            bench = korvane.open(daq=res.daq, board=res.board, state=res.state_file)
        except (korvane.DaqError, OSError, ValueError, RuntimeError) as e:
            raise _fail(f"the bench ({res.daq}) cannot be opened", e) from e
        try:
            names = [d.name for d in bench.devices() if d.used]
        except korvane.DaqError as e:
            bench.close()
            raise _fail("the driver does not list its devices", e) from e
        if res.device not in names:
            bench.close()
            raise ExecutionError(f"korvane: device {res.device} is not the one korvane uses "
                                 f"({', '.join(names) or 'none found'})")
        self._bench = bench

    def on_deactivate(self):
        bench, self._bench = self._bench, None
        if bench is not None:
            try:
                bench.close()
            except OSError as e:
                raise _fail("the bench did not close cleanly", e) from e

    @property
    def korvane(self) -> "korvane.Bench":
        """The open korvane.Bench, for everything the steps below do not cover."""
        if self._bench is None:
            raise ExecutionError(f"korvane: {self} is not active: the bench is not open")
        return self._bench

    def _run(self, what, call):
        try:
            return call()
        except (korvane.DaqError, korvane.VerifyError, OSError, ValueError, TypeError) as e:
            raise _fail(what, e) from e

    @Driver.check_active
    @step(title="init")
    def init(self):
        """Sets the bus up as the Avalon area's Init does and reads slave 2's
        registers: the bus answers."""
        return self._run("Init", lambda: len(self.korvane.regs()))

    @Driver.check_active
    @step(args=["slave", "address", "count"])
    def read(self, slave, address, count=1):
        return self._run(f"bus read slave {slave} 0x{address:X}",
                         lambda: self.korvane.bus.read(slave, address, count))

    @Driver.check_active
    @step(args=["slave", "address"])
    def write(self, slave, address, words, *, verify=False):
        self._run(f"bus write slave {slave} 0x{address:X}",
                  lambda: self.korvane.bus.write(slave, address, words, verify=verify))

    @Driver.check_active
    @step(args=["slave", "address", "source"])
    def load(self, slave, address, source, *, verify=False, format=None):
        self._run(f"bus load slave {slave} 0x{address:X}",
                  lambda: self.korvane.bus.load(slave, address, source, verify=verify, format=format))

    @Driver.check_active
    @step(args=["slave", "address", "count", "path"])
    def dump(self, slave, address, count, path=None):
        return self._run(f"bus dump slave {slave} 0x{address:X}",
                         lambda: self.korvane.bus.dump(slave, address, count, path))

    @Driver.check_active
    @step()
    def regs(self):
        return self._run("regs", lambda: self.korvane.regs())

    @Driver.check_active
    @step(args=["port"], result=True)
    def port_read(self, port):
        return self._run(f"port {port} read", lambda: self.korvane.port(port).read())

    @Driver.check_active
    @step(args=["port", "value"])
    def port_write(self, port, value):
        self._run(f"port {port} write", lambda: self.korvane.port(port).write(value))

    @Driver.check_active
    @step(args=["channel", "volts"])
    def analog_write(self, channel, volts):
        self._run(f"AO{channel} write", lambda: self.korvane.ao[channel].write(volts))

    @Driver.check_active
    @step(args=["channel"], result=True)
    def analog_read(self, channel):
        return self._run(f"AI{channel} read", lambda: self.korvane.ai[channel].read())

    @Driver.check_active
    @step(args=["channel", "code"])
    def dac_write(self, channel, code):
        self._run(f"DAC{channel} code", lambda: self.korvane.dac.set_code(channel, code))

    @Driver.check_active
    @step(args=["channel"], result=True)
    def adc_read(self, channel):
        return self._run(f"ADC{channel} read", lambda: self.korvane.adc.read(channel))

    @Driver.check_active
    @step(result=True)
    def selftest(self, *, destructive=False):
        """The self-test with the resource's wiring file (None: the built-in one)."""
        return self._run("self-test", lambda: self.korvane.selftest(self.bench.wiring_file, destructive=destructive))


class Status(enum.Enum):
    unknown = 0
    off = 1
    open = 2
    bus_ready = 3
    selftested = 4


@target_factory.reg_driver
@attr.s(eq=False)
class KorvaneStrategy(Strategy):
    """off: the bench closed; open: the driver active, the bench open;
    bus_ready: Init done, the bus answers; selftested: the self-test passed
    with the resource's wiring file. A transition goes down to off first
    when it has to go back (from selftested to open, say)."""
    bindings = {"bench_driver": "KorvaneDriver"}

    status = attr.ib(default=Status.unknown)

    @step(args=["status"])
    def transition(self, status, *, step):
        if not isinstance(status, Status):
            try:
                status = Status[status]
            except KeyError:
                raise StrategyError(f"no state {status!r} (off, open, bus_ready, selftested)") from None
        if status is Status.unknown:
            raise StrategyError(f"cannot transition to {status.name}")
        if status is self.status:
            step.skip("nothing to do")
            return
        if status.value < self.status.value or self.status is Status.unknown:
            self.target.deactivate(self.bench_driver)
            self.status = Status.off
        if status is Status.off:
            return
        if self.status is Status.off:
            self.target.activate(self.bench_driver)
            self.status = Status.open
        if status.value >= Status.bus_ready.value and self.status is Status.open:
            self.bench_driver.init()
            self.status = Status.bus_ready
        if status is Status.selftested:
            result = self.bench_driver.selftest()
            if not result:
                failed = [f"{r.check}: measured {r.measured}, expected {r.expected}" for r in result.rows if not r.passed]
                raise StrategyError(f"korvane: the self-test failed ({result.failed} of {len(result)}): "
                                    + "; ".join(failed))
            self.status = Status.selftested

    @step(args=["status"])
    def force(self, status):
        """Takes the bench to be in ``status`` without doing its steps (the
        driver is activated for every state but off)."""
        status = status if isinstance(status, Status) else Status[status]
        if status is Status.off:
            self.target.deactivate(self.bench_driver)
        else:
            self.target.activate(self.bench_driver)
        self.status = status


def bench_for_tests(target, status: str = "bus_ready") -> "korvane.Bench":
    """The open korvane.Bench of a labgrid target, its KorvaneStrategy brought
    to ``status``: what korvane's pytest plugin gives the board tests under
    labgrid. A bench its exporter finds not answering fails with the reason."""
    strategy = target.get_driver("KorvaneStrategy")
    try:
        strategy.transition(status)
    except NoResourceFoundError as e:
        gone = [r for r in target.resources if isinstance(r, NetworkKorvaneBench) and not r.avail]
        if not gone:
            raise
        why = "; ".join(f"{r.host} {r.device}: {r.reason or 'not announced'}" for r in gone)
        raise ExecutionError(f"korvane: the place's bench is not available: {why}") from e
    return target.get_driver("KorvaneDriver").korvane


def wiring_file_of(target) -> "str | None":
    """The wiring file the target's bench resource names (None: the built-in one)."""
    for resource in target.resources:
        if isinstance(resource, (KorvaneBench, NetworkKorvaneBench)):
            return resource.wiring_file
    return None
