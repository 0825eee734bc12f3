#!/usr/bin/env bash
# Prints the path of a CPython interpreter of the given version (3.11, 3.12,
# 3.13): pyenv's build if present, else python3.X on the PATH.
set -euo pipefail
version=$1
for candidate in /root/.pyenv/versions/"$version".*/bin/python3 "$(command -v "python$version" || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then
    echo "$candidate"
    exit 0
  fi
done
echo "CPython $version not found" >&2
exit 1
