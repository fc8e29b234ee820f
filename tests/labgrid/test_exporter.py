"""korvane-labgrid-exporter's check of a bench, in process: a bench that
answers, one whose driver does not load, and one whose driver never returns
(its check ended at the deadline, and nothing of it left when the exporter
stops). Every wait polls the export as labgrid's exporter does, up to a
deadline."""

import sys
import time

import pytest

from korvane.labgrid.exporter import KorvaneBenchExport


def export(timeout=30.0, **params):
    config = {"cls": "KorvaneBench", "params": dict(params, check_interval=0.2, check_timeout=timeout)}
    return KorvaneBenchExport(config, host="127.0.0.1", proxy="localhost", proxy_required=False)


def poll_until(res, condition, timeout=60.0):
    deadline = time.monotonic() + timeout
    while not condition(res):
        assert time.monotonic() < deadline, f"not within {timeout:g} s: {res.asdict()}"
        res.poll()
        time.sleep(0.05)


def test_the_export_follows_the_bench(tmp_path):
    res = export(daq="sim", board="model")
    assert res.asdict()["cls"] == "NetworkKorvaneBench" and not res.avail
    poll_until(res, lambda r: r.avail)
    assert res.params["reason"] == "" and res.params["daq"] == "sim" and res.params["host"] == "127.0.0.1"

    missing = export(daq=str(tmp_path / "libnidaqmx.so"))
    poll_until(missing, lambda r: r.params.get("reason", "").startswith("the bench"))
    assert not missing.avail and "cannot load" in missing.params["reason"]

    other = export(daq="sim", device="Dev1")
    poll_until(other, lambda r: "Dev1" in r.params.get("reason", ""))
    assert not other.avail and "PXI1Slot2" in other.params["reason"]


def test_a_bench_that_never_answers(monkeypatch):
    # A driver whose call never returns: the check waits for a signal.
    monkeypatch.setattr(KorvaneBenchExport, "probe_command",
                        [sys.executable, "-c", "import signal, sys; signal.pause()"])
    res = export(timeout=1.0, daq="sim")
    poll_until(res, lambda r: "did not answer within 1 s" in r.params.get("reason", ""))
    assert not res.avail
    # The next check is under way: the exporter's stop ends it.
    poll_until(res, lambda r: r.probe is not None)
    probe = res.probe
    KorvaneBenchExport.end_all()
    assert probe.poll() is not None and not KorvaneBenchExport.running
