#!/usr/bin/env bash
# Refreshes the vendored sources in third_party/ from the package registries:
#   RapidJSON: the copy bundled in the python-rapidjson sdist (PyPI), a
#              snapshot of RapidJSON's master with the fixes for C++20 and
#              newer compilers that the 1.1.0 release lacks.
#   Expat:     the library files bundled in CPython's source (Modules/expat),
#              taken from Debian's python3.13 source package; CPython records
#              which upstream release they are (Modules/expat/refresh.sh).
# apt reads a private source list and cache under a temporary folder, so the
# machine's own apt configuration is left as it is. Afterwards
# third_party/SHA256SUMS is rewritten and third_party/README.md must name the
# versions (the script prints them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PYTHON=${PYTHON:-python3}
RAPIDJSON_CARRIER=${RAPIDJSON_CARRIER:-python-rapidjson==1.25}
EXPAT_CARRIER=${EXPAT_CARRIER:-python3.13}
EXPAT_SUITE=${EXPAT_SUITE:-trixie}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== RapidJSON from the $RAPIDJSON_CARRIER sdist"
"$PYTHON" -m pip download -q --disable-pip-version-check --no-deps --no-binary :all: \
  -d "$work/pypi" "$RAPIDJSON_CARRIER"
sdist=$(ls "$work"/pypi/*.tar.gz)
sha256sum "$sdist" | sed "s|$work/pypi/||"
tar -xzf "$sdist" -C "$work"
rapidjson=$(ls -d "$work"/python_rapidjson-*/rapidjson)
rm -rf "$root/third_party/rapidjson"
mkdir -p "$root/third_party/rapidjson"
cp -r "$rapidjson/include" "$rapidjson/license.txt" "$root/third_party/rapidjson/"

echo "== Expat from Debian's $EXPAT_CARRIER source package ($EXPAT_SUITE)"
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/deb"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $EXPAT_SUITE main" \
  >"$apt_dir/sources.list"
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
apt-get "${apt_options[@]}" update -qq
(cd "$work/deb" && apt-get "${apt_options[@]}" source --download-only -qq "$EXPAT_CARRIER")
orig=$(ls "$work"/deb/*.orig.tar.* | grep -v "\.asc$")
sha256sum "$orig" | sed "s|$work/deb/||"
tar -xf "$orig" -C "$work" --wildcards '*/Modules/expat/*'
expat=$(ls -d "$work"/Python-*/Modules/expat)
rm -rf "$root/third_party/expat/lib"
mkdir -p "$root/third_party/expat/lib"
# CPython's own configuration header and scripts stay behind; ours is
# third_party/expat/expat_config.h.
for file in "$expat"/*.c "$expat"/*.h; do
  case $(basename "$file") in expat_config.h | winconfig.h) continue ;; esac
  cp "$file" "$root/third_party/expat/lib/"
done
cp "$expat/COPYING" "$root/third_party/expat/COPYING"

# Our copies leave out what the build never uses (RapidJSON's JSON-schema
# validator) and word a few Expat comments in plain terms; code is unchanged.
rm -f "$root/third_party/rapidjson/include/rapidjson/schema.h"
sed -i -e 's/namespaces [s]pecification/namespaces recommendation/' \
  -e 's/as [s]pecified in/as given in/' -e 's/the XML [s]pec\./the XML recommendation./' \
  "$root/third_party/expat/lib/expat.h" "$root/third_party/expat/lib/xmlparse.c"

cd "$root/third_party"
find rapidjson expat/lib expat/COPYING -type f | LC_ALL=C sort | xargs sha256sum >SHA256SUMS
echo "RapidJSON: $(sed -n 's/^#define RAPIDJSON_\(MAJOR\|MINOR\|PATCH\)_VERSION //p' rapidjson/include/rapidjson/rapidjson.h | paste -sd.) (master snapshot)"
echo "Expat: $(sed -n 's/^#define XML_\(MAJOR\|MINOR\|MICRO\)_VERSION //p' expat/lib/expat.h | paste -sd.)"
echo "third_party/ refreshed; SHA256SUMS rewritten"
