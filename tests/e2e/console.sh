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
# run would), arguments (--help, --version, anything else refused), interrupt (SIGTERM and
# SIGINT during an Access refresh), two-runs (two runs at once on an Access target),
# full-disk (--check on a file system too small, root only), unwritable-output (--help,
# --version and --check with standard output closed or /dev/full), sql-server-names
# (malformed names, a silent SQL Server Browser).
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

# Starts the program in the background in the working folder, as console() runs it,
# with the arguments given; sets PID. Its output goes to $aside/out.$1 and err.$1.
start_console() {
  local name=$1
  shift
  (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY --default-signal=INT,TERM "$TOOL" "$@" \
    <&3 >"$aside/out.$name" 2>"$aside/err.$name") &
  PID=$!
}

# Waits up to 60 s for a file matching the pattern to appear; true when it did.
await_file() {
  local i
  for ((i = 0; i < 3000; i++)); do
    compgen -G "$1" >/dev/null && return 0
    kill -0 "$PID" 2>/dev/null || return 1
    sleep 0.02
  done
  return 1
}

# A refresh of an Access target from the 4 x 100,000-row package, interrupted by a real
# signal while its first table is being written: the table keeps its old rows, the
# working copy and the lock file are gone, and the run says so and ends as the signal's.
run_interrupt() {
  local signal status
  for signal in TERM INT; do
    prepare_access_folder
    copy_fixture bench_tiermenddb.mdb "$work/tiermenddb.mdb"
    cp "$work/basedb.mdb" "$aside/before.mdb"
    start_console "$signal"
    if await_file "$work/.basedb.mdb.tiermend-*"; then
      kill -s "$signal" "$PID"
    else
      fail "SIG$signal: the run made no working copy"
    fi
    wait "$PID"
    status=$?
    expect_eq "SIG$signal: exit status" "$status" "$((128 + $(kill -l "$signal")))"
    expect_eq "SIG$signal: the message" "$(cat "$aside/err.$signal")" \
      "The run was interrupted (SIG$signal); the table being refreshed keeps its old rows."
    expect_eq "SIG$signal: nothing on standard output" "$(cat "$aside/out.$signal")" ""
    if cmp -s "$work/basedb.mdb" "$aside/before.mdb"; then ok "SIG$signal: the target unchanged"; else
      fail "SIG$signal: the target changed"
    fi
    expect_eq "SIG$signal: no working copy or lock file left" "$(ls -A "$work" | tr '\n' ' ')" \
      "Link.txt basedb.mdb tiermenddb.mdb "
  done
}

# Two runs at once on one Access target: the second waits for the first one's lock
# (bounded) and then runs, or says the file is in use; both end with the target whole.
run_two_runs() {
  prepare_access_folder
  copy_fixture bench_tiermenddb.mdb "$work/tiermenddb.mdb"
  start_console first
  local first=$PID
  await_file "$work/basedb.ldb" || fail "the first run took no lock"
  console
  wait "$first"
  local first_status=$?
  expect_eq "first run: exit status" "$first_status" 0
  expect_eq "first run: standard output" "$(cat "$aside/out.first")" "$COMPLETE"
  if [ "$STATUS" -eq 0 ]; then
    expect_eq "second run: standard output" "$OUT" "$COMPLETE"
  else
    expect_contains "second run: in use" "$ERR" "is in use by another program"
  fi
  expect_eq "the target holds the package's rows" "$(access_counts "$work/basedb.mdb")" \
    "$(access_counts "$work/tiermenddb.mdb")"
  expect_eq "no copy or lock file left" "$(ls -A "$work" | tr '\n' ' ')" \
    "Link.txt basedb.mdb tiermenddb.mdb "
}

