#!/usr/bin/env bash
# Runs the Windows program under Wine as a Windows user would run it from a console, in a
# fresh working folder under the code page 950 locale, and checks what it prints, its
# exit status and the target afterwards, read from Linux (sqlite3, mdb-export,
# mdb-reader, psql). Another Windows program (hold-file.exe) stands in for Access or an
# editor holding a file open.
#
# Usage: windows.sh <scenario> <tiermend.exe> <hold-file.exe> <indexed-target.exe>
# Scenarios: sqlite, access, access-indexed, postgres, missing-link, link-held,
# access-held, arguments. WINEPREFIX names the prefix to run in.
set -uo pipefail

read -r scenario TOOL HOLD INDEXED <<<"$*"
here=$(cd "$(dirname "$0")" && pwd) root=$(cd "$(dirname "$0")/../.." && pwd)
# The working folder holds only what the program finds and leaves; its output, and the
# other program's, go aside.
work=$(mktemp -d /tmp/tiermend-windows-XXXXXX) aside=$(mktemp -d /tmp/tiermend-windows-aside-XXXXXX)
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  rm -rf "$work" "$aside"
}
trap cleanup EXIT
source "$here/folder.sh"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_TW.UTF-8

# The working folder as Windows names it (Wine maps / to drive Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Runs the program in the working folder with the arguments given. Sets OUT and ERR
# (read as code page 950, without the carriage returns of the console's line ends) and
# STATUS (124 when it had to be stopped after 120 seconds).
run_tool() {
  local started=$(date +%s%N)
  (cd "$work" && exec timeout 120 wine "$TOOL" "$@" </dev/null >"$aside/out" 2>"$aside/err")
  STATUS=$?
  OUT=$(iconv -f CP950 -t UTF-8 "$aside/out" | tr -d '\r')
  ERR=$(iconv -f CP950 -t UTF-8 "$aside/err" | tr -d '\r')
  echo "tiermend.exe $*: $((($(date +%s%N) - started) / 1000000)) ms, status $STATUS"
}

expect_run() {
  local what=$1 status=$2 out=$3 err=$4
  expect_eq "$what: exit status" "$STATUS" "$status"
  expect_eq "$what: standard output" "$OUT" "$out"
  expect_eq "$what: standard error" "$ERR" "$err"
}

write_link() {
  printf '%s\r\n' "$1" >"$work/Link.txt"
}

# Starts hold-file.exe on a file and waits until it holds it.
hold() {
  wine "$HOLD" "$1" 600 >"$aside/held" 2>&1 &
  holder=$!
  local i
  for i in $(seq 1 100); do
    grep -q held "$aside/held" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "hold-file.exe did not hold $1: $(cat "$aside/held")"
}

release() {
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  holder=
}

COMPLETE=更新完成.

# Each bracket table of an Access file as mdb-export and mdb-reader print it. A null
# reads as an empty field: a null text arrives as empty text (its edit text is empty),
# which mdb-reader alone tells apart (checked on its own below).
access_tables() {
  local file=$1 t
  for t in $BRACKETS; do
    echo "== $t"
    mdb-export "$file" "$t"
    node "$root/tools/mdb-reader/dump-table.mjs" "$file" "$t" | sed 's/\\N//g'
  done
}

prepare_access() {
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  copy_fixture tiermenddb.mdb "$work/basedb.mdb"
  write_link "2,x,x,x,x,x,$(windows_path "$work")\\,"
}

# The target's tables must read, both ways, as the package's do.
expect_access_refreshed() {
  expect_eq "$1: the target's tables read as the package's" \
    "$(access_tables "$work/basedb.mdb" | md5sum)" "$(access_tables "$work/tiermenddb.mdb" | md5sum)"
  expect_eq "$1: row counts" "$(access_counts "$work/basedb.mdb")" "50/38/151/62"
  expect_eq "$1: labor's notes, null ones now empty text" \
    "$(node "$root/tools/mdb-reader/dump-table.mjs" "$work/basedb.mdb" labor | tail -n +2 |
      cut -f7 | LC_ALL=C sort | uniq -c | sed 's/^ *//' | tr '\n' ' ')" \
    "12  10 僅適用職災保險 1 基本工資 15 部分工時 "
  expect_eq "$1: no working copy or lock file left" \
    "$(ls -A "$work" | grep -v -e '^Link.txt$' -e '\.mdb$')" ""
}

run_sqlite() {
  prepare_folder
  write_link "2,x,x,x,x,x,$(windows_path "$work")\\,"
  run_tool
  expect_run "SQLite target" 0 "$COMPLETE" ""
  expect_all_refreshed "SQLite target"
  expect_untouched_own_table "SQLite target"

  # The run's record goes to the Application event log, one event a line (Wine shows
  # the events it is given in its eventlog trace).
  WINEDEBUG=-all,+eventlog run_tool
  expect_eq "event log: the records" "$(sed -n 's/.*ReportEventW L"\(.*\)"$/\1/p' <<<"$ERR")" \
    "started in $(windows_path "$work" | sed 's/\\/\\\\/g')
health_insu: 50 rows, was 50
labor: 38 rows, was 38
incom_rep: 151 rows, was 151
retire: 62 rows, was 62
completed"
}

