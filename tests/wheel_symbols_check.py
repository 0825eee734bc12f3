"""Run by tools/check_wheel.sh against the module installed from a wheel (not
collected by the ordinary suite, whose build-folder module targets this
machine's C library): the module asks the C library for no symbol version
newer than the wheel's manylinux tag promises, links no C++ runtime from the
system, and needs only libraries every manylinux system has."""
import importlib.metadata
import re

import pytest
from elftools.elf.dynamic import DynamicSection
from elftools.elf.elffile import ELFFile
from elftools.elf.gnuversions import GNUVerNeedSection

import mivora

# The libraries that the manylinux policies let a wheel take from the system.
BASELINE_LIBRARIES = {
    "libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1",
    "ld-linux-x86-64.so.2", "ld-linux-aarch64.so.1",
}


def wheel_glibc() -> tuple[int, int]:
    tags = importlib.metadata.distribution("mivora").read_text("WHEEL") or ""
    versions = {(int(major), int(minor)) for major, minor in re.findall(r"^Tag: \S+-manylinux_(\d+)_(\d+)_", tags, re.M)}
    assert len(versions) == 1, f"expected one manylinux_X_Y tag in:\n{tags}"
    return versions.pop()


def module_imports() -> tuple[list[str], list[tuple[str, str]]]:
    with open(mivora.__file__, "rb") as file:
        elf = ELFFile(file)
        needed, versions = [], []
        for section in elf.iter_sections():
            if isinstance(section, DynamicSection):
                needed += [tag.needed for tag in section.iter_tags() if tag.entry.d_tag == "DT_NEEDED"]
            if isinstance(section, GNUVerNeedSection):
                for library, auxiliaries in section.iter_versions():
                    versions += [(library.name, aux.name) for aux in auxiliaries]
        return needed, versions


def as_tuple(version: str) -> tuple[int, ...]:
    return tuple(int(part) for part in version.split("."))


def test_glibc_versions_within_the_wheel_tag():
    limit = wheel_glibc()
    glibc = sorted({name for _, name in module_imports()[1] if name.startswith("GLIBC_")}, key=lambda n: as_tuple(n[6:]))
    print(f"{mivora.__file__}: imports {', '.join(glibc)}; the tag allows up to GLIBC_{limit[0]}.{limit[1]}")
    assert glibc, "no versioned C library symbols found: not the module?"
    too_new = [name for name in glibc if as_tuple(name[6:]) > limit]
    assert not too_new


@pytest.mark.parametrize("prefix", ["GLIBCXX_", "CXXABI_", "GCC_"])
def test_no_cxx_runtime_from_the_system(prefix):
    assert [entry for entry in module_imports()[1] if entry[1].startswith(prefix)] == []


def test_needed_libraries_are_on_every_manylinux_system():
    needed = module_imports()[0]
    assert "libc.so.6" in needed
    assert set(needed) <= BASELINE_LIBRARIES
