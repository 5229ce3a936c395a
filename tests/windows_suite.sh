#!/bin/sh
# Cross-builds logweld.exe and its tests with MinGW-w64 and runs them under
# Wine, when both are installed; says clearly when they are not.
set -eu
jobs=${1:-2}
compiler=x86_64-w64-mingw32-g++-posix
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
if ! command -v "$compiler" >/dev/null 2>&1 || [ ! -x "$wine" ]; then
  echo "WINDOWS SUITE SKIPPED: $compiler or $wine is not installed" \
       "(apt-get install g++-mingw-w64-x86-64-posix wine64)."
  exit 0
fi
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
cmake --build build-windows -j "$jobs"
# One persistent wineserver for the whole run keeps every test fast.
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wineprefix}"
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1 </dev/null || true
# Set the prefix up now, with its output going nowhere: the helper processes
# that Wine starts on first use live on and would hold the test runner's
# output pipes open.
"$wine" wineboot --init >/dev/null 2>&1 </dev/null || true
status=0
(cd build-windows && ctest --output-on-failure -j "$jobs") || status=$?
"$wineserver" -k >/dev/null 2>&1 || true
exit $status
