#!/usr/bin/env bash
# A Chinese address passed from Linux through scripts/wine-exec must reach
# torvane-link intact (Wine reads it in the locale the scripts run it in),
# and come back intact as the link is read.
#   linux-argument.sh WINE-EXEC TORVANE-LINK.EXE
set -euo pipefail
address='http://下载.example.com/文件 1.zip'
link='thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo='
check() {
  [ "$2" = "$1" ] && return 0
  printf 'got:  %s\nwant: %s\n' "$2" "$1" >&2
  exit 1
}
check "$link" "$("$1" "$2" --to thunder "$address" | tr -d '\r')"
check "$address" "$("$1" "$2" "$link" | tr -d '\r')"
