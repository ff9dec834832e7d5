#!/usr/bin/env bash
# Rebuilds foundations/Cp949Table.inc from what Wine's code page functions answer. Needs
# x86_64-w64-mingw32-g++ and wine64 (Debian: g++-mingw-w64-x86-64-posix wine64) and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
cxx=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++)
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT

"$cxx" -std=c++20 -O2 -static -I. tools/cp949ref/dump.cpp foundations/Cp949.cpp -o "$work/dump.exe"
"$wine" "$work/dump.exe" </dev/null >"$work/dump.txt"
python3 tools/cp949ref/generate.py <"$work/dump.txt" >"$work/Cp949Table.inc"
mv "$work/Cp949Table.inc" foundations/Cp949Table.inc
