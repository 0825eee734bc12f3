"""GraphStyle fields and the Layout enumeration."""
import numpy as np
import pytest

import mivora

DEFAULTS = {
    "node_color": "blue", "node_border": "blue", "node_radius": 20, "marker_svg": "M0,0 L0,6 L9,3 z",
    "marker_fill": "black", "marker_width": 30, "marker_height": 30, "line_color": "black",
    "line_min_width": 1, "line_max_width": 5, "dynamic_line_size": True,
}


def fields(style):
    return {name: getattr(style, name) for name in DEFAULTS}


@pytest.mark.parametrize("style", [mivora.GraphStyle(), mivora.GraphStyle(*[None] * 11)])
def test_defaults(style):
    assert fields(style) == DEFAULTS


def test_positional_order_and_independent_defaults():
    values = ["red", "green", 7, "M0,0", "grey", 3, 4, "pink", -2, 9, False]
    assert list(fields(mivora.GraphStyle(*values)).values()) == values
    assert fields(mivora.GraphStyle(node_color="red")) == {**DEFAULTS, "node_color": "red"}


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        ("node_radius", 2.5, TypeError, "argument 'node_radius': 'float' object cannot be interpreted as an integer"),
        ("node_radius", 2**31, OverflowError, "out of range integral type conversion attempted"),
        ("marker_width", -(2**31) - 1, OverflowError, "out of range integral type conversion attempted"),
        ("node_radius", 2**64, OverflowError, None),
        ("dynamic_line_size", 1, TypeError, "argument 'dynamic_line_size': 'int' object cannot be converted to 'PyBool'"),
        ("line_color", 3, TypeError, "argument 'line_color': 'int' object cannot be converted to 'PyString'"),
    ],
)
def test_bad_values_are_refused_by_constructor_and_assignment(name, value, error, message):
    with pytest.raises(error) as raised:
        mivora.GraphStyle(**{name: value})
    if message:
        assert str(raised.value) == message
    style = mivora.GraphStyle()
    with pytest.raises(error):
        setattr(style, name, value)
    assert getattr(style, name) == DEFAULTS[name]


@pytest.mark.parametrize(
    "name, value, stored",
    [("node_radius", -5, -5), ("node_radius", True, 1), ("marker_height", 2**31 - 1, 2**31 - 1),
     ("dynamic_line_size", np.bool_(False), False), ("line_color", "#ff0000", "#ff0000")],
)
def test_accepted_values(name, value, stored):
    style = mivora.GraphStyle()
    setattr(style, name, value)
    assert getattr(style, name) == stored and type(getattr(style, name)) is type(stored)


def test_none_does_not_reset_and_delete_is_refused():
    style = mivora.GraphStyle(node_radius=7)
    with pytest.raises(TypeError):
        style.node_radius = None
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del style.marker_svg
    assert (style.node_radius, style.marker_svg) == (7, DEFAULTS["marker_svg"])


def test_layout_members():
    Layout = mivora.Layout
    assert [int(Layout.Random), int(Layout.Circular), int(Layout.Spring)] == [0, 1, 2]
    assert Layout.Random == 0 and Layout.Spring == 2 and Layout.Circular != 2
    assert Layout.Circular != Layout.Spring and Layout.Spring == Layout.Spring
    assert repr(Layout.Circular) == "Layout.Circular"
    with pytest.raises(TypeError):
        Layout.Random < Layout.Spring
    with pytest.raises(TypeError):
        Layout()
