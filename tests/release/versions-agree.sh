#!/usr/bin/env bash
# Both READMEs (English and Chinese) name the release zip of the version that
# project() declares and the same options, among them every option that
# torvane-link --help lists; the changelog has an entry for the version.
#   versions-agree.sh VERSION SOURCE-DIR TORVANE-LINK
set -euo pipefail
version=$1 src=$2 link=$3
status=0
complain() { echo "$*"; status=1; }
readmes=("$src/README.md" "$src/README.zh-CN.md")
for readme in "${readmes[@]}"; do
  grep -qF "torvane-$version-win64.zip" "$readme" || complain "${readme##*/} does not name torvane-$version-win64.zip"
done
grep -qx "## $version" "$src/CHANGELOG.md" || complain "CHANGELOG.md has no \"## $version\" entry"

long_options() { grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u; }
help=$(LC_ALL=C "$link" --help | long_options)
for readme in "${readmes[@]}"; do
  missing=$(comm -23 <(echo "$help") <(long_options < "$readme"))
  [ -z "$missing" ] || complain "${readme##*/} does not describe: $(echo $missing)"
done
only=$(comm -3 <(long_options < "${readmes[0]}") <(long_options < "${readmes[1]}") | tr -d "\t")
[ -z "$only" ] || complain "options named in one README but not the other: $(echo $only)"
exit $status
