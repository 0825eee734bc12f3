"""examples/demo.py: its own copy of the karate club agrees with networkx's,
and a run writes the drawings and prints the club's figures."""
import os
import pathlib
import runpy
import subprocess
import sys

import networkx as nx

import mivora

DEMO = pathlib.Path(__file__).resolve().parent.parent / "examples" / "demo.py"


def karate_club_links():
    # The demo's own globals, without running its main part.
    return runpy.run_path(str(DEMO), run_name="demo")["karate_club_links"]()


def test_karate_club_matches_networkx():
    club = nx.karate_club_graph()
    expected = [(a, b, data["weight"]) for a, b, data in club.edges(data=True)]
    assert karate_club_links() == expected


def test_demo_run_writes_its_files(tmp_path):
    # The demo runs in tmp_path: it finds the module where this test found it.
    found = str(pathlib.Path(mivora.__file__).resolve().parent)
    env = {**os.environ, "PYTHONPATH": os.pathsep.join(filter(None, [found, os.environ.get("PYTHONPATH")]))}
    result = subprocess.run([sys.executable, str(DEMO)], cwd=tmp_path, env=env, capture_output=True, text=True,
                            check=True)
    assert "nodes 34, connections 78, total weight 231" in result.stdout
    assert "best connected: member 33 (17), member 0 (16), member 32 (12)" in result.stdout
    for name in ("demo.svg", "demo.html", "demo-webgl.html"):
        assert (tmp_path / name).stat().st_size > 1000
