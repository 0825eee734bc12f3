#!/usr/bin/env bash
# Builds (once) a folder holding an arm64 Debian CPython 3.11 and the test
# suite's packages, for running an aarch64 wheel under qemu-user on an x86-64
# machine, and prints its path. Nothing is installed into the machine itself
# but qemu-user-static (tools/install_deps.sh --aarch64, which also adds arm64
# to apt's architectures): the arm64 .deb files are fetched with `apt-get
# download` and unpacked with `dpkg -x`, and the Python packages are the
# aarch64 manylinux wheels of PyPI, installed with pip into the folder's site
# directory.
#
#   tools/aarch64_sysroot.sh [folder]   default build-aarch64/sysroot
#
# The folder holds:
#   usr/bin/python3.11        Debian's arm64 interpreter
#   python3                   runs it under qemu (also what sys.executable
#                             names, so the suite's subprocesses work too)
#   site/                     numpy, networkx, pytest, ... for aarch64
#   include/python3.11/       the arm64 CPython headers, with the arm64
#                             pyconfig.h (what the wheel build compiles against)
# Delete the folder to build it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sysroot=${1:-$root/build-aarch64/sysroot}
mkdir -p "$sysroot"
sysroot=$(cd "$sysroot" && pwd)
stamp=$sysroot/.complete
if [ -e "$stamp" ]; then
  echo "$sysroot"
  exit 0
fi

{
"$root/tools/install_deps.sh" --aarch64

# The interpreter, its standard library and the libraries they and the
# wheels below load (manylinux wheels may take libstdc++ and libgcc_s from
# the system); the -dev package for the headers only.
packages=(
  libc6 libgcc-s1 libstdc++6 zlib1g libexpat1 libssl3 libffi8 libbz2-1.0 liblzma5
  libcrypt1 libuuid1 libsqlite3-0 libncursesw6 libtinfo6 libreadline8
  python3.11-minimal libpython3.11-minimal libpython3.11-stdlib libpython3.11-dev
)
debs=$sysroot/.debs
mkdir -p "$debs"
if ! (cd "$debs" && apt-get download -q "${packages[@]/%/:arm64}" >/dev/null); then
  apt-get update -qq
  (cd "$debs" && apt-get download -q "${packages[@]/%/:arm64}" >/dev/null)
fi
for deb in "$debs"/*.deb; do
  dpkg -x "$deb" "$sysroot"
done
rm -rf "$debs"

# The headers as one folder: Debian's pyconfig.h picks the architecture's own
# from a multiarch folder, which the compiler would only find with the whole
# /usr/include of the sysroot (and its newer glibc headers) on its path.
mkdir -p "$sysroot/include"
cp -r "$sysroot/usr/include/python3.11" "$sysroot/include/"
cp "$sysroot/usr/include/aarch64-linux-gnu/python3.11/pyconfig.h" "$sysroot/include/python3.11/pyconfig.h"

# A host script that starts the arm64 interpreter under qemu. Given as the
# interpreter's argv[0] it becomes sys.executable, so subprocesses of the
# suite start through it again (the kernel here knows no arm64 binaries).
cat >"$sysroot/python3" <<'SH'
#!/bin/sh
here=$(dirname "$(readlink -f "$0")")
PYTHONPATH="$here/site${PYTHONPATH:+:$PYTHONPATH}" exec qemu-aarch64-static -L "$here" -0 "$here/python3" "$here/usr/bin/python3.11" "$@"
SH
chmod +x "$sysroot/python3"

# The suite's packages for aarch64, at the versions this machine's Python
# has where it has them (the same oracle versions as the x86-64 run).
wanted=(pytest numpy networkx scipy pandas pyarrow polars igraph pyelftools)
pinned=()
for name in "${wanted[@]}"; do
  version=$(python3 -c "import importlib.metadata as m, sys
try: print(m.version(sys.argv[1]))
except m.PackageNotFoundError: pass" "$name")
  pinned+=("$name${version:+==$version}")
done
python3 -m pip install -q --disable-pip-version-check --target "$sysroot/site" \
  --only-binary=:all: --implementation cp --python-version 3.11 --abi cp311 \
  --platform manylinux_2_36_aarch64 --platform manylinux_2_34_aarch64 --platform manylinux_2_28_aarch64 \
  --platform manylinux2014_aarch64 "${pinned[@]}"

"$sysroot/python3" -c 'import sys, platform, numpy; print("arm64 sysroot:", sys.version.split()[0], platform.machine(), "numpy", numpy.__version__)'
touch "$stamp"
} >&2
echo "$sysroot"
