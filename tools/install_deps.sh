#!/usr/bin/env bash
# Installs what building and testing mivora needs on a Debian machine:
# system packages through apt (as root), Python packages through pip.
#   tools/install_deps.sh          everything the test suite, docs and wheels need
#   tools/install_deps.sh --demo   only the compiler, build tools and what the demo reads
#   tools/install_deps.sh --aarch64  qemu-user and apt's arm64 architecture, for
#                                  the aarch64 wheel's check (tools/aarch64_sysroot.sh)
# RapidJSON and Expat come with the source (third_party/).
set -euo pipefail
PYTHON=${PYTHON:-python3}
here=$(dirname "$0")

if [ "${1:-}" = --aarch64 ]; then
  # arm64 packages are only downloaded and unpacked into a folder, never
  # installed: apt needs to know the architecture for `apt-get download`.
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
    apt-get update -qq
  fi
  if ! dpkg -s qemu-user-static >/dev/null 2>&1; then
    echo "installing system packages: qemu-user-static"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq qemu-user-static >/dev/null
  fi
  exit 0
fi

if [ "${1:-}" = --demo ]; then
  apt_packages=(g++)
  requirements="$here/../requirements-demo.txt"
else
  apt_packages=(g++ chromium strace)
  requirements="$here/../requirements-dev.txt"
fi
missing=()
for package in "${apt_packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing system packages: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The demo builds with the cmake and ninja found on the PATH; pip (seconds
# even when it has nothing to do) runs only when one of them is missing or
# cmake is older than 3.20.
if [ "${1:-}" = --demo ] && command -v ninja >/dev/null 2>&1 &&
   cmake_version=$(cmake --version 2>/dev/null | sed -n '1s/^cmake version \([0-9]*\.[0-9]*\).*/\1/p') &&
   [ -n "$cmake_version" ] &&
   printf '3.20\n%s\n' "$cmake_version" | sort -C -V; then
  exit 0
fi
"$PYTHON" -m pip install -q --disable-pip-version-check -r "$requirements"
