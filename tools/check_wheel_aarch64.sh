#!/usr/bin/env bash
# Checks the aarch64 wheel of dist/ on this x86-64 machine: Debian's arm64
# CPython 3.11 (tools/aarch64_sysroot.sh) runs under qemu-user with the wheel
# installed into a folder of its own and the suite's packages for aarch64.
#
#   AARCH64_TESTS=all (default)  the symbol versions, then the test suite
#                                but for the browser tests (no arm64
#                                Chromium here; the pages they drive are
#                                compared byte for byte below instead)
#   AARCH64_TESTS=smoke          the symbol versions, a few calls and the
#                                outputs comparison only
#   REFERENCE_BUILD=<folder>     a build folder whose x86-64 module (for
#                                REFERENCE_PYTHON, default python3) writes
#                                the reference outputs: tools/write_outputs.py's
#                                files must be the same bytes from both
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
unset PYTHONPATH
AARCH64_TESTS=${AARCH64_TESTS:-all}
case "$AARCH64_TESTS" in all|smoke) ;; *) echo "AARCH64_TESTS is all or smoke, not $AARCH64_TESTS" >&2; exit 2 ;; esac
sysroot=$("$root/tools/aarch64_sysroot.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wheel=$(ls "$root"/dist/mivora-*-cp311-cp311-manylinux*_aarch64.whl)
echo "checking $wheel under $(qemu-aarch64-static --version | head -n1)"
python3 -m pip install -q --disable-pip-version-check --no-deps --target "$work/site" \
  --only-binary=:all: --implementation cp --python-version 3.11 --abi cp311 \
  --platform manylinux_2_17_aarch64 "$wheel"
export PYTHONPATH=$work/site
python="$sysroot/python3"

# From a folder outside the source tree, so only the installed module is found.
cp -r "$root/tests" "$root/examples" "$root/src" "$work/"  # some tests read the page sources
mkdir -p "$work/docs" && cp -r "$root/docs/src" "$work/docs/"  # and the guide, whose examples run
cd "$work"
"$python" - <<'PY'
import pathlib, platform, mivora
module = pathlib.Path(mivora.__file__)
assert platform.machine() == "aarch64", platform.machine()
assert module.name.endswith("-aarch64-linux-gnu.so") and module.parent.name == "site", module
assert (module.parent / "mivora.pyi").is_file(), "stubs not installed beside the module"
graph = mivora.Graph.from_networkx(__import__("networkx").karate_club_graph())
assert graph.get_node_count() == 34 and graph.get_edge_count() == 78
print("installed:", module, "on", platform.machine())
PY
"$python" -m pytest -q -s -p no:cacheprovider tests/wheel_symbols_check.py
started=$(date +%s)
if [ "$AARCH64_TESTS" = all ]; then
  "$python" -m pytest -q -p no:cacheprovider tests \
    --ignore=tests/test_viewer.py --ignore=tests/test_webgl_viewer.py --ignore=tests/test_webgl_attributes.py
  echo "the suite took $(($(date +%s) - started)) s under qemu"
fi

# The wheel must compute what the x86-64 build computes: drawings, files and
# measures byte for byte. Both architectures round every operation the same
# way (no fused multiply-add on either: CMakeLists.txt), and the module calls
# the same glibc functions on both.
if [ -n "${REFERENCE_BUILD:-}" ]; then
  reference_python=${REFERENCE_PYTHON:-python3}
  suffix=$("$reference_python" -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
  [ -e "$REFERENCE_BUILD/mivora$suffix" ] || { echo "no module $REFERENCE_BUILD/mivora$suffix to compare with" >&2; exit 1; }
  started=$(date +%s)
  "$python" "$root/tools/write_outputs.py" "$work/outputs-aarch64"
  echo "write_outputs.py took $(($(date +%s) - started)) s under qemu"
  PYTHONPATH="$REFERENCE_BUILD" "$reference_python" "$root/tools/write_outputs.py" "$work/outputs-build"
  diff -r "$work/outputs-build" "$work/outputs-aarch64"
  echo "the aarch64 wheel writes the same $(find "$work/outputs-build" -type f | wc -l) files as $REFERENCE_BUILD/mivora$suffix"
else
  echo "no REFERENCE_BUILD: outputs not compared"
fi
echo "aarch64 wheel check passed: $(basename "$wheel")"
