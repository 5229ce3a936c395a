#!/bin/sh
# Joins the bundled example recording in a scratch copy, so that the demo
# can run again and again, and shows the result's seams.
set -eu
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$here/../build/demo"
mkdir -p "$here/../build/demo"
scratch=$(cd "$here/../build/demo" && pwd)
cp -R "$here/recording/." "$scratch/"
cd "$scratch"
echo "\$ logweld Record005.log    (in $scratch)"
# The empty line answers the program's closing "Press ENTER".
status=0
echo | "$program" Record005.log || status=$?
echo
echo
if [ "$status" -ne 0 ] || [ ! -f Playfile.log ]; then
  echo "logweld failed with exit code $status"
  exit 1
fi
echo "Joined recording: $scratch/Playfile.log ($(wc -l < Playfile.log) lines)"
echo "Trace of this run: $(dirname "$program")/SpliceTrace.txt"
echo "Seams (line numbers in Playfile.log):"
grep -n -e ' 2224 .*Inserted to replace save/restore' -e 'Escape inventory' \
  Playfile.log
