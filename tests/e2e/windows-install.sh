#!/usr/bin/env bash
# The Windows installer and the unattended run, under Wine, checked from Linux.
#
# install: installs tiermend-<version>-setup.exe silently with a working folder of the
#   user's choice, checks the installed files, the programs' resources (version, manifest,
#   event messages) as Windows reads them, the registry (Add/Remove Programs entry, the
#   event log source) and the Start-menu shortcut; installs again over it (the working
#   folder kept); runs the installed program from cmd.exe in that folder as a user would
#   type it ("tiermend --check", "tiermend", and a failing run by its full path), each
#   with the exit status cmd.exe passes on; then uninstalls silently and checks that
#   everything the installer added is gone but the user's files. A second installation
#   into the default working folder, left empty, checks that the uninstaller takes away
#   the folder it made; a working folder that is not a full path is refused.
# unattended: runs tiermend.exe in a hidden window station (run-hidden.exe), as the Task
#   Scheduler runs a task set to run whether or not a user is logged on: the console run,
#   its records in the event log, its exit status; a failure must not wait for anyone.
#
# Usage: windows-install.sh <scenario> <setup.exe> <tiermend.exe> <run-hidden.exe>
#        <program-resources.exe>. WINEPREFIX names the prefix to run in.
set -uo pipefail

read -r scenario SETUP TOOL HIDDEN RESOURCES <<<"$*"
here=$(cd "$(dirname "$0")" && pwd) root=$(cd "$(dirname "$0")/../.." && pwd)
work= aside=$(mktemp -d /tmp/tiermend-install-aside-XXXXXX)
trap 'rm -rf "$aside"' EXIT
source "$here/folder.sh"

# No host menu entries from the shortcut (Wine's menu builder would write them).
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=zh_TW.UTF-8
version=$(sed -n 's/^project(tiermend VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
COMPLETE=更新完成.

drive_c=$WINEPREFIX/drive_c
program_folder='C:\Program Files\tiermend'
installed=$drive_c/Program\ Files/tiermend
shortcut=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/tiermend.lnk
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tiermend'
eventlog_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\tiermend'

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# The values of a registry key, one "name=value" a line (nothing when it is absent).
reg_values() {
  wine reg query "$1" 2>/dev/null </dev/null | iconv -f CP950 -t UTF-8 | tr -d '\r' |
    sed -n 's/^    \([^ ]*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p'
}
reg_value() { reg_values "$1" | sed -n "s/^$2=//p"; }

# Runs a Windows command line under Wine in the folder given; sets OUT and ERR (read as
# code page 950, without carriage returns) and STATUS (124 when stopped after 120 s).
run_in() {
  local folder=$1
  shift
  (cd "$folder" && exec timeout 120 wine "$@" </dev/null >"$aside/out" 2>"$aside/err")
  STATUS=$?
  OUT=$(iconv -f CP950 -t UTF-8 "$aside/out" | tr -d '\r')
  ERR=$(iconv -f CP950 -t UTF-8 "$aside/err" | tr -d '\r')
}

# A shortcut's target and working folder, read from the file (MS-SHLLINK): after the
# header come the item list and the link information (the target's local path), then
# the counted strings, the working folder third among them.
shortcut_fields() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & 0x2:
    size, _, info_flags, _, base = struct.unpack_from("<5I", data, at)
    if info_flags & 0x1:
        target = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
    at += size
wide = flags & 0x80
fields = {}
for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        at += 2
        length = count * 2 if wide else count
        # Wine counts the terminating null too.
        fields[name] = data[at:at + length].decode("utf-16-le" if wide else "latin-1").rstrip("\0")
        at += length
print("target=" + target)
print("workdir=" + fields.get("workdir", ""))
EOF
}

# Leftovers of an earlier run that stopped half-way would spoil the checks.
clean_installation() {
  wine reg delete "$uninstall_key" /f </dev/null >/dev/null 2>&1
  wine reg delete "$eventlog_key" /f </dev/null >/dev/null 2>&1
  rm -rf "$installed" "$shortcut"
}

install_silently() {
  local started=$(date +%s%N)
  run_in "$aside" "$SETUP" /S "$@"
  echo "installed in $((($(date +%s%N) - started) / 1000000)) ms, status $STATUS"
}

# The uninstaller copies itself aside and returns at once; the copy does the work.
uninstall_silently() {
  local started=$(date +%s%N) i
  run_in "$aside" "$(reg_value "$uninstall_key" InstallLocation)\\uninstall.exe" /S
  expect_eq "uninstaller: exit status" "$STATUS" 0
  for i in $(seq 1 300); do
    [ ! -e "$installed" ] && ! wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 && break
    sleep 0.2
  done
  echo "uninstalled in $((($(date +%s%N) - started) / 1000000)) ms"
}

