#!/usr/bin/env bash
# Installs the wheel of dist/ that matches the given Python into a fresh
# virtual environment and runs the test suite, stubtest and the typed
# example there, against the installed module only (not the build folder).
# The environment sees the interpreter's own packages (the test
# requirements), never a copy of mivora: that comes from the wheel alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PYTHON=${PYTHON:-python3}
unset PYTHONPATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tag=$("$PYTHON" -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
wheel=$(ls "$root"/dist/mivora-*-"$tag"-"$tag"-manylinux*_"$(uname -m)".whl)
echo "checking $wheel"

"$PYTHON" -m venv --system-site-packages "$work/venv"
venv_python="$work/venv/bin/python"
"$venv_python" -m pip install -q --disable-pip-version-check --no-deps "$wheel"

# From a folder outside the source tree, so only the installed module is found.
cp -r "$root/tests" "$root/examples" "$root/src" "$work/"  # some tests read the page sources
mkdir -p "$work/docs" && cp -r "$root/docs/src" "$work/docs/"  # and the guide, whose examples run
cd "$work"
"$venv_python" - <<'PY'
import pathlib, sys, mivora
module = pathlib.Path(mivora.__file__)
assert str(module).startswith(sys.prefix), module
assert (module.parent / "mivora.pyi").is_file(), "stubs not installed beside the module"
print("installed:", module)
PY
# The symbol versions the module imports, against the wheel's manylinux tag.
"$venv_python" -m pytest -q -s -p no:cacheprovider tests/wheel_symbols_check.py
"$venv_python" -m pytest -q -p no:cacheprovider tests
"$venv_python" -m mypy.stubtest mivora
"$venv_python" -m mypy --strict --no-incremental examples/typed_example.py
# The wheel must compute what the build folder's module computes (another
# compiler, the same bytes): drawings, files and measures, when REFERENCE_BUILD
# names a build folder with a module for this Python (make wheels passes its
# BUILD_DIR).
suffix=$("$PYTHON" -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
if [ -n "${REFERENCE_BUILD:-}" ] && [ -e "$REFERENCE_BUILD/mivora$suffix" ]; then
  "$venv_python" "$root/tools/write_outputs.py" "$work/outputs-wheel"
  PYTHONPATH="$REFERENCE_BUILD" "$PYTHON" "$root/tools/write_outputs.py" "$work/outputs-build"
  diff -r "$work/outputs-build" "$work/outputs-wheel"
  echo "the wheel writes the same bytes as $REFERENCE_BUILD/mivora$suffix"
else
  echo "no build folder module for this Python (REFERENCE_BUILD): outputs not compared"
fi
echo "wheel check passed: $(basename "$wheel")"
