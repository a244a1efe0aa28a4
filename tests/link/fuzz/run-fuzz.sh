#!/usr/bin/env bash
# Builds the torvane-link fuzz target with clang++ (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds.
#   run-fuzz.sh WORK-DIR SECONDS
# The corpus stays in WORK-DIR/corpus, so later runs start where earlier ones
# ended; a failing input is saved in WORK-DIR as crash-*, leak-* or timeout-*.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
mkdir -p "$1/corpus"
work=$(cd "$1" && pwd)
seconds=${2:-60}

sources=(
  "$here/LinkFuzz.cpp"
  "$root"/link/engine/Base64Payload.cpp "$root"/link/engine/Charset.cpp "$root"/link/tool/CommandLine.cpp "$root"/link/engine/Gbk.cpp "$root"/link/tool/Json.cpp "$root"/link/tool/LineBatch.cpp
  "$root"/link/engine/LinkCodec.cpp "$root"/link/engine/LinkConverter.cpp "$root"/link/engine/LinkFinder.cpp "$root"/link/tool/LinkTool.cpp "$root"/link/engine/Scheme.cpp
  "$root"/link/engine/Utf8.cpp "$root"/link/tool/InputDecoder.cpp "$root"/link/tool/IStreams.cpp "$root"/link/tool/Messages.cpp
  "$root"/app/core/AnsiCodePage.cpp "$root"/app/core/ConversionCommands.cpp "$root"/app/core/Module1.cpp "$root"/app/core/ThunderLink.cpp
)
fuzzer="$work/link_fuzz"
rebuild=0
[ -x "$fuzzer" ] || rebuild=1
for f in "${sources[@]}" "$root"/link/*/*.h "$root"/link/*/*.inc "$root"/app/core/*.h "$0"; do
  [ "$f" -nt "$fuzzer" ] && rebuild=1
done
if [ "$rebuild" = 1 ]; then
  echo "fuzz: building $fuzzer"
  # One object per source, two at a time: about half the time of one
  # compiler run over all of them.
  flags=(-std=c++20 -O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
         -fno-omit-frame-pointer -I"$root")
  mkdir -p "$work/obj"
  printf '%s\n' "${sources[@]}" |
    xargs -P 2 -I{} sh -c 'clang++ "$@" -c "{}" -o "$0/$(basename "{}").o"' "$work/obj" "${flags[@]}"
  objects=()
  for f in "${sources[@]}"; do objects+=("$work/obj/$(basename "$f").o"); done
  clang++ -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$fuzzer.tmp"
  mv "$fuzzer.tmp" "$fuzzer"
fi

# Seeds: one line of each kind, good and bad.
if [ -z "$(ls -A "$work/corpus")" ]; then
  i=0
  for seed in \
    $'\x00thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=\n' \
    $'\x01flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=&abc\n' \
    $'\x50qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=\r\n\n' \
    $'\x10fs2you://ZXhhbXBsZS5jb20vZmlsZS5yYXJ8MTIzNDU2fGFiY2RlZg==\nhttp://x/\xe4\xb8\xad\n' \
    $'\x06thunder://QUFxcWRsOi8vYUhSMGNEb3ZMMlY0WVcxd2JHVXVZMjl0TDJFdWVtbHdaWg==/\nbad\n'; do
    printf '%s' "$seed" > "$work/corpus/seed$i"
    i=$((i + 1))
  done
fi

cd "$work"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -dict="$here/link.dict" -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus"
