#!/usr/bin/env bash
# torvane-link against a Python 3 script that uses its standard library's
# base64: decoding N thunder links and encoding N addresses, the same input
# and the same output for both (checked), best of a few wall-clock runs each.
#   bench/link_bench.sh [TORVANE-LINK] [N]
# Prints the times side by side with their ratio; asserts nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
tool=${1:-$root/build/host/link/torvane-link}
count=${2:-1000000}
# A run of torvane-link is short and easily disturbed: it gets more tries.
tool_runs=7
peer_runs=3
data="$root/build/host/bench/link-data"
mkdir -p "$data"

addresses="$data/addresses-$count.txt"
links="$data/links-$count.txt"
if [ ! -s "$links" ] || [ "$here/link_data.py" -nt "$links" ]; then
  python3 "$here/link_data.py" "$count" "$addresses" "$links"
fi

# The same job, the same answers: compare the outputs once before timing.
check() {
  local input=$1
  shift
  "$tool" "$@" < "$input" > "$data/tool.out" || true
  python3 "$here/link_peer.py" "$job" < "$input" > "$data/peer.out"
  if ! cmp -s "$data/tool.out" "$data/peer.out"; then
    echo "link_bench: torvane-link and the script disagree on $job" >&2
    exit 1
  fi
}

# Best wall-clock time of N runs, in milliseconds.
best_ms() {
  local runs=$1 input=$2 best="" start end ms
  shift 2
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" < "$input" > /dev/null || true
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

row() {
  local label=$1 tool_ms=$2 peer_ms=$3
  awk -v l="$label" -v t="$tool_ms" -v p="$peer_ms" \
    'BEGIN { printf "%-30s %10.3f s %10.3f s %8.1fx\n", l, t / 1000, p / 1000, (t > 0 ? p / t : 0) }'
}

echo "torvane-link: $tool"
echo "python3:      $(python3 --version 2>&1), bench/link_peer.py"
echo "best of $tool_runs (torvane-link) and $peer_runs (python3) wall-clock runs, output to /dev/null;"
echo "both outputs compared once beforehand"
echo
printf '%-30s %12s %12s %9s\n' "job" "torvane-link" "python3" "ratio"

job=decode
check "$links"
row "decode $count thunder links" \
  "$(best_ms "$tool_runs" "$links" "$tool")" "$(best_ms "$peer_runs" "$links" python3 "$here/link_peer.py" decode)"

job=encode
check "$addresses" --to thunder
row "encode $count addresses" \
  "$(best_ms "$tool_runs" "$addresses" "$tool" --to thunder)" \
  "$(best_ms "$peer_runs" "$addresses" python3 "$here/link_peer.py" encode)"
