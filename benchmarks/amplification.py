"""Small inputs that could cost far more than their size, each read in a fresh process.

Every case writes its input to a temporary folder and runs the call in a
child interpreter under an address-space and CPU-time limit (a case that
blows up ends with MemoryError or the CPU limit instead of taking the
machine down). Reported per case: input size, the call's wall time, the
child's peak resident memory (its rusage, as /usr/bin/time -v reports it),
that peak less an idle interpreter's over the input's size, and the outcome
(the graph's size or the exception).

    PYTHONPATH=build python benchmarks/amplification.py [--only NAME ...]
                                                        [--memory-gib 5] [--cpu-seconds 120]

Run it with another build on PYTHONPATH to compare before and after.
"""
import argparse
import os
import resource
import subprocess
import sys
import tempfile
import textwrap

MB = 1 << 20

XML_DTD = {  # one default of 2,000 characters, given to every node that lacks the attribute
    "graphml": ('<?xml version="1.0"?>\n<!DOCTYPE graphml [<!ATTLIST node id CDATA "{fill}">]>\n'
                '<graphml><key id="l" for="node" attr.name="label" attr.type="string"/>'
                '<graph edgedefault="undirected">\n', "<node/>\n", "</graph></graphml>\n"),
    "gexf": ('<?xml version="1.0"?>\n<!DOCTYPE gexf [<!ATTLIST node label CDATA "{fill}">]>\n'
             '<gexf><graph><nodes>\n', '<node id="{i}"/>\n', "</nodes></graph></gexf>\n"),
}


def dtd_defaults(kind, count=100_000, default_size=2000):
    head, node, tail = XML_DTD[kind]
    body = "".join(node.format(i=i) for i in range(count))
    return head.format(fill="x" * default_size) + body + tail


def many_keys(count=40_000, each_its_own=False, nodes=None):
    """Every node's value under the last key declared, or (each_its_own) node i's under key i.

    `nodes` nodes (as many as keys when not given)."""
    nodes = count if nodes is None else nodes
    keys = "".join(f'<key id="k{i}" for="node" attr.name="a{i}" attr.type="string"/>\n' for i in range(count))
    body = "".join(f'<node id="n{i}"><data key="k{i if each_its_own else count - 1}">v</data></node>\n'
                   for i in range(nodes))
    return f'<?xml version="1.0"?>\n<graphml>{keys}<graph edgedefault="undirected">\n{body}</graph></graphml>\n'


def many_gexf_attributes(count, nodes):
    """GEXF's declarations: `count` node attributes, every node's value under the last."""
    declared = "".join(f'<attribute id="k{i}" title="a{i}" type="string"/>\n' for i in range(count))
    body = "".join(f'<node id="n{i}"><attvalues><attvalue for="k{count - 1}" value="v"/></attvalues></node>\n'
                   for i in range(nodes))
    return (f'<?xml version="1.0"?>\n<gexf><graph><attributes class="node">{declared}</attributes>'
            f'<nodes>\n{body}</nodes></graph></gexf>\n')


def read_case(name, text, fmt):
    return name, text, f"graph = mivora.Graph.read(PATH, format={fmt!r})", "graph"


CASES = [
    read_case("edgelist id 999999999", "0 999999999\n", "edgelist"),
    read_case("gml id 999999999", "graph [ node [ id 0 ] node [ id 999999999 ] edge [ source 0 target 999999999 ] ]\n",
              "gml"),
    read_case("graphml id n999999999",
              '<graphml><graph edgedefault="undirected"><node id="n0"/><node id="n999999999"/>'
              '<edge source="n0" target="n999999999"/></graph></graphml>\n', "graphml"),
    read_case("gexf id 999999999",
              '<gexf><graph><nodes><node id="0"/><node id="999999999"/></nodes>'
              '<edges><edge source="0" target="999999999"/></edges></graph></gexf>\n', "gexf"),
    read_case("graphml DTD attribute default", lambda: dtd_defaults("graphml"), "graphml"),
    read_case("gexf DTD attribute default", lambda: dtd_defaults("gexf"), "gexf"),
    read_case("graphml 40,000 keys", many_keys, "graphml"),
    *(read_case(f"graphml {keys:,} keys, {nodes:,} nodes", lambda k=keys, n=nodes: many_keys(k, nodes=n), "graphml")
      for keys in (8_000, 40_000) for nodes in (2_000, 5_000)),
    *(read_case(f"gexf {keys:,} attributes, {nodes:,} nodes", lambda k=keys, n=nodes: many_gexf_attributes(k, n),
                "gexf")
      for keys in (8_000, 40_000) for nodes in (2_000, 5_000)),
    read_case("graphml 40,000 keys, one per node", lambda: many_keys(each_its_own=True), "graphml"),
    read_case("edgelist one 32 MB line", lambda: "x" * (32 * MB) + " y\n", "edgelist"),
    read_case("graphml one 128 MB attribute",
              lambda: '<graphml><graph edgedefault="undirected"><node id="' + "x" * (128 * MB)
              + '"/></graph></graphml>\n', "graphml"),
]

