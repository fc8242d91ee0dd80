#!/usr/bin/env bash
# Runs the Windows program under Wine as a Windows user would, in a fresh working folder
# under the code page 950 locale, and checks what it shows or prints, its exit status
# and the target afterwards, read from Linux (sqlite3, mdb-export, mdb-reader, psql).
# From a console where no window can be made (no X display): what it prints. With an X
# display (window-* scenarios): its windows, driven with xdotool and xclip, and read
# with window-probe.exe (a Windows program of the tests) where X cannot see inside them.
# Another Windows program (hold-file.exe) stands in for Access or an editor holding a
# file open.
#
# Usage: windows.sh <scenario> <tiermend.exe> <hold-file.exe> <indexed-target.exe> <window-probe.exe>
# Scenarios: sqlite, access, access-indexed, postgres, named-folders, missing-link, link-held,
# access-held, arguments; window-success, window-missing-link, window-labor-failure.
# WINEPREFIX names the prefix to run in; the window scenarios use DISPLAY (a private
# Xvfb when it is unset), whose X11 driver must manage no window (Managed=N).
set -uo pipefail

read -r scenario TOOL HOLD INDEXED PROBE <<<"$*"
here=$(cd "$(dirname "$0")" && pwd) root=$(cd "$(dirname "$0")/../.." && pwd)
# The working folder holds only what the program finds and leaves; its output, and the
# other program's, go aside.
work=$(mktemp -d /tmp/tiermend-windows-XXXXXX) aside=$(mktemp -d /tmp/tiermend-windows-aside-XXXXXX)
holder= tool_pid= keeper=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  stop_xvfb
  rm -rf "$work" "$aside"
}
trap cleanup EXIT
source "$here/folder.sh"
source "$here/xdriver.sh"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_TW.UTF-8

