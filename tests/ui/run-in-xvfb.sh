#!/bin/sh
# Runs a command inside a private virtual X display (VESTORA_XVFB_SCREEN,
# 1280x1024x24 unless set).
# Xvfb chooses a free display number itself (-displayfd), so test programs
# started in parallel never race for the same display.
set -u

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vestora-xvfb.XXXXXX") || exit 1
Xvfb -displayfd 3 -screen 0 "${VESTORA_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
  3>"$work/display" 2>"$work/log" &
server=$!

stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}

# Xvfb writes the display number followed by a newline once it is ready.
tries=0
while ! grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 200 ]; then
    echo "run-in-xvfb: the virtual display did not start" >&2
    cat "$work/log" >&2
    stop
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.05
done

DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
export GDK_BACKEND=x11
# No accessibility bus in a virtual display: keep GTK from looking for one.
export NO_AT_BRIDGE=1
# GTK, fontconfig and friends keep caches until exit; see lsan.supp.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The GL driver keeps thread-local data in libraries it loads at run time;
# the leak checker of this toolchain can misjudge those ranges and crash at
# exit while it stops the driver's threads. It is told not to track them.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_tls_get_addr=0"

# A window that waits for an answer nobody gives would hold the run for
# ever: the command is stopped after VESTORA_TEST_LIMIT seconds (290 unless
# set), whatever runs it.
timeout --kill-after=10 "${VESTORA_TEST_LIMIT:-290}" "$@"
status=$?
[ "$status" -eq 124 ] && echo "run-in-xvfb: stopped after ${VESTORA_TEST_LIMIT:-290} s: $*" >&2
stop
exit "$status"
