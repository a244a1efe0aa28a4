# Shared by the scripts: paths, the virtual display and the Wine prefix.
# Source it; it defines functions and variables only.

TORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="${TORVANE_WINEPREFIX:-$TORVANE_ROOT/build/wine}"
export WINEDEBUG=-all
# No Mono or Gecko prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

torvane_started_xvfb=""
torvane_started_compositor=""

# Runs Wine with code page 936 as the ANSI and OEM code page (`env` keeps bash
# itself out of it). The code page comes from the name alone, but arguments
# from Linux reach the program intact only when the locale exists
# (scripts/setup generates it).
torvane_wine() {
  env LC_ALL=zh_CN.UTF-8 "$WINE" "$@"
}

# Starts a virtual display when there is none; torvane_stop_display ends it.
# TORVANE_SCREEN sets its size and depth.
torvane_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${TORVANE_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  torvane_started_xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "could not start Xvfb on $DISPLAY" >&2
  return 1
}

# Starts a compositing manager on the display, as desktops have: it shows a
# window's opacity (a window shown transparent until it has painted stays out
# of sight). Client-side compositing without shadows, so windows look as they
# are drawn. torvane_stop_compositor ends it.
torvane_start_compositor() {
  xcompmgr -n >/dev/null 2>&1 &
  torvane_started_compositor=$!
  # It names its window as it starts, then takes over the screen at once;
  # a second look waits for that (a request waits while it holds the server).
  for _ in $(seq 100); do
    if xwininfo -root -children 2>/dev/null | grep -q '"xcompmgr"'; then
      xwininfo -root >/dev/null 2>&1
      return 0
    fi
    sleep 0.1
  done
  echo "could not start xcompmgr on $DISPLAY" >&2
  return 1
}

torvane_stop_compositor() {
  if [ -n "$torvane_started_compositor" ]; then
    kill "$torvane_started_compositor" 2>/dev/null || true
    wait "$torvane_started_compositor" 2>/dev/null || true
    torvane_started_compositor=""
  fi
}

torvane_stop_display() {
  if [ -n "$torvane_started_xvfb" ]; then
    kill "$torvane_started_xvfb" 2>/dev/null || true
    wait "$torvane_started_xvfb" 2>/dev/null || true
    torvane_started_xvfb=""
  fi
}

# Settings the prefix gets; a change here makes the next run apply them again.
torvane_prefix_settings() {
  cat <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"微软雅黑"="WenQuanYi Micro Hei"
REG
  local face
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
  for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
    # REG_MULTI_SZ "wqy-microhei.ttc,WenQuanYi Micro Hei" as UTF-16LE hex.
    printf '"%s"=hex(7):%s\r\n' "$face" \
      "$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | iconv -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',,' | sed 's/^,//; s/,$//')"
  done
}

# Creates the Wine prefix once (about 8 s) and keeps its settings current.
torvane_ensure_prefix() {
  local stamp="$WINEPREFIX/.torvane-settings"
  local want
  want=$(torvane_prefix_settings | sha1sum | cut -d' ' -f1)
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then return 0; fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating prefix $WINEPREFIX"
    torvane_wine wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  # Debian's Wine does not find its own fonts (Tahoma, Marlett) by itself.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/*; do ln -sf "$f" "$fonts/"; done
  ln -sf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
  local reg="$WINEPREFIX/torvane-settings.reg"
  { printf '\xff\xfe'; torvane_prefix_settings | sed 's/$/\r/; s/\r\r$/\r/' | iconv -f UTF-8 -t UTF-16LE; } > "$reg"
  torvane_wine regedit /S "$reg" >/dev/null 2>&1
  "$WINESERVER" -w
  echo "$want" > "$stamp"
}

# Sets the prefix's display scale (LogPixels, in DPI) and stops its server,
# so that the next program starts at that DPI: Wine reads it as it starts.
torvane_set_dpi() {
  torvane_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w
}

# Starts a persistent Wine server and Wine's own services up front, with their
# output sent nowhere. Started later by a program, the services would inherit
# that program's output and keep it open (CTest would wait for it to close).
torvane_warm_wine() {
  "$WINESERVER" -p >/dev/null 2>&1 || true
  torvane_wine wineboot </dev/null >/dev/null 2>&1 || true
}

# Whether this prefix's Wine server runs. A server works in a directory named
# after its prefix's device and inode in hex (server-<dev>-<inode>), so its
# working directory tells it from other prefixes' servers.
torvane_prefix_server_running() {
  local want pid cwd
  want=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX")) || return 1
  for pid in $(pgrep -u "$(id -u)" '^wineserver'); do
    cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null) || continue
    [ "${cwd##*/}" = "$want" ] && return 0
  done
  return 1
}
