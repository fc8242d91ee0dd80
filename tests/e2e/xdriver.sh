# Helpers for driving the tool on an X display: a private Xvfb, finding windows by
# name, reading a dialog's text through Ctrl+C and the clipboard, pressing keys,
# closing windows and telling enabled buttons from disabled ones on a screenshot.
# Source this file; it needs Xvfb, xdotool, xclip, xwininfo and ImageMagick.

# Starts Xvfb on a free display number and exports DISPLAY. Without -noreset the server
# starts afresh whenever its last client leaves, refusing connections meanwhile: the
# program's own display probe, alone on the display, would leave it just before Qt
# connects, and on a loaded machine Qt's connection would be refused.
start_xvfb() {
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$display_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$display_file")"
  rm -f "$display_file"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# Prints the id of the first visible window whose whole name is $1; waits up to $2
# seconds (default 30). Fails when none appears.
wait_for_window() {
  local name=$1 timeout=${2:-30} id deadline
  deadline=$((SECONDS + timeout))
  while ((SECONDS <= deadline)); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.02
  done
  return 1
}

# Succeeds when no visible window named $1 exists.
no_window() {
  [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ]
}

# Prints the text that Ctrl+C in window $1 puts on the clipboard.
dialog_text() {
  local id=$1 text="" i
  # xclip stays behind as the clipboard's owner until another program takes it: not with
  # this function's output, which a caller may be reading to its end.
  xclip -selection clipboard -i /dev/null >/dev/null 2>&1
  xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers ctrl+c
  for ((i = 0; i < 50; i++)); do
    text=$(xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$text" ] && break
    sleep 0.05
  done
  printf '%s' "$text"
}

# Presses key $2 in window $1.
press_key() {
  xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
}

# Asks window $1 to close as a window manager's close box does.
close_window() {
  "$X11_CLOSE_WINDOW" "$1"
}

# Prints "x y width height" of window $1.
window_geometry() {
  local info
  info=$(xwininfo -id "$1")
  echo "$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")" \
    "$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")" \
    "$(awk '/Width:/ {print $2}' <<<"$info")" \
    "$(awk '/Height:/ {print $2}' <<<"$info")"
}

# Saves a screenshot of the whole screen to $1.
screenshot() {
  import -window root "$1"
}

# Prints "enabled" or "disabled" for the button at screen rectangle x y w h of the
# screenshot $1: an enabled button's caption is drawn in near-black, a disabled one's
# in grey.
button_state() {
  local shot=$1 x=$2 y=$3 w=$4 h=$5 darkest
  darkest=$(convert "$shot" -crop "$((w - 8))x$((h - 8))+$((x + 4))+$((y + 4))" +repage \
    -colorspace Gray -format '%[fx:minima.intensity*255]' info:)
  if awk -v d="$darkest" 'BEGIN { exit !(d < 80) }'; then echo enabled; else echo disabled; fi
}

# Waits up to $2 seconds for process $1 (a child of this shell) to end and sets
# EXIT_STATUS to its exit status, or to "running" when it is still running.
wait_for_exit() {
  local pid=$1 timeout=${2:-30} deadline
  deadline=$((SECONDS + timeout))
  while kill -0 "$pid" 2>/dev/null && ((SECONDS <= deadline)); do sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    EXIT_STATUS=running
    return 0
  fi
  EXIT_STATUS=0
  wait "$pid" || EXIT_STATUS=$?
}
