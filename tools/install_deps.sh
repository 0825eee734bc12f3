#!/usr/bin/env bash
# Installs what building and testing mivora needs on a Debian machine:
# system packages through apt (as root), Python packages through pip.
set -euo pipefail
PYTHON=${PYTHON:-python3}

apt_packages=(g++ rapidjson-dev libexpat1-dev chromium strace)
missing=()
for package in "${apt_packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing system packages: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

"$PYTHON" -m pip install -q --disable-pip-version-check -r "$(dirname "$0")/../requirements-dev.txt"
