import contextlib
import os
import re
import signal

import pytest

import mivora


@pytest.fixture
def triangle():
    """A, B, C with A->B (directed, 2.5), B-C (undirected, 1) and C->A (directed, 0.1)."""
    graph = mivora.Graph()
    for label in "ABC":
        graph.add_node(label)
    graph.create_connection("A", "B", 2.5, True)
    graph.create_connection("B", "C", 1)
    graph.create_connection("C", "A", 0.1, True)
    return graph


@pytest.fixture
def ctrl_c_after():
    """``with ctrl_c_after(seconds):`` raises KeyboardInterrupt inside its block
    after `seconds`, as Ctrl-C does: a SIGALRM handled by Python's own SIGINT
    handler. The kernel sends it, so no thread of this process has to get the
    interpreter first. The alarm is disarmed when the block ends."""
    previous = signal.signal(signal.SIGALRM, signal.default_int_handler)

    @contextlib.contextmanager
    def arm(seconds):
        signal.setitimer(signal.ITIMER_REAL, seconds)
        try:
            yield
        finally:
            signal.setitimer(signal.ITIMER_REAL, 0)
    yield arm
    signal.signal(signal.SIGALRM, previous)


@pytest.fixture
def panics():
    """Expects PanicException, the internal-error exception: a BaseException
    that is not an Exception. Use as ``with panics("exact text"):``, or with
    ``prefix=``, ``part=`` or ``match=`` (a regular expression searched for)
    for a message known in part; the context manager yields pytest's
    ExceptionInfo."""

    @contextlib.contextmanager
    def expect(message=None, *, prefix=None, part=None, match=None):
        with pytest.raises(BaseException) as caught:
            yield caught
        assert type(caught.value).__name__ == "PanicException"
        assert not isinstance(caught.value, Exception)
        text = str(caught.value)
        assert message is None or text == message
        assert prefix is None or text.startswith(prefix)
        assert part is None or part in text
        assert match is None or re.search(match, text), (match, text)

    return expect


@pytest.fixture(scope="session")
def panic_type():
    """The PanicException class, which the module does not export by name."""
    try:
        mivora.Graph().node_by_label("missing")
    except BaseException as error:  # noqa: B036 - caught to learn its class
        return type(error)
    raise AssertionError("node_by_label of a missing label did not raise")


def pytest_collection_modifyitems(config, items):
    """MIVORA_TEST_SHARD=k/n keeps every n-th test from the k-th on, so that n
    processes share the suite test by test (the sanitized run uses two): by
    test rather than by file, because a few files hold most of the time."""
    shard = os.environ.get("MIVORA_TEST_SHARD")
    if not shard:
        return
    index, count = (int(part) for part in shard.split("/"))
    kept = items[index::count]
    config.hook.pytest_deselected(items=[item for k, item in enumerate(items) if k % count != index])
    items[:] = kept
