"""The module object, its classes and the conventions every method follows."""
import gc
import inspect
import subprocess
import sys
import textwrap
import threading
import weakref

import numpy as np
import pytest

import mivora


def test_module_holds_exactly_the_four_classes_in_order():
    public = [name for name in vars(mivora) if not name.startswith("__")]
    assert public[:4] == ["Node", "Graph", "Layout", "GraphStyle"]
    assert "FormatError" in public[4:] and issubclass(mivora.FormatError, ValueError)
    assert mivora.Node.__module__ == mivora.Graph.__module__ == "mivora"
    assert mivora.Layout.__qualname__ == "Layout" and mivora.Layout.__module__ == "builtins"
    assert mivora.GraphStyle.__qualname__ == "GraphStyle" and mivora.GraphStyle.__module__ == "builtins"


def test_panic_exception_is_a_base_exception_the_module_names(capfd, panics):
    with panics("called `Option::unwrap()` on a `None` value") as caught:
        mivora.Graph().node_by_label("missing")
    panic = caught.type
    assert issubclass(panic, BaseException) and not issubclass(panic, Exception)
    assert mivora.PanicException is panic and panic.__module__ == "mivora"
    report = capfd.readouterr().err
    assert report.count("\n") == 1 and "called `Option::unwrap()` on a `None` value" in report


def test_repeated_initialisation_returns_the_same_module():
    first = sys.modules.pop("mivora")
    try:
        import mivora as again

        assert again is first
    finally:
        sys.modules["mivora"] = first


def test_sub_interpreters_are_refused():
    # A sub-interpreter that shares the main one's rules meets mivora's own
    # refusal; from 3.13 on, the default (isolated) sub-interpreter refuses
    # single-phase modules itself, in its own words.
    script = textwrap.dedent(
        """
        import sys
        import mivora
        try:
            import _interpreters as interpreters
        except ImportError:
            import _xxsubinterpreters as interpreters
        code = "try:\\n import mivora\\nexcept ImportError as e:\\n print('refused:', e)\\n"
        if sys.version_info >= (3, 13):
            interpreters.run_string(interpreters.create("legacy"), code)
            interpreters.run_string(interpreters.create(), code)
        else:
            try:
                interp = interpreters.create(isolated=False)
            except TypeError:
                interp = interpreters.create()
            interpreters.run_string(interp, code)
        """
    )
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    expected = ["refused: mivora does not support sub-interpreters: it is bound to the first interpreter "
                "that imported it"]
    if sys.version_info >= (3, 13):
        expected.append("refused: module mivora does not support loading in subinterpreters")
    assert result.stdout.splitlines() == expected, result.stderr


@pytest.mark.parametrize("cls", [mivora.Node, mivora.Graph, mivora.GraphStyle, mivora.Layout])
def test_classes_are_final_without_dict_or_weakrefs(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})
    instance = mivora.Layout.Random if cls is mivora.Layout else cls("x") if cls is mivora.Node else cls()
    with pytest.raises(AttributeError):
        instance.extra = 1
    with pytest.raises(TypeError):
        weakref.ref(instance)


# ---- argument matching ------------------------------------------------------------------

@pytest.mark.parametrize(
    "call, message",
    [
        (lambda g: mivora.Graph(1), "Graph.__new__() takes 0 positional arguments but 1 was given"),
        (lambda g: g.add_node(), "Graph.add_node() missing 1 required positional argument: 'label'"),
        (lambda g: g.add_node("a", "b"), "Graph.add_node() takes 1 positional arguments but 2 were given"),
        (lambda g: g.create_connection("a", "b", 1, True, 5),
         "Graph.create_connection() takes from 2 to 4 positional arguments but 5 were given"),
        (lambda g: g.create_connection(), "Graph.create_connection() missing 2 required positional "
                                          "arguments: 'from_label' and 'to_label'"),
        (lambda g: mivora.Node("a").add_connection(), "Node.add_connection() missing 3 required positional "
                                                      "arguments: 'node', 'weight', and 'directed'"),
        (lambda g: g.add_node(name="a"), "Graph.add_node() got an unexpected keyword argument 'name'"),
        (lambda g: g.add_node("a", label="a"), "Graph.add_node() got multiple values for argument 'label'"),
        (lambda g: mivora.GraphStyle(node_colour="red"),
         "GraphStyle.__new__() got an unexpected keyword argument 'node_colour'"),
    ],
)
def test_argument_matching_messages(call, message):
    with pytest.raises(TypeError) as raised:
        call(mivora.Graph())
    assert str(raised.value) == message


