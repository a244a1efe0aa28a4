#!/usr/bin/env bash
# The README names the release zip and the changelog has an entry for the
# version that project() declares.
#   versions-agree.sh VERSION SOURCE-DIR
set -euo pipefail
version=$1 src=$2
status=0
grep -qF "torvane-$version-win64.zip" "$src/README.md" || { echo "README.md does not name torvane-$version-win64.zip"; status=1; }
grep -qx "## $version" "$src/CHANGELOG.md" || { echo "CHANGELOG.md has no \"## $version\" entry"; status=1; }
exit $status
