#!/usr/bin/env bash
# Runs each libFuzzer target of the build in $1 for FUZZ_SECONDS (default 60)
# and prints its executions per second and coverage. Seeds: fuzz/seeds/, the
# test data, and any folders listed in FUZZ_EXTRA_SEEDS (colon-separated; for
# local runs over larger real networks). Inputs that grow coverage collect
# in $1/corpus/<target>; a crash, hang or leak leaves its input in
# $1/artifacts/ and fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-fuzz}" && pwd)
seconds=${FUZZ_SECONDS:-60}
mkdir -p "$build/artifacts"

extra=()
IFS=: read -r -a extra_dirs <<<"${FUZZ_EXTRA_SEEDS:-}"
for dir in "${extra_dirs[@]}"; do
  [ -n "$dir" ] && [ -d "$dir" ] && extra+=("$dir")
done

run() {
  local target=$1 dict=$2
  shift 2
  local corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  local log="$build/$target.log"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
                 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-")
  [ -n "$dict" ] && options+=(-dict="$root/fuzz/$dict")
  if ! "$build/fuzz/$target" "${options[@]}" "$corpus" "$@" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "$target failed; input kept in $build/artifacts/" >&2
    return 1
  fi
  local done_line runs rate
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  rate=$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}')
  echo "== $target, $seconds s: $runs runs, $rate exec/s;" \
    "$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+' <<<"$done_line")"
}

# Each target is one process on one core, and every target runs for the same
# time: they go in rounds of as many as there are cores.
status=0
lanes=$(nproc)
running=()
finish_round() {
  for pid in "${running[@]}"; do wait "$pid" || status=1; done
  running=()
}
start() {
  "$@" &
  running+=($!)
  [ "${#running[@]}" -lt "$lanes" ] || finish_round
}
start run fuzz_read_net net.dict "$root/fuzz/seeds/net" "$root/tests/data/bad_net" "${extra[@]}"
start run fuzz_read_json json.dict "$root/fuzz/seeds/json" "$root/tests/data/bad_json" "$root/tests/data"
start run fuzz_write_graph "" "$root/fuzz/seeds/write"
start run fuzz_read_pajek net.dict "$root/fuzz/seeds/net" "$root/tests/data/pajek" "$root/tests/data/bad_pajek" "${extra[@]}"
start run fuzz_read_gml gml.dict "$root/fuzz/seeds/gml" "$root/tests/data/bad_gml"
start run fuzz_read_graphml xml.dict "$root/fuzz/seeds/graphml" "$root/tests/data/bad_graphml"
start run fuzz_read_gexf xml.dict "$root/fuzz/seeds/gexf" "$root/tests/data/bad_gexf"
start run fuzz_xml_scanner xml.dict "$root/fuzz/seeds/graphml" "$root/fuzz/seeds/gexf" "$root/tests/data/bad_graphml" \
  "$root/tests/data/bad_gexf"
start run fuzz_read_edgelist edgelist.dict "$root/fuzz/seeds/edgelist" "$root/tests/data/bad_edgelist"
start run fuzz_read_by_content "" "$root/fuzz/seeds/edgelist" "$root/fuzz/seeds/gml" "$root/fuzz/seeds/graphml" "$root/fuzz/seeds/gexf" "$root/fuzz/seeds/net" "$root/fuzz/seeds/json" "$root/tests/data/pajek"
finish_round
exit $status