expect_installed() {
  local f
  for f in tiermend.exe tiermend.com uninstall.exe copyright.txt; do
    expect_eq "installed: $f" "$([ -f "$installed/$f" ] && echo present)" present
  done
  expect_eq "installed: tiermend.exe is the one built" \
    "$(cmp -s "$installed/tiermend.exe" "$TOOL" && echo same)" same
  expect_contains "installed: tiermend.exe is a windows-subsystem program" \
    "$(x86_64-w64-mingw32-objdump -p "$installed/tiermend.exe" | grep '^Subsystem')" "(Windows GUI)"
  expect_contains "installed: tiermend.com is a console program" \
    "$(x86_64-w64-mingw32-objdump -p "$installed/tiermend.com" | grep '^Subsystem')" "(Windows CUI)"

  local size
  size=$(du -sk --apparent-size "$installed" | cut -f1)
  expect_eq "Add/Remove Programs entry" "$(reg_values "$uninstall_key" | grep -v '^EstimatedSize=' | sort)" \
    "$(sort <<EOF
DisplayName=tiermend
DisplayVersion=$version
Publisher=The tiermend developers
DisplayIcon=$program_folder\\tiermend.exe
InstallLocation=$program_folder
UninstallString="$program_folder\\uninstall.exe"
QuietUninstallString="$program_folder\\uninstall.exe" /S
NoModify=0x1
NoRepair=0x1
WorkFolder=$1
WorkFolderMade=0x$2
EOF
)"
  local estimated=$(($(reg_value "$uninstall_key" EstimatedSize)))
  expect_eq "Add/Remove Programs: the estimated size is the installed files' ($size KiB)" \
    "$((estimated >= size - 8 && estimated <= size + 8))" 1

  expect_eq "event log source" "$(reg_values "$eventlog_key" | sort)" \
    "EventMessageFile=$program_folder\\tiermend.exe
TypesSupported=0x7"
  expect_eq "event log source: the message file is of type REG_EXPAND_SZ" \
    "$(wine reg query "$eventlog_key" /v EventMessageFile </dev/null 2>/dev/null | grep -c REG_EXPAND_SZ)" 1

  expect_eq "Start-menu shortcut" "$(shortcut_fields "$shortcut")" \
    "target=$program_folder\\tiermend.exe
workdir=$1"
}

# What Windows reads from the installed programs: version information, the manifest
# and the message that the event log source's message file gives a record.
expect_resources() {
  local program=$1 name=$2
  run_in "$aside" "$RESOURCES" "$program" "labor: 38 rows, was 40"
  expect_eq "$name: resources read" "$STATUS" 0
  expect_contains "$name: file version" "$OUT" "file version: $version.0"
  expect_contains "$name: product version" "$OUT" "ProductVersion: $version"
  expect_contains "$name: file name" "$OUT" "OriginalFilename: $name"
  expect_contains "$name: manifest, run as invoker" "$OUT" 'level="asInvoker"'
  expect_contains "$name: manifest, Windows 10 and 11" "$OUT" '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'
  expect_contains "$name: manifest, Common Controls 6" "$OUT" 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
  expect_contains "$name: manifest, system DPI aware" "$OUT" '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'
  expect_eq "$name: manifest keeps the locale's ANSI code page" "$(grep -c '<activeCodePage' <<<"$OUT")" 0
  expect_eq "$name: the event message of a record is its line" "$(grep '^event ' <<<"$OUT")" \
    "event 1: labor: 38 rows, was 40"
}

expect_uninstalled() {
  expect_eq "uninstalled: the program folder" "$([ -e "$installed" ] && echo present)" ""
  expect_eq "uninstalled: the shortcut" "$([ -e "$shortcut" ] && echo present)" ""
  expect_eq "uninstalled: the Add/Remove Programs entry" \
    "$(wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 && echo present)" ""
  expect_eq "uninstalled: the event log source" \
    "$(wine reg query "$eventlog_key" </dev/null >/dev/null 2>&1 && echo present)" ""
}

