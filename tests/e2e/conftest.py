"""Fixtures of the end-to-end tests.

    def test_x(host):
        h = host()            # a KelupHost with the program, cleaned up afterwards
        h.start(); h.wait_ready()

Paths come from the environment (set by CTest): KELUP_EXE, KLTOOL_EXE and, for
the bench's own tests, KELUP_STANDIN_EXE. When a test fails, each of its hosts
is dumped (logs, windows, screenshot, INI files) into $KELUP_E2E_LOGS
(default /tmp/kelup-e2e-logs) and a summary is added to the report.
"""

import os
import re
from pathlib import Path

import pytest

from kelup_bench import KelupHost

LOG_ROOT = Path(os.environ.get("KELUP_E2E_LOGS", "/tmp/kelup-e2e-logs"))


def _need(var: str, what: str) -> str:
    value = os.environ.get(var)
    if not value:
        pytest.skip(f"{var} is not set: {what} (run through `ctest --preset win64 -R e2e` "
                    "or see docs/TESTING.md)")
    if not Path(value).is_file():
        pytest.skip(f"{var}={value} does not exist (build it first)")
    return value


@pytest.fixture(scope="session")
def kltool_exe() -> str:
    return _need("KLTOOL_EXE", "path of kltool.exe")


@pytest.fixture(scope="session")
def kelup_exe() -> str:
    return _need("KELUP_EXE", "path of Kelupon.exe")


@pytest.fixture(scope="session")
def standin_exe() -> str:
    return _need("KELUP_STANDIN_EXE", "path of kelup_standin.exe")


def _make_factory(request, exe: str, kltool: str):
    hosts: list[KelupHost] = []
    request.node._kelup_hosts = hosts

    def make(**kwargs) -> KelupHost:
        kwargs.setdefault("name", f"h{len(hosts) + 1}")
        h = KelupHost(kwargs.pop("exe", exe), kltool, **kwargs)
        hosts.append(h)
        return h

    return make, hosts


@pytest.fixture
def host(request, kelup_exe, kltool_exe):
    """Factory of KelupHost running Kelupon.exe; every host is cleaned up."""
    make, hosts = _make_factory(request, kelup_exe, kltool_exe)
    yield make
    for h in hosts:
        h.cleanup()


@pytest.fixture
def standin_host(request, standin_exe, kltool_exe):
    """Factory of KelupHost running the stand-in program (bench self-tests)."""
    make, hosts = _make_factory(request, standin_exe, kltool_exe)
    yield make
    for h in hosts:
        h.cleanup()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    rep = outcome.get_result()
    hosts = getattr(item, "_kelup_hosts", None)
    if not hosts or not rep.failed or rep.when == "teardown":
        return
    dest = LOG_ROOT / re.sub(r"[^\w.-]+", "_", item.nodeid)
    summaries = []
    for h in hosts:
        try:
            summaries.append(h.dump_state(dest / h.name))
        except Exception as e:
            summaries.append(f"[{h.name}] dump failed: {e}")
    rep.sections.append(("kelup hosts", "\n".join(summaries)))
