#!/usr/bin/env bash
# Kills a writing program at random moments and checks the database after each kill:
#   scripts/crash-test.sh [N]        (N kills, 200 by default; BUILD_DIR as for build.sh)
# The load (tests/crashload.cpp) saves materials, writes estimates with their lines in
# transactions, removes some, and makes backups, logging each committed write (synced). After
# each kill -9 the checker opens the file as the program does and requires PRAGMA
# integrity_check to say ok, PRAGMA foreign_key_check to find nothing, no line without its
# estimate, every logged write present and every backup whole.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
kills=${1:-200}
BUILD_DIR=$build TARGET=plenwick_crashload "$root/scripts/build.sh" >/dev/null
load=$build/tests/plenwick_crashload

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/Estimating.mdb
log=$work/commits.log
"$load" generate "$db"
: >"$log"

failures=0
for ((i = 1; i <= kills; i++)); do
  "$load" run "$db" "$log" 2>>"$work/load.err" &
  pid=$!
  # Somewhere between 20 ms and 1.5 s into the run: during start-up, a write, a commit or a backup.
  sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
  sleep "$(printf '0.%03d' $((RANDOM % 500 + 20)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! problems=$("$load" check "$db" "$log"); then
    failures=$((failures + 1))
    echo "kill $i: $problems"
  fi
done
commits=$(grep -vc '^backup' "$log" || true)
backups=$(grep -c '^backup' "$log" || true)
leftovers=$(find "$work" -name '.*.partial-*' | wc -l)
echo "kills: $kills, failed checks: $failures, logged commits: $commits, logged backups: $backups," \
  "unfinished temporary files left: $leftovers"
# What the load said before it was killed (a refused write, or a sanitizer's report in a
# PLENWICK_SANITIZE or PLENWICK_FUZZ build) is a failure too.
if [[ -s $work/load.err ]]; then
  echo "the load reported:"
  head -20 "$work/load.err"
  failures=$((failures + 1))
fi
[[ $failures == 0 ]]