# The working folder as Windows names it (Wine maps / to drive Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Runs the program in the working folder with the arguments given, as from a console
# where no window can be made (no X display). Sets OUT and ERR
# (read as code page 950, without the carriage returns of the console's line ends) and
# STATUS (124 when it had to be stopped after 120 seconds).
run_tool() {
  local started=$(date +%s%N)
  (cd "$work" && exec timeout 120 env -u DISPLAY wine "$TOOL" "$@" </dev/null >"$aside/out" 2>"$aside/err")
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
# Link.txt as a Windows editor under code page 950 saves it.
write_link_cp950() {
  printf '%s\r\n' "$1" | iconv -f UTF-8 -t CP950 >"$work/Link.txt"
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

# Targets in folders whose names are Chinese, as a Taiwanese customer's are: Link.txt
# names them in code page 950, and the program must reach them (the ANSI file functions
# would take the converted name for another) and name them rightly in its messages. The
# second name's characters end in the byte of "\\" in code page 950.
run_named_folders() {
  local name folder
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  for name in "薪資 資料" "許功蓋"; do
    folder="$work/$name"
    mkdir "$folder"
    cat "$root/testdata/bracket-tables-sqlite.sql" "$root/demo/data/basedb.sql" |
      sqlite3 "$folder/basedb.mdb"
    write_link_cp950 "2,x,x,x,x,x,$(windows_path "$folder")\\,"
    run_tool
    expect_run "SQLite target in '$name'" 0 "$COMPLETE" ""
    expect_eq "SQLite target in '$name': row counts" "$(sqlite3 "$folder/basedb.mdb" "select
      (select count(*) from health_insu) || '/' || (select count(*) from labor) || '/' ||
      (select count(*) from incom_rep) || '/' || (select count(*) from retire)")" "50/38/151/62"

    rm "$folder/basedb.mdb"
    copy_fixture tiermenddb.mdb "$folder/basedb.mdb"
    run_tool
    expect_run "Access target in '$name'" 0 "$COMPLETE" ""
    expect_eq "Access target in '$name': row counts" "$(access_counts "$folder/basedb.mdb")" \
      "50/38/151/62"
    expect_eq "Access target in '$name': no working copy or lock file left" \
      "$(ls -A "$folder" | grep -v '\.mdb$')" ""

    write_link_cp950 "2,x,x,x,x,x,$(windows_path "$folder")\\無此資料夾\\,"
    run_tool
    expect_run "missing target in '$name'" 1 "" \
      "Could not find file '$(windows_path "$folder")\\無此資料夾\\basedb.mdb'"
  done
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


# --- The window run: tiermend.exe on an X display.

TITLE=tiermend
MAIN=資料更新
DASHES=---------------------------

# The clipboard text of the completion dialog, each line ended by CR LF, as Windows
# programs read it; X programs get it with LF alone.
completion_clipboard() {
  printf '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n' \
    "$DASHES" "$TITLE" "$DASHES" "$COMPLETE" "$DASHES" "OK   " "$DASHES"
}

# Starts the program in the working folder on the X display, in the background.
launch_window_run() {
  (cd "$work" && exec timeout 300 wine "$TOOL" </dev/null >"$aside/out" 2>"$aside/err") &
  tool_pid=$!
}

expect_tool_exit() {
  wait_for_exit "$tool_pid" 30
  expect_eq "$1: exit status" "$EXIT_STATUS" "$2"
  [ "$EXIT_STATUS" = running ] || tool_pid=
}

# window-probe.exe's report on the window or box captioned $2 ($1: window or box).
# Its output goes through a file, never a pipe: a Wine process it happens to start (the
# desktop) would hold a pipe open for good.
probe() {
  wine "$PROBE" "$@" </dev/null >"$aside/probe" 2>&1
  tr -d '\r' <"$aside/probe"
}

# Prints the X window of this run's program whose whole name is $1; waits up to $2
# seconds. Windows a program left behind on the display are not this run's: the
# window's process (_NET_WM_PID) is the wine process that the run started. Of two
# (an error box over the dialog), the newest.
tool_window() {
  local name=$1 deadline=$((SECONDS + ${2:-10})) id pid wine_pid found
  while ((SECONDS <= deadline)); do
    wine_pid=$(pgrep -P "$tool_pid" | head -1) found=
    for id in $(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | sort -n); do
      pid=$(xprop -id "$id" _NET_WM_PID 2>/dev/null | awk '{print $3}')
      [ -n "$wine_pid" ] && [ "$pid" = "$wine_pid" ] && found=$id
    done
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# Waits for an error box, checks its text, icon and button through window-probe.exe,
# and dismisses it with Enter.
expect_error_box() {
  local what=$1 message=$2 report id
  report=$(probe box "$TITLE" 60)
  # Wine's message box names its button in the user's language ("確定" under zh_TW).
  expect_eq "$what: error box" "$report" "caption: $TITLE
icon: shown
text: $message
button: 確定"
  id=$(tool_window "$TITLE") || {
    fail "$what: the error box is not on the X display"
    return
  }
  # The error icon is the red one: hundreds of its pixels are strongly red.
  import -window "$id" "$aside/box.png"
  expect_eq "$what: the error icon" "$(convert "$aside/box.png" \
    -fx 'r > 0.7 && g < 0.35 && b < 0.35 ? 1 : 0' -format '%[fx:mean*w*h > 200]' info:)" 1
  [ -n "${3:-}" ] && shot "$id" "$3"
  dismiss "$id" Return
}

# The main window's place, size, focus and controls as window-probe.exe reads them: the
# title label, the four buttons and the two hidden grids in tab order, each with its
# place in the client area and state; every button $1 (enabled or disabled).
main_window_report() {
  local s=$1
  cat <<EOF2
window 218 152 703 398
client CLIENT
focus: FOCUS
Static|薪資級距資料更新|92 15 253 33|enabled|visible|-
Button|健保級距|96 90 120 50|$s|visible|tabstop
Button|勞保級距|226 90 120 50|$s|visible|tabstop
Button|所得稅級距|356 90 120 50|$s|visible|tabstop
SysListView32||96 200 529 81|enabled|hidden|tabstop
SysListView32||96 288 529 73|enabled|hidden|tabstop
Button|勞退級距|496 90 120 50|$s|visible|tabstop
EOF2
}

# Checks the main window (buttons in state $2) and leaves its X id in MAIN_ID.
expect_main_window() {
  local what=$1 state=$2 report
  report=$(probe window "$MAIN" 30)
  expect_eq "$what: main window and controls" \
    "$(sed -e 's/^client .*/client CLIENT/' -e 's/^focus: .*/focus: FOCUS/' <<<"$report")" \
    "$(main_window_report "$state")"
  MAIN_REPORT=$report
  MAIN_ID=$(tool_window "$MAIN") || {
    fail "$what: the main window is not on the X display"
    return
  }
  expect_eq "$what: its place and size on the X display" "$(window_geometry "$MAIN_ID")" \
    "218 152 703 398"
}

# Clicks button $1 (0 to 3) of the main window at its place on the screen.
click_button() {
  local lefts=(96 226 356 496) x y client_top
  # The client area starts below the caption: the window's height less the client's,
  # less the bottom frame, which is as wide as the side frames.
  read -r _ _ cw ch <<<"$(sed -n 's/^client /x x /p' <<<"$MAIN_REPORT")"
  local frame=$(((703 - cw) / 2))
  client_top=$((398 - ch - frame))
  x=$((218 + frame + lefts[$1] + 60)) y=$((152 + client_top + 90 + 25))
  xdotool mousemove "$x" "$y" click 1
}

# Closes the main window as a user would with Alt+F4; the program must end with status 0.
close_main_window() {
  press_key "$MAIN_ID" alt+F4
  expect_tool_exit "$1: after closing the main window" 0
}

# Waits for the completion dialog and checks it: caption, text, the "OK" button centred
# below the text, the dialog centred on the screen, and what Ctrl+C copies.
expect_completion_dialog() {
  local what=$1 report wx wy ww wh cw bx bw
  report=$(probe window "$TITLE" 120)
  if [ -z "$report" ] || [[ "$report" == *"no window"* ]]; then
    fail "$what: no completion dialog; the program said [$(cat "$aside/out" "$aside/err")]"
    return 1
  fi
  read -r wx wy ww wh <<<"$(sed -n 's/^window //p' <<<"$report")"
  read -r cw _ <<<"$(sed -n 's/^client //p' <<<"$report")"
  expect_eq "$what: the dialog's text" "$(grep -c "^Static|$COMPLETE|" <<<"$report")" 1
  read -r bx _ bw _ <<<"$(sed -n 's/^Button|OK|\([0-9 ]*\)|.*/\1/p' <<<"$report")"
  expect_eq "$what: one OK button, centred" "$(grep -c '^Button|' <<<"$report") $(((2 * bx + bw - cw) / 2))" "1 0"
  expect_eq "$what: dialog centred on the screen" \
    "$(((2 * wx + ww - 1024) / 2)) $(((2 * wy + wh - 768) / 2))" "0 0"
  DIALOG_ID=$(tool_window "$TITLE") || {
    fail "$what: the dialog is not on the X display"
    return 1
  }
  expect_eq "$what: Ctrl+C copies the dialog, X's clipboard" "$(copy_dialog "$DIALOG_ID")" \
    "$(completion_clipboard | tr -d '\r')"
  expect_eq "$what: Ctrl+C copies the dialog, Windows's clipboard" \
    "$(wine "$PROBE" clipboard </dev/null >"$aside/clipboard" 2>&1; od -An -c "$aside/clipboard")" \
    "$(completion_clipboard | od -An -c)"
}

# With TIERMEND_SCREENSHOTS naming a folder, saves X window $1 there as $2.png.
shot() {
  [ -n "${TIERMEND_SCREENSHOTS:-}" ] || return 0
  import -window "$1" "$TIERMEND_SCREENSHOTS/$2.png"
}

# What Ctrl+C in window $1 copies, as X programs read it. A busy machine may let Wine take
# the focus after the keys arrive: the keys are pressed again, up to three times.
copy_dialog() {
  local text= i
  for i in 1 2 3; do
    text=$(dialog_text "$1")
    [ -n "$text" ] && break
  done
  printf '%s' "$text"
}

# Presses key $2 in window $1 until the window is gone (up to three times, as above).
dismiss() {
  local i j
  for i in 1 2 3; do
    press_key "$1" "$2"
    for j in $(seq 1 40); do
      xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
      sleep 0.05
    done
  done
}

# The display, and the working folder with its Link.txt naming it as Windows does.
prepare_window_run() {
  [ -n "${DISPLAY:-}" ] || start_xvfb
  # Wine's desktop process starts with the first program that shows a window, and keeps
  # that program's outputs open for as long as it lives: a program of the test's own,
  # with none, starts it (and keeps it up) before the others.
  # The program's windows wait until the desktop is up.
  wine "$PROBE" idle </dev/null >"$aside/idle" 2>&1 &
  keeper=$!
  for _ in $(seq 1 1200); do grep -q idle "$aside/idle" 2>/dev/null && break; sleep 0.05; done
  grep -q idle "$aside/idle" || {
    fail "window-probe.exe idle made no window in 60 s: $(cat "$aside/idle")"
    return 1
  }
  prepare_folder
  write_link "2,x,x,x,x,x,$(windows_path "$work")\\,"
}

run_window_success() {
  prepare_window_run || return
  launch_window_run
  expect_completion_dialog "success" || return
  # Another program holding the clipboard open: Ctrl+C reports it, the dialog stays.
  wine "$PROBE" hold-clipboard 20 >"$aside/clip" 2>&1 &
  local clip=$!
  for _ in $(seq 1 100); do grep -q held "$aside/clip" && break; sleep 0.05; done
  xdotool windowfocus --sync "$DIALOG_ID" key --clearmodifiers ctrl+c
  expect_error_box "the clipboard held open" "Cannot open clipboard."
  kill "$clip" 2>/dev/null
  wait "$clip" 2>/dev/null
  expect_eq "the dialog stays" "$(tool_window "$TITLE")" "$DIALOG_ID"
  shot "$DIALOG_ID" completion-dialog
  dismiss "$DIALOG_ID" Return
  expect_tool_exit "success, Enter" 0
  expect_all_refreshed "window run"
  expect_untouched_own_table "window run"

  # Escape dismisses it too.
  launch_window_run
  expect_completion_dialog "second run" || return
  dismiss "$DIALOG_ID" Escape
  expect_tool_exit "success, Escape" 0
}

run_window_missing_link() {
  prepare_window_run || return
  rm "$work/Link.txt"
  local before
  before=$(md5sum "$work"/*.mdb)
  launch_window_run
  expect_error_box "missing Link.txt" "File not found." error-box
  expect_main_window "after the link failure" enabled
  expect_eq "the focus on Button1" "$(sed -n 's/^focus: //p' <<<"$MAIN_REPORT")" "健保級距"
  # Tab goes through the four buttons left to right (the hidden grids between Button3 and
  # Button4 take no focus) and round again; Shift+Tab goes back.
  local key focus=
  for key in Tab Tab Tab Tab shift+Tab; do
    press_key "$MAIN_ID" "$key"
    focus+="$(probe window "$MAIN" 5 | sed -n 's/^focus: //p') "
  done
  expect_eq "the tab order" "$focus" "勞保級距 所得稅級距 勞退級距 健保級距 勞退級距 "
  shot "$MAIN_ID" main-window
  # Button3 starts the chain at incom_rep, with the connections' preset strings.
  click_button 2
  local report
  report=$(probe box "$TITLE" 60)
  # The preset target names a file that is nowhere; the message ends in "'", no full stop.
  expect_contains "Button3 restarts the chain with the preset target" "$report" \
    "text: Could not find file 'Z:\\nonexistent\\tiermend\\basedb.mdb'
button"
  dismiss "$(tool_window "$TITLE")" Return
  expect_main_window "after the Button3 failure" disabled
  expect_eq "no database touched" "$(md5sum "$work"/*.mdb)" "$before"
  close_main_window "missing Link.txt"
}

run_window_labor_failure() {
  prepare_window_run || return
  sql "alter table labor drop column note"
  launch_window_run
  expect_error_box "labor short of a column" "List index out of bounds (6)"
  expect_main_window "after the labor failure" disabled
  # A disabled button ignores the click: no chain, no box.
  click_button 0
  sleep 1
  if ! tool_window "$TITLE" 0 >/dev/null; then ok "a disabled button ignores the click"; else
    fail "a disabled button started something"
  fi
  expect_counts "labor failure" "50/3/2/4"
  expect_eq "labor keeps its old rows" "$(sql "select group_concat(insured_salary) from labor")" \
    "11100,12540,26400"
  close_main_window "labor failure"
}

case "$scenario" in
  sqlite) run_sqlite ;;
  access) run_access ;;
  access-indexed) run_access_indexed ;;
  postgres) run_postgres ;;
  named-folders) run_named_folders ;;
  missing-link) run_missing_link ;;
  link-held) run_link_held ;;
  access-held) run_access_held ;;
  arguments) run_arguments ;;
  window-success) run_window_success ;;
  window-missing-link) run_window_missing_link ;;
  window-labor-failure) run_window_labor_failure ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "$scenario: $failures failure(s)"
[ "$failures" -eq 0 ]
