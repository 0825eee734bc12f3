"""Attribute columns of a graph as plain dicts, for the file tests."""


def node_columns(graph):
    raise NotImplementedError


def link_columns(graph):
    raise NotImplementedError


def node_types(graph):
    raise NotImplementedError


def link_types(graph):
    raise NotImplementedError
