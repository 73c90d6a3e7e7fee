#!/bin/sh
# The installed copy: scripts/install.sh puts the program into a fresh
# prefix beside a file that was there already; the desktop entry passes
# desktop-file-validate, the commands in bin find the application root, the
# installed program opens its main window; the uninstall leaves the prefix
# exactly as it was.
# usage: install_test.sh SOURCE_DIR BUILD_DIR (run inside run-in-xvfb.sh)
set -u
source_dir=$1
build_dir=$2
fail() { echo "install_test: $*" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vestora-install.XXXXXX") || exit 1
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
prefix=$work/prefix
mkdir -p "$prefix/share/applications"
echo "[Desktop Entry]" >"$prefix/share/applications/other.desktop"
(cd "$prefix" && find . | sort) >"$work/before"

VESTORA_NO_BUILD=1 VESTORA_BUILD_DIR=$build_dir "$source_dir/scripts/install.sh" "$prefix" >"$work/log" 2>&1 ||
  fail "install: $(cat "$work/log")"
[ -L "$prefix/bin/vestora" ] || fail "no bin/vestora"
[ -x "$prefix/lib/vestora/vestora" ] || fail "no lib/vestora/vestora"
for size in 16 32 48 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/vestora.png" ] || fail "no ${size}px icon"
done
entry=$prefix/share/applications/vestora.desktop
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qx "Exec=$prefix/bin/vestora" "$entry" || fail "the desktop entry starts $(grep '^Exec=' "$entry")"
"$prefix/bin/vestora-cli" status >"$work/status" 2>&1 || fail "vestora-cli status: $(cat "$work/status")"
grep -q "^application root  $prefix/lib/vestora\$" "$work/status" || fail "root: $(head -1 "$work/status")"

# The installed program, started by its command, opens its main window.
NO_AT_BRIDGE=1 SDL_AUDIODRIVER=dummy "$prefix/bin/vestora" >"$work/out" 2>"$work/err" &
pid=$!
window=""
for _ in $(seq 1 1200); do
  window=$(xdotool search --onlyvisible --classname '^vestora$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended: $(cat "$work/err")"
  sleep 0.05
done
[ -n "$window" ] || fail "the installed program showed no window"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=""

VESTORA_NO_BUILD=1 "$source_dir/scripts/install.sh" --uninstall "$prefix" >"$work/log" 2>&1 ||
  fail "uninstall: $(cat "$work/log")"
(cd "$prefix" && find . | sort) >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the uninstall left the prefix changed"
exit 0
