#!/usr/bin/env bash
# Runs the real program where there is no screen (DISPLAY and WAYLAND_DISPLAY unset),
# as cron, a systemd timer or ssh would, in a temporary working folder, and checks what
# it prints on standard output and standard error, its exit status and the target.
# Standard input is a pipe that never delivers anything: a program that waited for
# input would hang there and be stopped by the time limit.
#
# Usage: console.sh <scenario> <tiermend binary>
# Scenarios: run (success, a missing Link.txt, a failure in the second and in the last
# table, displays that do not open, Qt's offscreen platform), check-sqlite,
# check-access (--check leaves the target byte for byte as it was and reports what the
# run would), arguments (--help, --version, anything else refused).
set -uo pipefail

scenario=$1
TOOL=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

work=$(mktemp -d /tmp/tiermend-console-XXXXXX)
# Output and the input pipe live beside the working folder, which holds only what
# the program finds and leaves.
aside=$(mktemp -d /tmp/tiermend-console-aside-XXXXXX)
cleanup() {
  exec 3>&-
  rm -rf "$work" "$aside"
}
trap cleanup EXIT
source "$here/folder.sh"

mkfifo "$aside/stdin"
exec 3<>"$aside/stdin"

# Runs the program in the working folder without a display, with the arguments given;
# environment assignments in CONSOLE_ENV (an array) come first. Sets OUT, ERR and
# STATUS (124 when it had to be stopped after 90 seconds).
CONSOLE_ENV=()
console() {
  local started=$(date +%s%N)
  (cd "$work" && exec timeout 90 env -u DISPLAY -u WAYLAND_DISPLAY "${CONSOLE_ENV[@]}" \
    "$TOOL" "$@" <&3 >"$aside/out" 2>"$aside/err")
  STATUS=$?
  OUT=$(cat "$aside/out")
  ERR=$(cat "$aside/err")
  echo "tiermend $*: $((($(date +%s%N) - started) / 1000000)) ms, status $STATUS"
}

expect_run() {
  local what=$1 status=$2 out=$3 err=$4
  expect_eq "$what: exit status" "$STATUS" "$status"
  expect_eq "$what: standard output" "$OUT" "$out"
  expect_eq "$what: standard error" "$ERR" "$err"
}

fresh_folder() {
  rm -rf "$work" && mkdir "$work"
  prepare_folder
}

COMPLETE=更新完成.

