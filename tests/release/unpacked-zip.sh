#!/usr/bin/env bash
# The release zip as a user gets it: packed by CPack from this build tree,
# unpacked into an empty folder, and both programs run from there under Wine.
#   unpacked-zip.sh CPACK BUILD-DIR WINE-EXEC END-TO-END-TESTS OBJDUMP
set -euo pipefail
cpack=$1 build=$2 wine_exec=$3 end_to_end=$4 objdump=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/pack" >/dev/null
zips=("$work"/pack/torvane-*-win64.zip)
[ -f "${zips[0]}" ] || fail "cpack made no zip"
dir=$work/unpacked
mkdir "$dir"
(cd "$dir" && cmake -E tar xf "${zips[0]}")
files=$(cd "$dir" && LC_ALL=C ls | tr '\n' ' ')
[ "$files" = "CHANGELOG.md LICENSE README.txt THIRD-PARTY-NOTICES.txt torvane-link.exe torvane.exe " ] ||
  fail "the zip holds: $files"

# README.txt speaks Chinese first, then English, as UTF-8 with a BOM and CRLF.
readme=$dir/README.txt
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt has no UTF-8 byte order mark"
grep -qv $'\r$' "$readme" && fail "README.txt has a line without CRLF"
head -n 1 "$readme" | grep -q '使用说明' || fail "README.txt does not open in Chinese: $(head -n 1 "$readme")"
zh=$(grep -n '^命令行' "$readme" | head -n 1 | cut -d: -f1)
en=$(grep -n '^The command line' "$readme" | head -n 1 | cut -d: -f1)
[ -n "$zh" ] && [ -n "$en" ] && [ "$zh" -lt "$en" ] || fail "README.txt lacks its Chinese or English part, or they are out of order"

# Every piece of runtime code the link maps show in the programs has its
# licence in THIRD-PARTY-NOTICES.txt.
for map in "$build/app/torvane.exe.map" "$build/link/torvane-link.exe.map"; do
  [ -f "$map" ] || fail "no link map $map"
  for lib in $( (grep -oE '^/usr/[^ (]+\.a\(' "$map" | sed 's/($//'; grep -oE '^LOAD /usr/[^ ]+\.o$' "$map") |
                sed 's#.*/##' | sort -u); do
    grep -qF "$lib" "$dir/THIRD-PARTY-NOTICES.txt" || fail "${map##*/}: $lib is linked in but not in THIRD-PARTY-NOTICES.txt"
  done
done

# Stripped, importing nothing but the system's own DLLs, and small.
for exe in torvane.exe torvane-link.exe; do
  "$objdump" -h "$dir/$exe" | grep -q '\.debug' && fail "$exe is not stripped"
  for dll in $("$objdump" -p "$dir/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case $dll in
      kernel32.dll|user32.dll|gdi32.dll|ole32.dll|oleaut32.dll|shell32.dll|comctl32.dll|msvcrt.dll) ;;
      *) fail "$exe imports $dll" ;;
    esac
  done
done
# Both programs' version information has a simplified Chinese block (0804,
# Unicode) beside the English one: its key "080404b0" in UTF-16.
for exe in torvane.exe torvane-link.exe; do
  LC_ALL=C grep -qaP '0\x008\x000\x004\x000\x004\x00b\x000\x00' "$dir/$exe" || fail "$exe has no Chinese version information"
done
size=$(stat -c %s "$dir/torvane.exe")
[ "$size" -le 524288 ] || fail "torvane.exe is $size bytes, more than 512 KB"

# The window comes up, converts through the clipboard and closes with exit
# code 0 (the end-to-end test's own cases, on the unpacked program).
out=$(TORVANE_PROGRAM="Z:${dir//\//\\}\\torvane.exe" "$wine_exec" "$end_to_end" \
        --gtest_filter='TorvaneTest.ButtonsConvertThroughRealClicks:TorvaneTest.ClosingTheWindowEndsTheProcess' 2>&1) \
  || fail "$out"
grep -q 'PASSED.*2 tests' <<<"$out" || fail "$out"

link='thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg=='
address=$("$wine_exec" "$dir/torvane-link.exe" "$link" | tr -d '\r')
[ "$address" = "http://example.com/a.zip" ] || fail "torvane-link gave: $address"
echo "unpacked: $files($size bytes torvane.exe)"
