#!/usr/bin/env bash
# Installs the clang that `make fuzz` needs (libFuzzer ships with its
# compiler-rt) on a Debian machine, as root. With --compiler, only prints the
# compiler to use. clang 16 is the first whose C++20 library support covers
# std::source_location with libstdc++ 12.
set -euo pipefail
version=16
if [ "${1:-}" = "--compiler" ]; then
  echo "clang++-$version"
  exit 0
fi
missing=()
for package in "clang-$version" "libclang-rt-$version-dev"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing system packages: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
