"""Numbers become text the same way under any locale of the C library: a
German locale (decimal comma) must not change one byte of a file, a page,
the notebook view or a message."""
import locale
import os
import subprocess

import pytest

import mivora

GERMAN = "de_DE.UTF-8"


def set_locale(name):
    try:
        locale.setlocale(locale.LC_ALL, name)
        return True
    except locale.Error:
        return False


@pytest.fixture(scope="module")
def german(tmp_path_factory):
    """A German locale for this process: the system's, or one built with
    localedef into a folder of our own (read through LOCPATH, which the C
    library consults on every setlocale)."""
    previous = locale.setlocale(locale.LC_ALL)
    if not set_locale(GERMAN):
        folder = tmp_path_factory.mktemp("locales")
        try:
            subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(folder / GERMAN)],
                           check=True, capture_output=True)
        except (OSError, subprocess.CalledProcessError) as error:
            pytest.skip(f"no German locale and localedef could not build one: {error}")
        os.environ["LOCPATH"] = str(folder)
        if not set_locale(GERMAN):
            pytest.skip("localedef built a German locale but it cannot be selected")
    assert locale.localeconv()["decimal_point"] == ","
    locale.setlocale(locale.LC_ALL, previous)
    yield
    locale.setlocale(locale.LC_ALL, previous)


def small_graph(tmp_path):
    """Fractional weights and positions, read back so the positions are stored."""
    source = tmp_path / "small.json"
    source.write_text(
        '{"nodes": [{"label": "a", "x": 100.25, "y": 200.5}, {"label": "b", "x": 1234.125, "y": 650.75},'
        ' {"label": "c", "x": 700.5, "y": 30.0625}],'
        ' "edges": [{"source": "a", "target": "b", "weight": 1.5}],'
        ' "arcs": [{"source": "b", "target": "c", "weight": 0.1}, {"source": "c", "target": "a", "weight": 2.75}]}')
    return mivora.Graph.read(source)


def large_graph():
    """More nodes than the notebook draws: it shows the summary table."""
    sources = list(range(2100))
    return mivora.Graph.from_edges(sources, [(s * 7 + 1) % 2100 for s in sources],
                                   weights=[0.5 + s / 3 for s in sources], directed=True)


def message_of(call):
    try:
        call()
    except Exception as error:  # the text is what is compared
        return f"{type(error).__name__}: {error}"
    return "no error"


def everything(tmp_path, tag):
    """Every output that holds numbers, as bytes or text."""
    graph = small_graph(tmp_path)
    out = {}
    for format_name in ("pajek", "gml", "graphml", "gexf", "edgelist", "json"):
        path = tmp_path / f"{tag}.{format_name}"
        graph.write(path, format_name)
        out[format_name] = path.read_bytes()
    graph.output_net_file(str(tmp_path / f"{tag}.net"))
    graph.output_json_file(str(tmp_path / f"{tag}.old.json"))
    graph.output_html(str(tmp_path / f"{tag}.html"))
    graph.output_webgl(tmp_path / f"{tag}.webgl.html")
    for name in (f"{tag}.net", f"{tag}.old.json", f"{tag}.html", f"{tag}.webgl.html"):
        out[name.removeprefix(tag)] = (tmp_path / name).read_bytes()
    out["svg"] = graph.output_svg()
    out["notebook"] = graph._repr_html_()
    out["summary"] = large_graph()._repr_html_()
    negative = mivora.Graph()
    negative.add_node("x")
    negative.add_node("y")
    negative.create_connection("x", "y", -1.5)
    out["path message"] = message_of(lambda: negative.shortest_path("x", "y"))
    out["closeness message"] = message_of(lambda: negative.closeness_centrality(weighted=True))
    out["pagerank message"] = message_of(lambda: graph.pagerank(max_iter=1, tol=1e-300))
    bad = tmp_path / f"{tag}.bad.gml"
    bad.write_text("graph [\n  node [ id 1 ]\n  edge [ source 1 target 2.5 ]\n]\n")
    out["format message"] = message_of(lambda: mivora.Graph.read(bad)).replace(str(bad), "<file>")
    return out


def test_outputs_do_not_depend_on_the_locale(tmp_path, german):
    plain = everything(tmp_path, "c")
    locale.setlocale(locale.LC_ALL, GERMAN)
    try:
        localised = everything(tmp_path, "de")
    finally:
        locale.setlocale(locale.LC_ALL, "C")
    assert "0.1" in plain["svg"] or "0.1" in plain["json"].decode()
    assert "density" in plain["summary"] and "weighs -1.5" in plain["path message"]
    for name in plain:
        assert localised[name] == plain[name], name
