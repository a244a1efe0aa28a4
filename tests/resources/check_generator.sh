#!/usr/bin/env bash
# The committed skin files are exactly what the generator draws.
set -euo pipefail
src=$(cd "$(dirname "$0")/../../resources" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$src/make_skin.py" "$out" >/dev/null
status=0
for f in "$out"/*; do
  name=$(basename "$f")
  if cmp "$src/$name" "$f"; then echo "same: $name"; else status=1; fi
done
exit $status
