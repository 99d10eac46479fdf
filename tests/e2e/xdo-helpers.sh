# Shell helpers that drive the program's windows as a user would, with xdotool. There
# is no window manager under Xvfb: nothing moves or focuses a window by itself, so every
# key press first gives the focus to the window it is meant for.
start_program() {  # standard error goes to a file the test reads
  "$E2E_HOME/bin/veilbox" >/dev/null 2>"$E2E_HOME/stderr.txt" &
  echo $! >"$E2E_HOME/pid"
}
stop_program() { [ -f "$E2E_HOME/pid" ] && kill "$(cat "$E2E_HOME/pid")" 2>/dev/null; return 0; }
# The first of the program's pages has loaded and been filled (the program says so), and takes clicks.
started() { wait_until 600 grep -q 'first page "[a-z0-9]*" loaded after' "$E2E_HOME/stderr.txt"; }
# Whether the identity $1 is in its container, out of the mail client's list, or back.
hidden() { [ -e "$E2E_HOME/Documents/$1.dat" ] && ! msimn list | grep -q "$1"; }
restored() { [ ! -e "$E2E_HOME/Documents/$1.dat" ] && msimn list | grep -q "$1"; }
program_ended() { wait_until 600 sh -c "! kill -0 $(cat "$E2E_HOME/pid")" || { stop_program; return 1; }; }
wait_until() {  # $1: tenths of a second; then a command
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
# The id of the program's visible main window (590x460), or of any other visible window of it.
program_window() {  # $1: main | dialog
  local id kind
  for id in $(xdotool search --onlyvisible --classname '^veilbox$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 590x460' && kind=main || kind=dialog
    [ "$1" = $kind ] && echo "$id" && return 0
  done
  return 1
}
# Types text (may be empty) into the dialog that is up, presses Enter and waits until it is gone.
answer_dialog() {
  wait_until 300 program_window dialog || return 1
  local id
  id=$(program_window dialog)
  sleep 0.3
  xdotool windowfocus "$id"
  sleep 0.2
  [ -n "${1:-}" ] && xdotool type --delay 20 "$1"
  xdotool key Return
  wait_until 100 sh -c "! xdotool search --onlyvisible --classname '^veilbox$' | grep -qx $id"
}
# A left click at a point of the main window, or of the visible window whose title matches $1.
click_main() {  # $1 $2: x y inside the window
  wait_until 300 program_window main && click_at "$(program_window main)" "$1" "$2"
}
click_in() {  # $1: title, $2 $3: x y
  wait_until 300 sh -c "xdotool search --onlyvisible --name '$1' | grep -q ." || return 1
  sleep 0.5
  click_at "$(xdotool search --onlyvisible --name "$1" | head -1)" "$2" "$3" && sleep 0.3
}
click_at() {  # $1: window, $2 $3: x y
  local X Y
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove "$((X + $2))" "$((Y + $3))"
  sleep 0.2
  xdotool click 1
}
type_in() { xdotool type --delay 20 "$1"; }