run_run() {
  fresh_folder
  console
  expect_run "success" 0 "$COMPLETE" ""
  expect_all_refreshed "success"
  expect_untouched_own_table "success"

  fresh_folder
  rm "$work/Link.txt"
  local before
  before=$(md5sum "$work"/*.mdb)
  console
  expect_run "missing Link.txt" 1 "" "File not found."
  expect_eq "missing Link.txt: no database touched" "$(md5sum "$work"/*.mdb)" "$before"

  fresh_folder
  sql "alter table labor drop column note"
  console
  expect_run "labor short of a column" 1 "" "List index out of bounds (6)"
  expect_counts "labor failure" "50/3/2/4"
  expect_health_insu_refreshed
  expect_eq "labor keeps its old rows" "$(sql "select group_concat(insured_salary) from labor")" \
    "11100,12540,26400"

  fresh_folder
  sql "alter table retire drop column contribution_wage"
  console
  expect_run "retire short of a column" 1 "" "List index out of bounds (4)"
  expect_counts "retire failure" "50/38/151/4"
  expect_eq "retire keeps its old rows" "$(sql "select group_concat(wage_to) from retire")" \
    "1500,3000,4500,6000"

  # Where windows cannot go, the run happens in the console all the same.
  local display=:97
  while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=:$((${display#:} + 1)); done
  local case
  for case in "DISPLAY=$display" "WAYLAND_DISPLAY=$work/no-compositor" \
    "QT_QPA_PLATFORM=offscreen DISPLAY=$display" "QT_QPA_PLATFORM=minimal"; do
    fresh_folder
    read -r -a CONSOLE_ENV <<<"$case"
    console
    expect_run "$case" 0 "$COMPLETE" ""
    expect_counts "$case" "50/38/151/62"
  done
  CONSOLE_ENV=()

  # A window platform that Qt cannot start after all (as when a loaded X server stops
  # answering after the probe) leaves the run to the console, not to an abort; what Qt
  # said of it may stand on standard error.
  fresh_folder
  CONSOLE_ENV=(QT_QPA_PLATFORM=no-such-platform)
  console
  CONSOLE_ENV=()
  expect_eq "Qt cannot start: exit status" "$STATUS" 0
  expect_eq "Qt cannot start: standard output" "$OUT" "$COMPLETE"
  expect_counts "Qt cannot start" "50/38/151/62"

  if locale -a 2>/dev/null | grep -qi '^zh_TW\.big5$'; then
    fresh_folder
    CONSOLE_ENV=(LC_ALL=zh_TW.BIG5)
    console
    CONSOLE_ENV=()
    expect_eq "zh_TW.BIG5: exit status" "$STATUS" 0
    expect_eq "zh_TW.BIG5: completion message in Big5" "$(od -An -tx1 "$aside/out" | tr -d ' \n')" \
      "a7f3b773a7b9a6a82e0a"
  else
    echo "no zh_TW.BIG5 locale: the Big5 output is not checked"
  fi
}

# The lines --check prints for the four tables, from old and new row counts.
check_lines() {
  printf 'health_insu: %s rows → %s\nlabor: %s rows → %s\nincom_rep: %s rows → %s\nretire: %s rows → %s' "$@"
}

# Runs --check, then the real run, on the folder as it is: the check must leave the
# target byte for byte as it was and end as the real run then does.
check_then_run() {
  local what=$1 target=$work/basedb.mdb
  cp "$target" "$aside/before.mdb"
  console --check
  local check_status=$STATUS check_err=$ERR
  CHECK_OUT=$OUT
  if cmp -s "$target" "$aside/before.mdb"; then ok "$what: --check left the target unchanged"; else
    fail "$what: --check changed the target"
  fi
  console
  expect_eq "$what: --check ends as the run: status" "$check_status" "$STATUS"
  expect_eq "$what: --check ends as the run: standard error" "$check_err" "$ERR"
}

run_check_sqlite() {
  fresh_folder
  check_then_run "success"
  expect_eq "success: --check prints each table" "$CHECK_OUT" "$(check_lines 3 50 3 38 2 151 4 62)"
  expect_eq "success: the run" "$OUT" "$COMPLETE"
  expect_all_refreshed "after the check and the run"

  fresh_folder
  sql "alter table labor drop column note"
  check_then_run "labor short of a column"
  expect_eq "labor failure: --check prints the tables before it" "$CHECK_OUT" "health_insu: 3 rows → 50"
  expect_eq "labor failure: the message" "$ERR" "List index out of bounds (6)"

  fresh_folder
  sql "alter table retire drop column contribution_wage"
  check_then_run "retire short of a column"
  expect_eq "retire failure: the message" "$ERR" "List index out of bounds (4)"
  expect_eq "retire failure: status" "$STATUS" 1
}

# An Access basedb.mdb with last year's brackets, written by the program itself from a
# SQLite file of them standing in as the package.
prepare_access_folder() {
  rm -rf "$work" && mkdir "$work"
  cat "$root/testdata/bracket-tables-sqlite.sql" "$root/demo/data/basedb.sql" |
    sqlite3 "$work/tiermenddb.mdb"
  copy_fixture tiermenddb.mdb "$work/basedb.mdb"
  printf '2,x,x,x,x,x,%s/,\r\n' "$work" >"$work/Link.txt"
  console
  expect_eq "preparing the Access target" "$STATUS" 0
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  expect_eq "Access target holds last year's rows" "$(access_counts "$work/basedb.mdb")" "3/3/2/4"
}

# Writes bytes (printf escapes) into the update package at a byte offset.
patch_package() {
  printf "$2" | dd of="$work/tiermenddb.mdb" bs=1 seek="$1" conv=notrunc status=none
}

run_check_access() {
  prepare_access_folder
  check_then_run "Access"
  expect_eq "Access: --check prints each table" "$CHECK_OUT" "$(check_lines 3 50 3 38 2 151 4 62)"
  expect_eq "Access: the run" "$OUT" "$COMPLETE"
  expect_eq "Access: refreshed" "$(access_counts "$work/basedb.mdb")" "50/38/151/62"
  expect_eq "Access: no copy or lock file left" "$(ls -A "$work" | tr '\n' ' ')" \
    "Link.txt basedb.mdb tiermenddb.mdb "

  prepare_access_folder
  # The second map-page number in retire's page map (page 31, row at 4027) names page 128.
  patch_package $((31 * 4096 + 4027 + 5)) '\x80'
  check_then_run "Access, damaged retire"
  expect_eq "damaged retire: the message" "$ERR" \
    "The table 'retire' in '$work/tiermenddb.mdb' is damaged: its page map names map page 128, beyond the end of the file."
  expect_eq "damaged retire: status" "$STATUS" 1
  expect_eq "damaged retire: the first three tables refreshed" "$(access_counts "$work/basedb.mdb")" \
    "50/38/151/4"
}

run_arguments() {
  fresh_folder
  console --help
  expect_eq "--help: exit status" "$STATUS" 0
  expect_contains "--help: the usage" "$OUT" "Usage: tiermend [--check | --help | --version]"
  expect_eq "--help: standard error" "$ERR" ""
  console --version
  expect_eq "--version: exit status" "$STATUS" 0
  if [[ "$OUT" =~ ^tiermend\ [0-9]+\.[0-9]+\.[0-9]+$ ]]; then ok "--version: [$OUT]"; else
    fail "--version printed [$OUT]"
  fi
  # Link.txt is a pipe no one writes: reading it would hang until the time limit.
  rm "$work/Link.txt"
  mkfifo "$work/Link.txt"
  local before argument
  before=$(md5sum "$work"/*.mdb)
  for argument in --bogus -h --check=yes ""; do
    console "$argument"
    expect_run "[$argument]" 2 "" "tiermend: unexpected argument '$argument'
Usage: tiermend [--check | --help | --version]"
  done
  console --check --help
  expect_run "--check --help" 2 "" "tiermend: unexpected argument '--help'
Usage: tiermend [--check | --help | --version]"
  expect_eq "no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

case "$scenario" in
  run) run_run ;;
  check-sqlite) run_check_sqlite ;;
  check-access) run_check_access ;;
  arguments) run_arguments ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "console $scenario: $failures failure(s)"
[ "$failures" -eq 0 ]
