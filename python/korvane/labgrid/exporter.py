"""korvane-labgrid-exporter: labgrid 0.4's exporter, with korvane's bench
among the resources it knows.

labgrid's own exporter announces a resource class it does not know as always
available. This one checks a ``KorvaneBench`` of its export file: every
``check_interval`` seconds (default 10) it runs the probe (the driver loads,
the named device answers) in a process of its own and gives up on it after
``check_timeout`` seconds (default 10); the place holding the bench is
available only while the bench answers, and the clients see why it is not
(``reason``). The simulated bench is checked only where the file asks for it
(``daq: sim``), the default driver being NI-DAQmx.

    bench-1:
      KorvaneBench:
        daq: nidaqmx
        device: PXI1Slot2
        wiring_file: /etc/korvane/lab-wiring.toml

    korvane-labgrid-exporter -x ws://COORDINATOR:20408/ws exporter.yaml

The exporter holds no bench: a released place's bench is checked again at
once, and a check under way is ended when the place is released or the
exporter stops.
"""

import subprocess
import sys
import time

import attr
from labgrid.remote import exporter

from . import KorvaneBench

_CHECK_KEYS = {"check_interval": 10.0, "check_timeout": 10.0}


@attr.s(eq=False)
class KorvaneBenchExport(exporter.ResourceExport):
    """A KorvaneBench of the export file, as a NetworkKorvaneBench to the clients."""

    running = set()  # every check under way, ended when the exporter stops
    probe_command = [sys.executable, "-m", "korvane.labgrid.probe"]

    def __attrs_post_init__(self):
        super().__attrs_post_init__()
        self.data["cls"] = "NetworkKorvaneBench"
        params = dict(self.local_params)
        self.interval, self.timeout = (float(params.pop(k, v)) for k, v in _CHECK_KEYS.items())
        self.local = KorvaneBench(target=None, name=None, **params)
        self.local.avail = False
        self.reason = "not checked yet"
        self.probe = None
        self.deadline = 0.0
        self.next_check = 0.0

    def _get_params(self):
        res = self.local
        return {"host": self.host, "daq": res.daq, "device": res.device, "board": res.board,
                "wiring_file": res.wiring_file, "state_file": res.state_file, "reason": self.reason}

    def _start_check(self):
        res = self.local
        argv = self.probe_command + [res.daq, res.device] + ([res.board] if res.board else [])
        self.probe = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT, text=True)
        KorvaneBenchExport.running.add(self.probe)
        self.deadline = time.monotonic() + self.timeout

    def _end_check(self):
        probe, self.probe = self.probe, None
        if probe is not None:
            probe.kill()
            probe.communicate()
            KorvaneBenchExport.running.discard(probe)

    def _checked(self, answers, reason):
        reason = "" if answers else reason
        if reason != self.reason:
            self.logger.warning("the bench %s", f"does not answer: {reason}" if reason else "answers")
        self.local.avail = answers
        self.reason = reason
        self.next_check = time.monotonic() + self.interval

    def poll(self):
        now = time.monotonic()
        if self.probe is not None:
            status = self.probe.poll()
            if status is not None:
                out = self.probe.communicate()[0].strip()
                KorvaneBenchExport.running.discard(self.probe)
                self.probe = None
                self._checked(status == 0, out or f"the check ended with status {status}")
            elif now > self.deadline:
                self._end_check()
                self._checked(False, f"the bench did not answer within {self.timeout:g} s")
        elif now >= self.next_check:
            self._start_check()
        return super().poll()

    def _stop(self, start_params):
        # Released: whatever the test left, the bench is checked afresh.
        self._end_check()
        self.next_check = 0.0

    @classmethod
    def end_all(cls):
        for probe in list(cls.running):
            probe.kill()
            probe.communicate()
        cls.running.clear()


def main():
    exporter.exports["KorvaneBench"] = KorvaneBenchExport
    try:
        exporter.main()
    finally:
        KorvaneBenchExport.end_all()


if __name__ == "__main__":
    main()
