#!/usr/bin/env bash
# Runs the real program in a private Xvfb in a temporary working folder and drives it
# like a user: reads every dialog through Ctrl+C and the clipboard, presses keys,
# clicks buttons, closes the window, then checks the exit status and the database.
#
# Usage: e2e.sh <scenario> <tiermend binary> <x11-close-window binary> <artifact folder> <hold-lock binary>
# Scenarios: success, success-big5, missing-link, labor-failure, retire-failure, and into
# an Access basedb.mdb: access-success, access-in-use, access-short-lock; and lock-short,
# lock-forever, fifo-link, damaged-incom-rep, damaged-retire, interrupt-window.
set -uo pipefail

scenario=$1
TOOL=$2
X11_CLOSE_WINDOW=$3
ARTIFACTS=$4
HOLD_LOCK=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/xdriver.sh"
source "$here/folder.sh"

TITLE=tiermend
MAIN=資料更新

# The clipboard text of a dialog with one OK button, as the shell's $(...) returns it.
dialog_clipboard() {
  local dashes=---------------------------
  printf '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n' \
    "$dashes" "$1" "$dashes" "$2" "$dashes" "OK   " "$dashes"
}

work=$(mktemp -d /tmp/tiermend-e2e-XXXXXX)
# The program's own output is shown whatever became of the scenario, so that a run that
# never showed a window says why.
show_program_output() {
  if [ -s "$work/tool.log" ]; then
    echo "--- program output"
    grep -v 'XDG_RUNTIME_DIR' "$work/tool.log" || true
  fi
}
cleanup() {
  show_program_output
  [ -n "${HOLDER_PID:-}" ] && kill "$HOLDER_PID" 2>/dev/null
  [ -n "${TOOL_PID:-}" ] && kill "$TOOL_PID" 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$ARTIFACTS"

# Starts the program in the folder ($1, the working folder when not given).
launch() {
  local folder=${1:-$work}
  LAUNCHED_AT=$(date +%s%N)
  (cd "$folder" && exec "$TOOL" >"$folder/tool.log" 2>&1) &
  TOOL_PID=$!
}

# Milliseconds since the last launch.
since_launch() { echo $((($(date +%s%N) - LAUNCHED_AT) / 1000000)); }

# Waits for the error box, checks its text, and dismisses it with Enter.
expect_error_box() {
  local what=$1 message=$2 id
  if ! id=$(wait_for_window "$TITLE" 60); then
    fail "$what: no error box"
    return
  fi
  expect_eq "$what: error box text" "$(dialog_text "$id")" "$(dialog_clipboard "$TITLE" "$message")"
  press_key "$id" Return
}

# Checks the main window's place and the state of its four buttons.
expect_main_window() {
  local what=$1 state=$2 shot=$3 id x y w h
  if ! id=$(wait_for_window "$MAIN" 30); then
    fail "$what: main window not shown"
    return
  fi
  MAIN_ID=$id
  read -r x y w h <<<"$(window_geometry "$id")"
  expect_eq "$what: main window place" "$x $y $w $h" "218 152 703 398"
  sleep 0.3
  screenshot "$shot"
  local lefts=(96 226 356 496) i
  for i in 0 1 2 3; do
    expect_eq "$what: Button$((i + 1))" \
      "$(button_state "$shot" $((x + lefts[i])) $((y + 90)) 120 50)" "$state"
  done
}

expect_exit() {
  local what=$1 expected=$2
  wait_for_exit "$TOOL_PID" 30
  expect_eq "$what: exit status" "$EXIT_STATUS" "$expected"
  TOOL_PID=
}

# Checks the main window as expect_main_window does, closes it, and checks that the
# program then ends with status 0.
close_main_window() {
  MAIN_ID=
  expect_main_window "$@"
  [ -n "$MAIN_ID" ] || return
  close_window "$MAIN_ID"
  expect_exit "after closing the window" 0
}

# Waits for the completion dialog, checks its text and dismisses it with Enter; the
# program must then end with status 0. $1 names the run; a command in $2 runs with the
# dialog's window id before Enter. Returns 1 when no dialog comes.
expect_completion() {
  local what=$1 id
  if ! id=$(wait_for_window "$TITLE" 120); then
    fail "$what: no completion dialog"
    return 1
  fi
  echo "$what: launch to completion dialog: $(since_launch) ms"
  expect_eq "$what: completion dialog text" "$(dialog_text "$id")" \
    "$(dialog_clipboard "$TITLE" "更新完成.")"
  if [ -n "${2:-}" ]; then "$2" "$id"; fi
  press_key "$id" Return
  expect_exit "$what: after the completion dialog" 0
}

# The completion dialog (window id $1) stands centred on the screen.
expect_dialog_centred() {
  local x y w h
  read -r x y w h <<<"$(window_geometry "$1")"
  expect_eq "completion dialog centred" \
    "$(((2 * x + w - 1024) / 3)) $(((2 * y + h - 768) / 3))" "0 0"
  screenshot "$ARTIFACTS/$scenario-completion.png"
}

run_success() {
  prepare_folder
  launch
  expect_completion "success" expect_dialog_centred || return
  expect_all_refreshed "success"
  expect_untouched_own_table "success"
}

run_missing_link() {
  prepare_folder
  rm "$work/Link.txt"
  local before
  before=$(md5sum "$work"/*.mdb)
  launch
  expect_error_box "missing Link.txt" "File not found."
  expect_main_window "after the link failure" enabled "$ARTIFACTS/missing-link-main.png"
  local x y w h
  read -r x y w h <<<"$(window_geometry "$MAIN_ID")"
  expect_eq "no database touched" "$(md5sum "$work"/*.mdb)" "$before"

  # Button3 starts the chain at incom_rep with the preset connection strings.
  xdotool mousemove $((x + 356 + 60)) $((y + 90 + 25)) click 1
  expect_error_box "Button3 with the preset connection" \
    "Could not find file '/nonexistent/tiermend/basedb.mdb'"
  close_main_window "after the Button3 failure" disabled "$ARTIFACTS/missing-link-button3.png"
  expect_eq "still no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

run_labor_failure() {
  prepare_folder
  sql "alter table labor drop column note"
  launch
  expect_error_box "labor short of a column" "List index out of bounds (6)"
  close_main_window "after the labor failure" disabled "$ARTIFACTS/labor-failure-main.png"
  expect_counts "labor failure" "50/3/2/4"
  expect_health_insu_refreshed
  expect_eq "labor keeps its old rows" "$(sql "select group_concat(insured_salary) from labor")" \
    "11100,12540,26400"
  expect_untouched_own_table "labor failure"
}

run_retire_failure() {
  prepare_folder
  sql "alter table retire drop column contribution_wage"
  launch
  expect_error_box "retire short of a column" "List index out of bounds (4)"
  sleep 1
  if no_window "$TITLE"; then ok "no completion dialog after the retire failure"; else
    fail "a dialog followed the retire failure"
  fi
  close_main_window "after the retire failure" disabled "$ARTIFACTS/retire-failure-main.png"
  expect_counts "retire failure" "50/38/151/4"
  expect_eq "retire keeps its old rows" "$(sql "select group_concat(wage_to) from retire")" \
    "1500,3000,4500,6000"
}

# --- An Access basedb.mdb as the target.

MDB_READER="$root/tools/mdb-reader/dump-table.mjs"

# An Access basedb.mdb with last year's brackets, written by the program itself: a copy
# of the Access package (which has the four tables) refreshed from a SQLite file with
# last year's rows standing in as the package.
prepare_access_folder() {
  local prep=$work/prep
  mkdir -p "$prep"
  cat "$root/testdata/bracket-tables-sqlite.sql" "$root/demo/data/basedb.sql" |
    sqlite3 "$prep/tiermenddb.mdb"
  copy_fixture tiermenddb.mdb "$prep/basedb.mdb"
  printf '2,x,x,x,x,x,%s/,\r\n' "$prep" >"$prep/Link.txt"
  launch "$prep"
  expect_completion "preparing the Access target" || return 1
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  mv "$prep/basedb.mdb" "$work/basedb.mdb"
  rm -rf "$prep"
  printf '2,x,x,x,x,x,%s/,\r\n' "$work" >"$work/Link.txt"
  expect_eq "Access target holds last year's rows" "$(access_counts "$work/basedb.mdb")" "3/3/2/4"
}

# Every bracket table of the target as the package holds it, read by libmdb and mdb-reader.
# Values travel as edit text, so a null note (labor's last column, the only text column of
# the four tables) arrives as empty text; mdb-export prints both alike.
expect_access_refreshed() {
  local t
  expect_eq "$1: row counts" "$(access_counts "$work/basedb.mdb")" "50/38/151/62"
  for t in $BRACKETS; do
    expect_eq "$1: $t by mdb-export" "$(mdb-export "$work/basedb.mdb" "$t" | md5sum)" \
      "$(mdb-export "$work/tiermenddb.mdb" "$t" | md5sum)"
    expect_eq "$1: $t by mdb-reader" "$(node "$MDB_READER" "$work/basedb.mdb" "$t" | md5sum)" \
      "$(node "$MDB_READER" "$work/tiermenddb.mdb" "$t" | sed 's/\t\\N$/\t/' | md5sum)"
  done
  expect_eq "$1: only the expected files" "$(ls -A "$work" | grep -v '^tool.log$' | tr '\n' ' ')" \
    "${2:-Link.txt basedb.mdb tiermenddb.mdb }"
}

run_access_success() {
  prepare_access_folder || return
  local readme
  readme=$(mdb-export "$work/basedb.mdb" readme | md5sum)
  launch
  expect_completion "access" || return
  expect_access_refreshed "access"
  expect_eq "the customer's own table" "$(mdb-export "$work/basedb.mdb" readme | md5sum)" "$readme"
}

# Starts another program holding the target's lock file for $1 seconds (0: for good).
hold_lock() {
  exec 3< <(exec "$HOLD_LOCK" "$work/basedb.ldb" "$1")
  HOLDER_PID=$!
  local line
  read -r -t 10 line <&3
  expect_eq "the other program holds the lock" "$line" "locked"
}

run_access_in_use() {
  prepare_access_folder || return
  local before message waited
  hold_lock 0
  before=$(md5sum "$work/basedb.mdb")
  launch
  # The error box ends a message that ends in a letter with a full stop.
  message="The file '$work/basedb.mdb' is in use by another program: process $HOLDER_PID (hold-lock) holds its lock file '$work/basedb.ldb'; waited 30 seconds."
  expect_error_box "the file in use" "$message"
  waited=$(($(since_launch) / 1000))
  echo "launch to the in-use error box: $waited s"
  if [ "$waited" -ge 29 ] && [ "$waited" -le 60 ]; then ok "waited about 30 s"; else
    fail "waited $waited s"
  fi
  close_main_window "after the in-use failure" disabled "$ARTIFACTS/access-in-use-main.png"
  expect_eq "the file is unchanged" "$(md5sum "$work/basedb.mdb")" "$before"
  kill "$HOLDER_PID" 2>/dev/null
}

run_access_short_lock() {
  prepare_access_folder || return
  hold_lock 1
  launch
  expect_completion "access after a short lock" || return
  wait "$HOLDER_PID" 2>/dev/null
  # The other program made the lock file and left it: it stays, as it is not ours.
  expect_access_refreshed "access after a short lock" "Link.txt basedb.ldb basedb.mdb tiermenddb.mdb "
}

# Another program's hold on the target: BEGIN IMMEDIATE through the sqlite3 shell, kept
# for $1 seconds. Returns once the lock is held.
hold_target_lock() {
  local seconds=$1 i marker=$work/holder-locked
  rm -f "$marker"
  # The shell touches the marker once BEGIN IMMEDIATE has succeeded, so the wait below
  # does not depend on how fast a busy machine starts the holder.
  sqlite3 "$work/basedb.mdb" "BEGIN IMMEDIATE;" ".shell touch '$marker'; sleep $seconds" \
    "COMMIT;" >/dev/null 2>&1 &
  HOLDER_PID=$!
  for ((i = 0; i < 600; i++)); do
    [ -e "$marker" ] && { rm -f "$marker"; return 0; }
    sleep 0.05
  done
  fail "the holder did not take the lock"
}

run_lock_short() {
  prepare_folder
  hold_target_lock 1
  launch
  expect_completion "lock held for 1 s" || return
  wait "$HOLDER_PID" 2>/dev/null
  expect_all_refreshed "lock held for 1 s"
}

run_lock_forever() {
  prepare_folder
  hold_target_lock 45
  local id
  launch
  if ! id=$(wait_for_window "$TITLE" 90); then
    fail "no error box while the target stays locked"
    kill "$HOLDER_PID" 2>/dev/null
    return
  fi
  echo "launch to error box with the target locked for good: $(since_launch) ms"
  expect_eq "locked target: error box text" "$(dialog_text "$id")" \
    "$(dialog_clipboard "$TITLE" "The database file '$work/basedb.mdb' is in use by another program: it stayed locked for 30 seconds. Try again when that program has finished with it.")"
  press_key "$id" Return
  close_main_window "after the lock failure" disabled "$ARTIFACTS/lock-forever-main.png"
  kill "$HOLDER_PID" 2>/dev/null
  wait "$HOLDER_PID" 2>/dev/null
  expect_counts "locked target" "3/3/2/4"
}

run_fifo_link() {
  prepare_folder
  rm "$work/Link.txt"
  mkfifo "$work/Link.txt"
  local before
  before=$(md5sum "$work"/*.mdb)
  launch
  expect_error_box "Link.txt a pipe" "File access denied."
  echo "launch to error box with Link.txt a pipe: $(since_launch) ms"
  close_main_window "after the pipe failure" enabled "$ARTIFACTS/fifo-link-main.png"
  expect_eq "no database touched" "$(md5sum "$work"/*.mdb)" "$before"
}

# Writes bytes (printf escapes) into the update package at a byte offset.
patch_package() {
  printf "$2" | dd of="$work/tiermenddb.mdb" bs=1 seek="$1" conv=notrunc status=none
}

run_damaged_incom_rep() {
  prepare_folder
  # incom_rep's first data page (page 40) counts 1000 rows instead of 65.
  patch_package $((40 * 4096 + 12)) '\xe8\x03'
  launch
  expect_error_box "damaged incom_rep" \
    "The table 'incom_rep' in '$work/tiermenddb.mdb' is damaged: the rows of page 40 lie outside the page or overlap."
  close_main_window "after the damaged incom_rep" disabled "$ARTIFACTS/damaged-incom-rep-main.png"
  expect_counts "damaged incom_rep" "50/38/2/4"
}

run_damaged_retire() {
  prepare_folder
  # The second map-page number in retire's page map (page 31, row at 4027) names page 128.
  patch_package $((31 * 4096 + 4027 + 5)) '\x80'
  launch
  expect_error_box "damaged retire" \
    "The table 'retire' in '$work/tiermenddb.mdb' is damaged: its page map names map page 128, beyond the end of the file."
  close_main_window "after the damaged retire" disabled "$ARTIFACTS/damaged-retire-main.png"
  expect_counts "damaged retire" "50/38/151/4"
}

start_xvfb || exit 1
# SIGTERM ends the window run, whatever it is doing: showing its error box, or waiting
# for another program's lock in the middle of the refresh. No box is left, the exit
# status is the signal's, and an Access target keeps its old rows with no copy left.
run_interrupt_window() {
  prepare_folder
  rm "$work/Link.txt"
  launch
  if wait_for_window "$TITLE" 60 >/dev/null; then
    kill -TERM "$TOOL_PID"
    expect_exit "SIGTERM at the error box" 143
    expect_contains "SIGTERM at the error box: the message" "$(cat "$work/tool.log")" \
      "The run was interrupted (SIGTERM); the table being refreshed keeps its old rows"
  else
    fail "no error box"
  fi

  prepare_access_folder || return
  hold_lock 0
  local before
  before=$(md5sum "$work/basedb.mdb")
  launch
  sleep 2  # the refresh is waiting for the lock by now (30 s at most)
  kill -TERM "$TOOL_PID"
  expect_exit "SIGTERM while waiting for a lock" 143
  expect_eq "the file is unchanged" "$(md5sum "$work/basedb.mdb")" "$before"
  kill "$HOLDER_PID" 2>/dev/null
  expect_eq "no working copy left" "$(ls -A "$work" | grep -v '^tool.log$' | tr '\n' ' ')" \
    "Link.txt basedb.ldb basedb.mdb tiermenddb.mdb "
}

case "$scenario" in
  success) run_success ;;
  interrupt-window) run_interrupt_window ;;
  success-big5)
    if ! locale -a 2>/dev/null | grep -qi '^zh_TW\.big5$'; then
      echo "no zh_TW.BIG5 locale: skipped"
      exit 77
    fi
    export LC_ALL=zh_TW.BIG5
    run_success
    ;;
  missing-link) run_missing_link ;;
  labor-failure) run_labor_failure ;;
  retire-failure) run_retire_failure ;;
  access-success) run_access_success ;;
  access-in-use) run_access_in_use ;;
  access-short-lock) run_access_short_lock ;;
  lock-short) run_lock_short ;;
  lock-forever) run_lock_forever ;;
  fifo-link) run_fifo_link ;;
  damaged-incom-rep) run_damaged_incom_rep ;;
  damaged-retire) run_damaged_retire ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "$scenario: $failures failure(s)"
[ "$failures" -eq 0 ]
