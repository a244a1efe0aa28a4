#!/usr/bin/env bash
# The committed skin files are exactly what the generator draws.
set -euo pipefail
src=$(cd "$(dirname "$0")/../../resources" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$src/make_skin.py" "$out" >/dev/null
status=0
for f in caption.bmp border.bmp torvane.ico; do
  if cmp "$src/$f" "$out/$f"; then echo "same: $f"; else status=1; fi
done
exit $status
