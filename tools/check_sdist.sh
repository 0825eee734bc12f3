#!/usr/bin/env bash
# Installs dist/mivora-*.tar.gz into a fresh virtual environment (none of the
# interpreter's packages) with the system's RapidJSON and Expat development
# files hidden (bind-mounted over, in a private mount namespace), so the build
# can only use third_party/: a C++20 compiler and CMake are all it needs.
# Then reads a JSON and a GraphML file with the installed module.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PYTHON=${PYTHON:-python3}
unset PYTHONPATH
sdist=$(ls "$root"/dist/mivora-*.tar.gz)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/empty"
echo "checking $sdist"
"$PYTHON" -m venv "$work/venv"

hidden=()
for path in /usr/include/rapidjson /usr/include/expat.h /usr/include/expat_external.h \
  /usr/include/*/expat_config.h /usr/lib/*/libexpat.so /usr/lib/*/libexpat.a /usr/lib/*/cmake/expat-*; do
  if [ -e "$path" ]; then hidden+=("$path"); fi
done
echo "hidden from the build: ${hidden[*]:-nothing (none installed)}"
# shellcheck disable=SC2016 # expanded by the inner shell
unshare --mount bash -euo pipefail -c '
  work=$1 sdist=$2; shift 2
  for path in "$@"; do
    if [ -d "$path" ]; then mount --bind "$work/empty" "$path"; else mount --bind /dev/null "$path"; fi
  done
  "$work/venv/bin/python" -m pip install -q --disable-pip-version-check --no-cache-dir "$sdist"
' hide "$work" "$sdist" "${hidden[@]}"

cd "$work"
"$work/venv/bin/python" - <<'PY'
import pathlib, sys, mivora
module = pathlib.Path(mivora.__file__)
assert str(module).startswith(sys.prefix), module
json_file = pathlib.Path("graph.json")
json_file.write_text('{"nodes": [{"label": "a"}, {"label": "b"}], "edges": [{"source": "a", "target": "b", "weight": 2}]}')
xml_file = pathlib.Path("graph.graphml")
xml_file.write_text('<?xml version="1.0"?><graphml xmlns="http://graphml.graphdrawing.org/xmlns">'
                    '<graph edgedefault="undirected"><node id="x"/><node id="y"/><node id="z"/>'
                    '<edge source="x" target="y"/><edge source="y" target="z"/></graph></graphml>')
from_json = mivora.Graph.from_json_file(str(json_file))
from_xml = mivora.Graph.read(str(xml_file))
assert (from_json.get_node_count(), from_xml.get_node_count(), from_xml.get_edge_count()) == (2, 3, 2)
print("sdist check passed:", module)
PY
