"""Attribute columns of a graph as plain dicts {name: [value or None, ...]}, for the file tests."""
import os
import tempfile
import xml.etree.ElementTree as ET

NS = "{http://graphml.graphdrawing.org/xmlns}"
TYPES = {"double": "float", "long": "int", "boolean": "bool", "string": "str"}
PARSE = {"float": float, "int": int, "bool": lambda t: t == "true", "str": str}


def _columns(graph):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "g.graphml")
        graph.write(path)
        root = ET.parse(path).getroot()
    keys = {k.get("id"): (k.get("for"), k.get("attr.name"), TYPES[k.get("attr.type")]) for k in root.iter(NS + "key")
            if k.get("id")[0] in "ne" and k.get("id")[1:].isdigit()}
    out = {"node": {}, "edge": {}}
    types = {"node": {}, "edge": {}}
    for domain in ("node", "edge"):
        items = list(root.iter(NS + domain))
        for key, (owner, name, kind) in keys.items():
            if owner != domain:
                continue
            values = []
            for item in items:
                found = [d.text or "" for d in item.findall(NS + "data") if d.get("key") == key]
                values.append(PARSE[kind](found[0]) if found else None)
            out[domain][name] = values
            types[domain][name] = kind
    return out, types


def node_columns(graph):
    return _columns(graph)[0]["node"]


def link_columns(graph):
    return _columns(graph)[0]["edge"]


def node_types(graph):
    return _columns(graph)[1]["node"]


def link_types(graph):
    return _columns(graph)[1]["edge"]