@pytest.mark.parametrize(
    "call, name, reason",
    [
        (lambda g: g.add_node(5), "label", "'int' object cannot be converted to 'PyString'"),
        (lambda g: g.create_connection("a", "b", 1, 1), "directed", "'int' object cannot be converted to 'PyBool'"),
        (lambda g: g.create_connection("a", "b", "heavy"), "weight", "must be real number, not str"),
        (lambda g: mivora.Node("a").add_connection("b", 1, True), "node",
         "'str' object cannot be converted to 'Node'"),
        (lambda g: mivora.GraphStyle(node_radius=2.5), "node_radius",
         "'float' object cannot be interpreted as an integer"),
    ],
)
def test_conversion_errors_name_the_argument_and_keep_the_cause(call, name, reason):
    with pytest.raises(TypeError) as raised:
        call(mivora.Graph())
    assert str(raised.value) == f"argument '{name}': {reason}"
    assert isinstance(raised.value.__cause__, TypeError) and str(raised.value.__cause__) == reason


def test_non_type_errors_of_conversions_pass_unchanged():
    class Broken:
        def __float__(self):
            raise ValueError("no number here")

    g = mivora.Graph()
    with pytest.raises(ValueError, match="no number here"):
        g.create_connection("a", "b", Broken())


class Number:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        return self.value


class Index:
    def __index__(self):
        return 3


@pytest.mark.parametrize(
    "weight, directed, stored",
    [
        (2, None, (2.0, False)),
        (Number(0.1), True, (0.10000000149011612, True)),
        (Index(), np.bool_(True), (3.0, True)),
        (1e300, np.bool_(False), (float("inf"), False)),
    ],
)
def test_accepted_conversions(weight, directed, stored):
    g = mivora.Graph()
    g.add_node("a")
    g.create_connection("a", "a", weight, directed)
    record = g.get_connections()[0]
    assert (record["weight"], record["directed"]) == stored


def test_text_signatures():
    assert mivora.Graph.create_connection.__text_signature__ == (
        "($self, from_label, to_label, weight=0., directed=False)")
    parameters = inspect.signature(mivora.Graph.create_connection).parameters
    assert list(parameters) == ["self", "from_label", "to_label", "weight", "directed"]
    assert parameters["weight"].default == 0.0 and parameters["directed"].default is False
    assert str(inspect.signature(mivora.Graph)) == "()"
    assert str(inspect.signature(mivora.Node)) == "(label)"
    assert str(inspect.signature(mivora.Graph.from_net_file)) == "(file_path)"
    assert str(inspect.signature(mivora.Node.add_connection)) == "(self, /, node, weight, directed)"
    methods = [getattr(mivora.Graph, name) for name in dir(mivora.Graph) if not name.startswith("_")]
    # Every method, old or added, carries a text signature.
    signed = [(m.__text_signature__ or "").startswith("(") for m in methods if m is not mivora.Graph.nodes]
    assert len(signed) >= 29 and all(signed)
    assert mivora.Graph.nodes.__doc__ == ""


# ---- borrowing and threads ------------------------------------------------------------------

def test_reentrant_float_meets_the_borrow_flag():
    g = mivora.Graph()
    g.add_node("a")

    class Sneaky:
        def __float__(self):
            g.bfs("a")  # wants the graph exclusively while create_connection shares it
            return 1.0

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        g.create_connection("a", "a", Sneaky())
    assert g.get_edge_count() == 0
    assert g.bfs("a") == ["a"]  # the flag was released


def test_reentrant_index_on_a_style_being_assigned():
    style = mivora.GraphStyle()

    class Sneaky:
        def __index__(self):
            return style.node_radius  # reads while the assignment holds the style

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        style.marker_width = Sneaky()
    assert style.marker_width == 30


def run_in_thread(function):
    outcome = {}

    def target():
        try:
            outcome["value"] = function()
        except BaseException as error:  # noqa: B036 - PanicException is a BaseException
            outcome["error"] = error

    thread = threading.Thread(target=target)
    thread.start()
    thread.join()
    return outcome


@pytest.mark.parametrize(
    "make, use, path",
    [
        (mivora.Graph, lambda g: g.get_node_count(), "mivora::graph_py::py_graph::Graph"),
        (lambda: mivora.Node("a"), lambda n: n.label, "mivora::graph_py::py_node::Node"),
    ],
)
def test_objects_are_bound_to_their_thread(make, use, path):
    obj = make()
    error = run_in_thread(lambda: use(obj))["error"]
    assert type(error).__name__ == "PanicException"
    assert str(error).endswith(f"{path} is unsendable, but sent to another thread")


def test_dropping_on_another_thread_is_reported_not_freed(monkeypatch):
    reports = []
    monkeypatch.setattr(sys, "unraisablehook", lambda report: reports.append(str(report.exc_value)))
    holder = run_in_thread(mivora.Graph)
    del holder
    gc.collect()
    assert reports == ["mivora::graph_py::py_graph::Graph is unsendable, but is being dropped on another thread"]
