#!/bin/sh
# The real program in a virtual display: it starts on the application root,
# draws the avatar, shrugs off Enter and Escape, and ends with status 0 when
# its close button is clicked. Without its default avatar it says so and
# ends with status 1.
# usage: program_smoke_test.sh PROGRAM (run inside run-in-xvfb.sh)
set -u
program=$1
root=$(dirname "$program")
fail() { echo "program_smoke_test: $*" >&2; exit 1; }

export NO_AT_BRIDGE=1 SDL_AUDIODRIVER=dummy
work=$(mktemp -d "${TMPDIR:-/tmp}/vestora-smoke.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# The main window appears, maximised (the splash before it is a small
# window of the same class), and shows the avatar in the middle of the view.
# (Up to 60 s: start-up is slow in the sanitizer build on a busy machine.)
"$program" >"$work/out" 2>"$work/err" &
pid=$!
geometry=$(xdotool getdisplaygeometry)
width=${geometry% *}
height=${geometry#* }
window=""
for _ in $(seq 1 1200); do
  for candidate in $(xdotool search --onlyvisible --classname '^vestora$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$candidate" 2>/dev/null)"
    [ "${WIDTH:-0}" -eq "$width" ] && window=$candidate && break
  done
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended during start-up: $(cat "$work/err")"
  sleep 0.05
done
[ -n "$window" ] || fail "no main window"
# The middle of the view (it starts at x = 10, y = 153 and is W − 455 wide)
# shows the avatar once start-up is over: the body is light grey, the
# backdrop white (8-bit or 16-bit channel values). Up to 60 s.
x=$((10 + (width - 455) / 2))
y=$((153 + (height - 202) / 3))
pixel=""
for _ in $(seq 1 240); do
  import -window root -crop "1x1+$x+$y" "$work/pixel.txt" 2>/dev/null || fail "no screenshot"
  pixel=$(sed -n 2p "$work/pixel.txt")
  red=$(echo "$pixel" | sed 's/^[^(]*(\([0-9]*\),.*/\1/')
  [ "$red" -lt 60000 ] && [ "$red" -ne 255 ] && [ "$red" -ne 0 ] && break
  red=""
  sleep 0.25
done
[ -n "$red" ] || fail "no avatar at ($x, $y): $pixel"
sleep 0.5

# Enter and Escape close nothing.
# (real key events through XTEST; events sent to a window are ignored by GTK)
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Return Escape KP_Enter 2>/dev/null
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Enter or Escape ended the program"

# The close button (14 × 14 at W − 35, 10) ends it with status 0. On a
# busy machine the sanitizer build can miss a click there, as a user would
# see: the click is given again after 10 s, three times at most; and it may
# take many seconds to end, as it checks the whole heap for leaks on the way
# out.
for _ in 1 2 3; do
  xdotool mousemove $((width - 28)) 17 sleep 0.3 click 1
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$pid" 2>/dev/null || break
done
for _ in $(seq 1 400); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the close button did not end the program"; }
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "status $status after closing: $(cat "$work/err")"
[ -s "$work/out" ] && fail "the program wrote to its output: $(cat "$work/out")"

# A pose it does not have: one line that says which it has, status 1, no window.
"$program" --pose sit >"$work/out3" 2>"$work/err3"
status=$?
[ "$status" -eq 1 ] || fail "status $status for --pose sit, expected 1"
grep -q "standard, bag, walk or stand" "$work/err3" || fail "--pose sit: $(cat "$work/err3")"

# Without the default avatar: a message that names the file, then status 1.
mkdir -p "$work/root/data"
cp "$program" "$work/root/"
cp -r "$root/res" "$work/root/" 2>/dev/null
: >"$work/root/data/theme.wav"
"$work/root/$(basename "$program")" >"$work/out2" 2>"$work/err2" &
pid=$!
box=""
for _ in $(seq 1 200); do
  # The splash comes and goes first; the message box stays.
  box=$(xdotool search --onlyvisible --classname '^vestora$' 2>/dev/null | tail -n 1)
  if [ -n "$box" ] && xdotool getwindowname "$box" 2>/dev/null | grep -q .; then
    sleep 0.3
    box=$(xdotool search --onlyvisible --classname '^vestora$' 2>/dev/null | tail -n 1)
    [ -n "$box" ] && break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
[ -n "$box" ] || fail "no message about the missing avatar"
sleep 0.5
# The message names the file; its OK button spans the box's bottom.
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 15)) click 1
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the program did not end after the message"; }
wait "$pid"
status=$?
[ "$status" -eq 1 ] || fail "status $status without an avatar, expected 1"
echo "program_smoke_test: ok"
