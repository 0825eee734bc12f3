#!/usr/bin/env bash
# Builds the wheel with `pip wheel . -w dist/`, installs it into a fresh
# virtual environment and runs the test suite and the typed example there,
# against the installed module only (not the build folder). Slow: it
# compiles the module from scratch. Not part of CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PYTHON=${PYTHON:-python3}
unset PYTHONPATH  # the Makefile points it at the build folder
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$root"
rm -f dist/mivora-*.whl
"$PYTHON" -m pip wheel . -w dist/ --no-deps
wheel=$(ls dist/mivora-*.whl)
echo "built $wheel"

"$PYTHON" -m venv "$work/venv"
venv_python="$work/venv/bin/python"
"$venv_python" -m pip install -q --disable-pip-version-check "$wheel[test]" mypy

# From a folder outside the source tree, so only the installed module is found.
cp -r "$root/tests" "$root/examples" "$work/"
cd "$work"
"$venv_python" - <<'PY'
import pathlib, sys, mivora
module = pathlib.Path(mivora.__file__)
assert str(module).startswith(sys.prefix), module
assert (module.parent / "mivora.pyi").is_file(), "stubs not installed beside the module"
print("installed:", module)
PY
"$venv_python" -m pytest -q -p no:cacheprovider tests
"$venv_python" -m mypy.stubtest mivora
"$venv_python" -m mypy --strict examples/typed_example.py
echo "wheel check passed: $(basename "$wheel")"