# --check on a file system too small for what the run will write: at every size the
# check ends as the real run then does. A small file system of its own needs root.
run_full_disk() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: a small file system (tmpfs with size=) can only be mounted by root"
    exit 77
  fi
  local disk=$aside/disk size failing=0
  mkdir "$disk"
  # The 4 x 100,000-row package grows the target from 188 KB to about 19 MB, table by
  # table; the run needs room for the file and its working copy at each step.
  for size in 4 8 12 16 20 24 28 32 36 40; do
    prepare_access_folder
    copy_fixture bench_tiermenddb.mdb "$work/tiermenddb.mdb"
    mount -t tmpfs -o size=${size}m tmpfs "$disk" || {
      echo "SKIP: tmpfs cannot be mounted here"
      exit 77
    }
    cp "$work/basedb.mdb" "$disk/basedb.mdb"
    printf '2,x,x,x,x,x,%s/,\r\n' "$disk" >"$work/Link.txt"
    console --check
    local check_status=$STATUS check_err=$ERR
    console
    expect_eq "${size} MB: --check ends as the run: status" "$check_status" "$STATUS"
    if [ "$STATUS" -ne 0 ]; then
      failing=$((failing + 1))
      expect_contains "${size} MB: --check names the full disk" "$check_err" "No space left on device"
      expect_contains "${size} MB: the run names the full disk" "$ERR" "No space left on device"
    fi
    expect_eq "${size} MB: no copy or lock file left" "$(ls -A "$disk" | tr '\n' ' ')" "basedb.mdb "
    umount "$disk"
  done
  # The sizes reach from too small for the first table to enough for the whole run.
  if [ "$failing" -gt 0 ] && [ "$failing" -lt 10 ]; then ok "$failing of 10 sizes too small"; else
    fail "$failing of 10 sizes too small: the sizes do not straddle what the run needs"
  fi
}

# --help, --version and --check whose output cannot be written: closed, or /dev/full.
run_unwritable_output() {
  fresh_folder
  local argument how
  for argument in --help --version --check; do
    for how in closed full; do
      if [ "$how" = closed ]; then
        (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY "$TOOL" "$argument" <&3 \
          >&- 2>"$aside/err")
      else
        (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY "$TOOL" "$argument" <&3 \
          >/dev/full 2>"$aside/err")
      fi
      STATUS=$?
      expect_eq "$argument, output $how: exit status" "$STATUS" 1
      expect_contains "$argument, output $how: the message" "$(cat "$aside/err")" \
        "tiermend: cannot write to standard output"
    done
  done
  expect_counts "--check changed nothing" "3/3/2/4"
}

# SQL Server names with a part missing are refused before any connection (they would
# reach this machine's default instance); a named instance whose SQL Server Browser does
# not answer (a UDP socket on port 1434 that reads nothing) says it could not be looked up.
run_sql_server_names() {
  fresh_folder
  local before name
  before=$(md5sum "$work"/*.mdb)
  for name in 'tcp:' '\' 'dbhost\' ',1433'; do
    printf '1,%s,payroll,sa,secret,x,x,\r\n' "$name" >"$work/Link.txt"
    console
    expect_eq "[$name]: exit status" "$STATUS" 1
    expect_contains "[$name]: refused as malformed" "$ERR" "The SQL Server name '$name' is malformed: "
  done
  if ! command -v python3 >/dev/null; then
    echo "no python3: the silent Browser is not checked"
    return
  fi
  python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 1434))
print("bound", flush=True)
time.sleep(120)' >"$aside/browser" 2>&1 &
  local browser=$!
  local i
  for ((i = 0; i < 100; i++)); do
    grep -q bound "$aside/browser" && break
    sleep 0.05
  done
  if grep -q bound "$aside/browser"; then
    printf '1,127.0.0.1\\SQLEXPRESS,payroll,sa,secret,x,x,\r\n' >"$work/Link.txt"
    console
    expect_eq "silent Browser: exit status" "$STATUS" 1
    expect_eq "silent Browser: the message" "$ERR" \
      "Could not connect to the SQL Server '127.0.0.1\\SQLEXPRESS': the instance could not be looked up (the SQL Server Browser on '127.0.0.1' did not answer within 5 seconds)"
  else
    echo "UDP port 1434 is taken here: the silent Browser is not checked"
  fi
  kill "$browser" 2>/dev/null
  wait "$browser" 2>/dev/null
  expect_eq "no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

case "$scenario" in
  run) run_run ;;
  sql-server-names) run_sql_server_names ;;
  interrupt) run_interrupt ;;
  two-runs) run_two_runs ;;
  full-disk) run_full_disk ;;
  unwritable-output) run_unwritable_output ;;
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