run_install() {
  clean_installation
  # A working folder of the user's choice, with a space and Chinese in its name.
  local folder='C:\payroll update\薪資更新'
  local workfolder=$drive_c/payroll\ update/薪資更新
  rm -rf "$drive_c/payroll update"
  install_silently "/WORKFOLDER=$folder"
  expect_eq "silent install: exit status" "$STATUS" 0
  expect_installed "$folder" 1
  expect_resources "$program_folder\\tiermend.exe" tiermend.exe
  expect_resources "$program_folder\\tiermend.com" tiermend.com
  expect_eq "the working folder is made" "$([ -d "$workfolder" ] && echo present)" present
  # Installing again (an upgrade) without naming a working folder keeps this one.
  install_silently
  expect_eq "silent install over the installation: exit status" "$STATUS" 0
  expect_installed "$folder" 1

  # The user's files: Link.txt and the update package in the working folder, the
  # target in a folder of its own, named in Chinese, that Link.txt names in code page 950.
  work="$aside/薪資 資料"
  mkdir -p "$work"
  prepare_folder
  mv "$work/tiermenddb.mdb" "$workfolder/"
  rm "$work/Link.txt"
  printf '2,x,x,x,x,x,%s\\,\r\n' "$(windows_path "$work")" | iconv -f UTF-8 -t CP950 \
    >"$workfolder/Link.txt"
  local before
  before=$(md5sum "$work/basedb.mdb")
  # "tiermend" typed at the prompt, the program folder on the path: cmd.exe takes
  # tiermend.com (.COM before .EXE), waits for it and passes its exit status on.
  WINEPATH=$program_folder run_in "$workfolder" cmd /c tiermend --check
  expect_eq "cmd /c tiermend --check: exit status" "$STATUS" 0
  expect_contains "cmd /c tiermend --check: the counts" "$OUT" "labor: 3 rows → 38"
  expect_eq "cmd /c tiermend --check: the target unchanged" "$(md5sum "$work/basedb.mdb")" "$before"
  WINEPATH=$program_folder run_in "$workfolder" cmd /c tiermend
  expect_eq "cmd /c tiermend: exit status" "$STATUS" 0
  expect_eq "cmd /c tiermend: standard output" "$OUT" "$COMPLETE"
  expect_all_refreshed "cmd /c tiermend"
  # By its full path, in a folder without Link.txt: the failure's status reaches cmd.exe.
  run_in "$aside" cmd /c "$program_folder\\tiermend" --check
  expect_eq "cmd /c \"...\\tiermend\" without Link.txt: exit status" "$STATUS" 1
  expect_eq "cmd /c \"...\\tiermend\" without Link.txt: standard error" "$ERR" "File not found."

  uninstall_silently
  expect_uninstalled
  expect_eq "uninstalled: the user's files stay" "$(ls "$workfolder" | sort | tr '\n' ' ')" \
    "Link.txt tiermenddb.mdb "
  rm -rf "$drive_c/payroll update"

  # Again with the default working folder, left empty: the uninstaller takes it away.
  local default='C:\users\Public\Documents\tiermend'
  work=$drive_c/users/Public/Documents/tiermend
  rm -rf "$work"
  install_silently
  expect_eq "silent install, default working folder: exit status" "$STATUS" 0
  expect_installed "$default" 1
  uninstall_silently
  expect_uninstalled
  expect_eq "uninstalled: the empty working folder it made" "$([ -e "$work" ] && echo present)" ""

  # A working folder that is not a full path is refused before anything is installed.
  install_silently "/WORKFOLDER=update"
  expect_eq "a relative working folder: exit status" "$STATUS" 2
  expect_eq "a relative working folder: nothing installed" \
    "$([ -e "$installed" ] && echo present)$(wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 && echo present)" ""
}

run_unattended() {
  work=$(mktemp -d /tmp/tiermend-unattended-XXXXXX)
  prepare_folder
  printf '2,x,x,x,x,x,%s\\,\r\n' "$(windows_path "$work")" >"$work/Link.txt"
  WINEDEBUG=-all,+eventlog run_in "$work" "$HIDDEN" "$(windows_path "$TOOL")"
  expect_eq "hidden window station: exit status" "$STATUS" 0
  expect_eq "hidden window station: standard output" "$OUT" "$COMPLETE"
  expect_all_refreshed "hidden window station"
  expect_eq "hidden window station: the records in the event log" \
    "$(sed -n 's/.*ReportEventW L"\(.*\)"$/\1/p' <<<"$ERR" | sed -n '1s/ in .*//p;$p')" "started
completed"

  rm "$work/Link.txt"
  run_in "$work" "$HIDDEN" "$(windows_path "$TOOL")"
  expect_eq "hidden window station, no Link.txt: exit status" "$STATUS" 1
  expect_eq "hidden window station, no Link.txt: standard error" "$ERR" "File not found."
  rm -rf "$work"
}

case "$scenario" in
  install) run_install ;;
  unattended) run_unattended ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "$scenario: $failures failure(s)"
[ "$failures" -eq 0 ]
