#!/usr/bin/env bash
# Kills the command line's price list import with kill -9 and checks the catalogue after each kill:
#   scripts/crash-test-pricelist.sh [N] [MATERIALS]
# N kills that came during Apply's transaction (40 by default; a kill is counted as one when it
# leaves SQLite's rollback journal behind), on a generated database whose first supplier has about
# a third of MATERIALS materials (60,000 by default). Two lists of the supplier's part numbers,
# at prices ending in .11 and in .22, are applied in turn; after each kill the file must pass
# PRAGMA integrity_check and every listed material must be at one list's price, never a mix.
# BUILD_DIR as for build.sh; needs the sqlite3 command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
wanted=${1:-40}
materials=${2:-60000}
program=$build/plenwick
[[ -x $program ]] || BUILD_DIR=$build TARGET=plenwick "$root/scripts/build.sh" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program's settings go to a scratch home, not the user's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
db=$work/Estimating.mdb
"$program" --generate-demo-data "$db" --materials "$materials" --suppliers 3 >/dev/null
supplier=$(sqlite3 "$db" "SELECT Company FROM SuppliersTBL WHERE SuppliersID = 1")
# The supplier's part numbers that name one material only (a part number given twice is refused).
listed="SELECT PartNumber FROM MaterialsTBL WHERE SuppliersID = 1
        GROUP BY lower(trim(PartNumber)) HAVING COUNT(*) = 1"
for cents in 11 22; do
  { echo "Part #,Price"
    sqlite3 -csv "$db" "SELECT PartNumber, printf('%d.$cents', length(PartNumber) * 7)
                        FROM ($listed)"; } >"$work/$cents.csv"
done
count=$(($(wc -l <"$work/11.csv") - 1))
# How many listed materials stand at the price ending in the cents given.
at() {
  sqlite3 "$db" "SELECT COUNT(*) FROM MaterialsTBL WHERE SuppliersID = 1
                 AND CAST(round(UnitCost * 100) AS INTEGER) % 100 = $1
                 AND PartNumber IN ($listed)"
}
# Run in the foreground, or with & by the caller as the program itself (exec), so that its
# process id is the program's.
run() {
  exec "$program" --import-price-list "$work/$1.csv" --supplier "$supplier" --database "$db" \
    >"$work/out.txt" 2>>"$work/err.txt"
}

# One whole run first: the known state, and how long a run takes.
start=$(date +%s%N)
(run 11) || { echo "the first import failed:"; cat "$work/out.txt" "$work/err.txt"; exit 1; }
took=$((($(date +%s%N) - start) / 1000000))
[[ $(at 11) == "$count" ]] || { echo "the first import left $(at 11) of $count prices"; exit 1; }
echo "$count listed materials; a whole run takes $took ms"

kills=0 during=0 failures=0 whole=0 target=22
while ((during < wanted && kills < wanted * 10)); do
  run $target &
  pid=$!
  # Anywhere from a third of a run to its end: mostly in the preview and the apply.
  delay=$((took / 3 + RANDOM * took / 32768 * 2 / 3))
  sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  kills=$((kills + 1))
  [[ -s $db-journal ]] && during=$((during + 1))
  problems=""
  integrity=$(sqlite3 "$db" "PRAGMA integrity_check")
  [[ $integrity == ok ]] || problems="integrity_check: $integrity"
  eleven=$(at 11) twentytwo=$(at 22)
  if [[ $eleven == "$count" ]]; then
    [[ $target == 11 ]] && whole=$((whole + 1))
    target=22
  elif [[ $twentytwo == "$count" ]]; then
    [[ $target == 22 ]] && whole=$((whole + 1))
    target=11
  else
    problems="$problems a mix: $eleven at .11, $twentytwo at .22 of $count"
  fi
  if [[ -n $problems ]]; then
    failures=$((failures + 1))
    echo "kill $kills: $problems"
  fi
done
echo "kills: $kills, during Apply: $during, failed checks: $failures," \
  "runs that finished before their kill: $whole"
if [[ -s $work/err.txt ]] && grep -qv "^$" "$work/err.txt"; then
  echo "the program said:"
  sort "$work/err.txt" | uniq -c | head -10
fi
((failures == 0 && during >= wanted))