run_access() {
  prepare_access
  # Last year's rows first: the target must end with the package's, not keep its own.
  mdb-export "$work/tiermenddb.mdb" labor >/dev/null
  run_tool
  expect_run "Access target" 0 "$COMPLETE" ""
  expect_access_refreshed "Access target"
}

run_access_indexed() {
  prepare_access
  (cd "$work" && wine "$INDEXED" basedb.mdb) || fail "indexed-target.exe could not index the target"
  run_tool
  expect_run "indexed Access target" 0 "$COMPLETE" ""
  expect_access_refreshed "indexed Access target"
  run_tool --check
  expect_eq "indexed Access target, --check: exit status" "$STATUS" 0
  expect_contains "indexed Access target, --check" "$OUT" "labor: 38 rows → 38"
}

run_postgres() {
  local server=${TIERMEND_WINDOWS_PG_DIR:-/tmp/tiermend-windows-pg}
  "$root/scripts/postgres-test-server" start "$server" >/dev/null || {
    fail "the PostgreSQL test server did not start"
    return
  }
  local database=tiermend_windows_$$
  local psql=(psql -X -q -A -t -v ON_ERROR_STOP=1 -h "$server/run" -p 54329 -U postgres)
  "${psql[@]}" -d postgres -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" \
    -c "CREATE DATABASE $database ENCODING 'UTF8' TEMPLATE template0" >/dev/null
  "${psql[@]}" -d "$database" -f "$root/testdata/bracket-tables-postgres.sql" >/dev/null
  "${psql[@]}" -d "$database" -c "INSERT INTO labor (grade, note) VALUES (99, 'last year')" >/dev/null

  local driver
  driver=$(odbcinst -q -d -n "PostgreSQL Unicode" | sed -n 's/^Driver=//p')
  case "$driver" in /*) ;; *) driver=$(find /usr/lib -name "$driver" | head -1) ;; esac
  printf '[TiermendWindowsPg]\nDriver=%s\nServername=%s\nPort=54329\nDatabase=postgres\n' \
    "$driver" "$server/run" >"$aside/odbc.ini"
  : >"$aside/odbcinst.ini"
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  write_link "1,TiermendWindowsPg,$database,postgres,secret,x,x,"
  ODBCINI="$aside/odbc.ini" ODBCSYSINI="$aside" run_tool
  expect_run "PostgreSQL target through odbc32" 0 "$COMPLETE" ""
  expect_eq "PostgreSQL target: row counts" "$("${psql[@]}" -d "$database" -c "select
    (select count(*) from health_insu) || '/' || (select count(*) from labor) || '/' ||
    (select count(*) from incom_rep) || '/' || (select count(*) from retire)")" "50/38/151/62"
  expect_eq "PostgreSQL target: labor notes" "$("${psql[@]}" -d "$database" -c "select
    (select note from labor where grade = 1) || '|' || (select note from labor where grade = 38)")" \
    "部分工時|僅適用職災保險"
  expect_eq "PostgreSQL target: health_insu sums" "$("${psql[@]}" -d "$database" -c "select
    sum(insured_amount), sum(self), sum(gov_subsidy) from health_insu")" "4833470|74966.0000|39233.0000"
  "${psql[@]}" -d postgres -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" >/dev/null
  "$root/scripts/postgres-test-server" stop "$server" >/dev/null
}

run_missing_link() {
  prepare_folder
  rm "$work/Link.txt"
  local before
  before=$(md5sum "$work"/*.mdb)
  run_tool
  expect_run "missing Link.txt" 1 "" "File not found."
  expect_eq "missing Link.txt: no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

run_link_held() {
  prepare_folder
  write_link "2,x,x,x,x,x,$(windows_path "$work")\\,"
  local before
  before=$(md5sum "$work"/*.mdb)
  hold "$(windows_path "$work/Link.txt")"
  run_tool
  release
  expect_run "Link.txt held open for writing by another program" 1 "" "I/O error 32."
  expect_eq "Link.txt held: no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

run_access_held() {
  prepare_access
  local before
  before=$(md5sum "$work/basedb.mdb")
  hold "$(windows_path "$work/basedb.mdb")"
  run_tool
  release
  expect_eq "Access target held open: exit status" "$STATUS" 1
  expect_contains "Access target held open: the message" "$ERR" \
    "is in use by another program: another program has it open for writing; waited 30 seconds."
  expect_eq "Access target held open: its rows kept" "$(md5sum "$work/basedb.mdb")" "$before"
}

run_arguments() {
  prepare_folder
  run_tool --version
  expect_run "--version" 0 "tiermend $(sed -n 's/^project(tiermend VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")" ""
  run_tool --help
  expect_eq "--help: exit status" "$STATUS" 0
  expect_contains "--help" "$OUT" "Application event log"
  run_tool --bogus
  expect_eq "--bogus: exit status" "$STATUS" 2
  expect_contains "--bogus" "$ERR" "unexpected argument '--bogus'"
}

case "$scenario" in
  sqlite) run_sqlite ;;
  access) run_access ;;
  access-indexed) run_access_indexed ;;
  postgres) run_postgres ;;
  missing-link) run_missing_link ;;
  link-held) run_link_held ;;
  access-held) run_access_held ;;
  arguments) run_arguments ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "$scenario: $failures failure(s)"
[ "$failures" -eq 0 ]
