#!/usr/bin/env bash
# Installs what building and testing mivora needs on a Debian machine:
# system packages through apt (as root), Python packages through pip.
#   tools/install_deps.sh          everything the test suite, docs and wheels need
#   tools/install_deps.sh --demo   only the compiler, build tools and what the demo reads
# RapidJSON and Expat come with the source (third_party/).
set -euo pipefail
PYTHON=${PYTHON:-python3}
here=$(dirname "$0")

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
