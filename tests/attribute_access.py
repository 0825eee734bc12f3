"""Attribute columns of a graph as plain dicts {name: [value or None, ...]}, for the file tests."""
import numpy as np

KINDS = {"f": "float", "i": "int", "b": "bool"}
PYTHON_TYPES = {float: "float", int: "int", bool: "bool", str: "str"}


def _values(column):
    return column.tolist() if isinstance(column, np.ndarray) else list(column)


def _type(column):
    if isinstance(column, np.ndarray):
        return KINDS[column.dtype.kind]
    kinds = {PYTHON_TYPES[type(v)] for v in column if v is not None}
    assert len(kinds) <= 1, kinds
    return kinds.pop() if kinds else None


def node_columns(graph):
    return {name: _values(graph.node_attribute(name)) for name in graph.node_attribute_names()}


def link_columns(graph):
    return {name: _values(graph.edge_attribute(name)) for name in graph.edge_attribute_names()}


def node_types(graph):
    return {name: _type(graph.node_attribute(name)) for name in graph.node_attribute_names()}


def link_types(graph):
    return {name: _type(graph.edge_attribute(name)) for name in graph.edge_attribute_names()}
