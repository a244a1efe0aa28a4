#!/usr/bin/env bash
# torvane-link.exe speaks the user's interface language, which Wine takes from
# the locale: Chinese in zh_CN, English in C.
#   help-language.sh WINE-EXEC TORVANE-LINK.EXE
set -euo pipefail
check() {
  local first
  first=$(TORVANE_WINE_LOCALE=$1 "$3" "$4" --help | head -n 1 | tr -d '\r')
  [ "$first" = "$2" ] && return 0
  printf '%s: got %s\nwant: %s\n' "$1" "$first" "$2" >&2
  exit 1
}
check zh_CN.UTF-8 '用法：torvane-link [选项]... [链接或地址]...' "$@"
check C 'Usage: torvane-link [OPTION]... [LINK-OR-ADDRESS]...' "$@"