# One link or one node per call on graphs of 10^4 and 10^6 nodes: the median call.
PER_CALL = """
import statistics
graph = mivora.Graph.from_edges(list(range(NODES - 1)), list(range(1, NODES)))
times = []
for k in range(200):
    start = time.perf_counter()
    CALL
    times.append(time.perf_counter() - start)
per_call = "median call %.1f us" % (statistics.median(times) * 1e6)
"""
for nodes in (10_000, 1_000_000):
    for label, call in [("add_edges(ids)", "graph.add_edges([0], [1])"),
                        ("add_edges(new label)", "graph.add_edges([f'new{k}'], ['0'])"),
                        ("add_nodes", "graph.add_nodes([f'node{k}'])"),
                        ("create_connection", "graph.create_connection('0', '1')")]:  # the floor
        CASES.append((f"{label} on {nodes:,} nodes", None,
                      PER_CALL.replace("NODES", str(nodes)).replace("CALL", call), "per call"))

CHILD = """
import sys, time
import mivora
PATH = sys.argv[1]
began = time.perf_counter()
try:
{body}
    outcome = {outcome}
except BaseException as error:
    outcome = type(error).__name__ + ": " + str(error)[:90]
print("%.3f|%s" % (time.perf_counter() - began, outcome))
"""


def run_child(body, result, path, memory_gib, cpu_seconds):
    """The child's stdout, stderr, exit status and peak resident KiB (its own rusage, reaped by wait4)."""
    if result == "graph":
        outcome = '"%d nodes, %d links" % (graph.get_node_count(), graph.get_edge_count())'
    else:
        outcome = "per_call"
    script = CHILD.format(body=textwrap.indent(textwrap.dedent(body).strip(), "    "), outcome=outcome)

    def limits():
        limit = int(memory_gib * (1 << 30))
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        resource.setrlimit(resource.RLIMIT_CPU, (cpu_seconds, cpu_seconds))

    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        child = subprocess.Popen([sys.executable, "-c", script, path], stdout=out, stderr=err, preexec_fn=limits)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        return out.read(), err.read(), child.returncode, usage.ru_maxrss


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--only", nargs="*", default=[], help="run the cases whose name holds one of these")
    parser.add_argument("--memory-gib", type=float, default=5.0)
    parser.add_argument("--cpu-seconds", type=int, default=120)
    args = parser.parse_args(argv)
    baseline = run_child("pass", None, "", args.memory_gib, args.cpu_seconds)[3]
    print(f"peak memory of an interpreter that imported mivora: {baseline / 1024:.0f} MB")
    print(f"{'case':40} {'input':>11} {'seconds':>8} {'peak MB':>8} {'peak/input':>10}  outcome")
    with tempfile.TemporaryDirectory() as folder:
        for name, text, body, result in CASES:
            if args.only and not any(part in name for part in args.only):
                continue
            path = os.path.join(folder, "input")
            size = 0
            if text is not None:
                data = (text() if callable(text) else text).encode()
                size = len(data)
                with open(path, "wb") as file:
                    file.write(data)
                del data
            out, err, code, peak_kib = run_child(body, result, path, args.memory_gib, args.cpu_seconds)
            if code != 0 or "|" not in out:
                seconds, outcome = "-", f"exit {code}: " + (err.strip().splitlines() or [""])[-1][:80]
            else:
                seconds, outcome = out.strip().split("|", 1)
            # Beyond the interpreter's own, per input byte.
            ratio = f"{max(peak_kib - baseline, 0) * 1024 / size:10.1f}" if size else " " * 10
            print(f"{name:40} {size:>11,} {seconds:>8} {peak_kib / 1024:8.0f} {ratio}  {outcome}", flush=True)


if __name__ == "__main__":
    main()
