#!/usr/bin/env bash
# Several writers at once, each a process of its own, editing the same ten materials' prices and
# ten estimate lines as the screens do (read the row, change it, save it), on a file and on a
# database server side by side:
#   scripts/writers-load.sh [-s SECONDS] [-w "2 5 10"] [-k] [file|server]...
# (60 s, 2, 5 and 10 writers, both targets by default; BUILD_DIR as for build.sh.)
# -k: every 2 s one writer is killed with kill -9 and started again at once; on a server, every
# 4 s (a second after a kill) one writer's connection is cut (pg_terminate_backend), and the
# writer must say it was lost and work again on its next action.
# The server is the one the PG* variables name (PGHOST, PGPORT, PGUSER, PGPASSWORD); each run
# makes a database of its own there and drops it afterwards.
# After each run plenwick_crashload verify checks the database (a file: PRAGMA integrity_check
# and foreign_key_check; a server: amcheck's heap and index checks; both: no line without its
# estimate or material) and that no saved edit was lost: each row's stored edit, followed back
# through the edits it replaced, passes every saved edit and no refused one.
# Prints one Markdown table row per run; exits non-zero when a check failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
seconds=60
counts="2 5 10"
kills=0
while getopts "s:w:k" option; do
  case $option in
    s) seconds=$OPTARG ;;
    w) counts=$OPTARG ;;
    k) kills=1 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[[ $# == 0 ]] && targets=(file server)
# NO_BUILD=1 uses the program as built, for a build folder busy with other targets.
[[ -n ${NO_BUILD:-} ]] || BUILD_DIR=$build TARGET=plenwick_crashload "$root/scripts/build.sh" >/dev/null
load=$build/tests/plenwick_crashload

work=$(mktemp -d)
databases=()
cleanup() {
  for name in "${databases[@]}"; do
    psql -q -d postgres -c "DROP DATABASE IF EXISTS $name WITH (FORCE)" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The server's own check of its storage: every table's heap and every B-tree index.
server_check() {
  psql -q -At -d "$1" -v ON_ERROR_STOP=1 <<'SQL'
CREATE EXTENSION IF NOT EXISTS amcheck;
SELECT 'heap: ' || c.relname || ': ' || v.msg
  FROM pg_class c, verify_heapam(c.oid) v
 WHERE c.relkind = 'r' AND c.relnamespace = 'public'::regnamespace;
\o /dev/null
SELECT bt_index_check(c.oid, true) FROM pg_class c
 WHERE c.relkind = 'i' AND c.relam = (SELECT oid FROM pg_am WHERE amname = 'btree')
   AND c.relnamespace = 'public'::regnamespace;
SQL
}

echo "| Database | Writers | Seconds | Saved | Refused (changed or locked) | Connections cut | Saves/s per writer | Checks |"
echo "|---|---:|---:|---:|---:|---:|---:|---|"
failures=0
for target in "${targets[@]}"; do
  for n in $counts; do
    log=$work/$target-$n.log
    errors=$work/$target-$n.err
    : >"$log"
    : >"$errors"
    if [[ $target == server ]]; then
      name=plenwick_load_$$_$n
      psql -q -d postgres -c "CREATE DATABASE $name" >/dev/null
      databases+=("$name")
      db="postgresql://${PGHOST:-localhost}:${PGPORT:-5432}/$name"
    else
      db=$work/$target-$n.mdb
    fi
    "$load" generate "$db"
    pids=()
    for ((i = 0; i < n; i++)); do
      "$load" edit "$db" "$log" "$seconds" 2>>"$errors" &
      pids+=($!)
    done
    killed=0
    cut=0
    if [[ $kills == 1 ]]; then
      start=$SECONDS
      while ((SECONDS - start < seconds - 3)); do
        sleep 1
        if (((SECONDS - start) % 2 == 0)); then
          i=$((RANDOM % n))
          kill -9 "${pids[$i]}" 2>/dev/null || true
          wait "${pids[$i]}" 2>/dev/null || true
          "$load" edit "$db" "$log" $((seconds - (SECONDS - start))) 2>>"$errors" &
          pids[$i]=$!
          killed=$((killed + 1))
        fi
        # Never in the second of a kill: the killed writer's connection may still be listed
        # for a moment, and cutting it would test nothing; nor the server's own vacuuming.
        if [[ $target == server ]] && (((SECONDS - start) % 4 == 1)); then
          cut=$((cut + $(psql -At -d postgres -c "SELECT COUNT(pg_terminate_backend(pid)) FROM \
            (SELECT pid FROM pg_stat_activity WHERE datname = '$name' AND pid <> \
            pg_backend_pid() AND backend_type = 'client backend' ORDER BY random() LIMIT 1) w")))
        fi
      done
    fi
    for pid in "${pids[@]}"; do
      wait "$pid" || true
    done
    checks=ok
    if ! result=$("$load" verify "$db" "$log"); then
      checks="FAILED"
      failures=$((failures + 1))
    fi
    if [[ $target == server ]]; then
      if ! storage=$(server_check "$name" 2>&1) || [[ -n $storage ]]; then
        checks="FAILED (server check: $storage)"
        failures=$((failures + 1))
      fi
    fi
    if [[ -s $errors ]]; then
      checks="$checks; the writers reported: $(head -3 "$errors" | tr '\n' ' ')"
      failures=$((failures + 1))
    fi
    saved=$(grep -c '^set' "$log" || true)
    refused=$(grep -c '^refused' "$log" || true)
    lost=$(grep -c '^lost' "$log" || true)
    rate=$(awk -v s="$saved" -v n="$n" -v t="$seconds" 'BEGIN { printf "%.1f", s / n / t }')
    extra=""
    unopened=$(grep -c '^unopened' "$log" || true)
    [[ $unopened != 0 ]] && extra="; $unopened opens refused: $(grep -m1 '^unopened' "$log" | cut -f3)"
    [[ $kills == 1 ]] && extra="$extra ($killed writers killed, $cut connections cut)"
    echo "| $target | $n | $seconds | $saved | $refused | $lost | $rate | $checks$extra |"
    if [[ $checks != ok* ]]; then
      echo "$result" | head -n -1 | sed 's/^/    /'
    fi
    echo "$result" | tail -1 | sed 's/^/    /' >&2
    if [[ $target == server ]]; then
      psql -q -d postgres -c "DROP DATABASE $name WITH (FORCE)" >/dev/null
    fi
  done
done
[[ $failures == 0 ]]
