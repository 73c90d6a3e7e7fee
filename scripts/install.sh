#!/usr/bin/env bash
# Installs Vestora under a prefix, like other desktop programs:
#   scripts/install.sh [PREFIX]              build and install (default ~/.local)
#   scripts/install.sh --uninstall [PREFIX]  remove exactly what was installed
# The program, its command-line tool and the generated content go into
# PREFIX/lib/vestora; PREFIX/bin gets vestora and vestora-cli; the desktop
# entry and the icons go into PREFIX/share. What an install added (files and
# the folders it created) is recorded in PREFIX/lib/vestora/.installed, and
# an uninstall removes that and nothing else. VESTORA_BUILD_DIR names the
# build folder (default build); VESTORA_NO_BUILD=1 installs it as it stands.
set -euo pipefail
cd "$(dirname "$0")/.."

uninstall=0
if [[ "${1:-}" == "--uninstall" ]]; then
  uninstall=1
  shift
fi
prefix=$(realpath -m "${1:-$HOME/.local}")
build_dir=${VESTORA_BUILD_DIR:-build}
record="$prefix/lib/vestora/.installed"

remove_installed() {
  [[ -f "$record" ]] || { echo "install.sh: nothing of Vestora is installed in $prefix" >&2; return 1; }
  # Files first, then the folders the install created, deepest first.
  while IFS= read -r line; do
    [[ "$line" == file\ * ]] && rm -f -- "${line#file }"
  done <"$record"
  local folders
  folders=$(grep '^folder ' "$record" | cut -c8- | awk '{ print length, $0 }' | sort -rn | cut -d' ' -f2-)
  rm -f -- "$record"
  while IFS= read -r folder; do
    [[ -n "$folder" && -d "$folder" ]] && rmdir --ignore-fail-on-non-empty -- "$folder"
  done <<<"$folders"
  return 0
}

if [[ $uninstall -eq 1 ]]; then
  remove_installed
  echo "Vestora removed from $prefix"
  exit 0
fi

if [[ "${VESTORA_NO_BUILD:-0}" != "1" ]]; then
  ./scripts/install-deps.sh
  ./scripts/build.sh "$build_dir"
fi
# Installing over an earlier install replaces it.
[[ -f "$record" ]] && remove_installed

before=$(mktemp)
trap 'rm -f "$before" "$before.files" "$before.record"' EXIT
# The prefix and any of its parents that do not exist yet are made here.
made=()
folder=$prefix
while [[ ! -d "$folder" ]]; do
  made+=("$folder")
  folder=$(dirname "$folder")
done
mkdir -p "$prefix"
find "$prefix" -type d | sort >"$before"
find "$prefix" ! -type d | sort >"$before.files"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
{
  # The install's own list, and whatever else it added (the desktop entry,
  # written while installing).
  { cat "$build_dir/install_manifest.txt"; echo; find "$prefix" ! -type d | sort | comm -13 "$before.files" -; } |
    grep -v '^$' | sort -u | sed 's/^/file /'
  find "$prefix" -type d | sort | comm -13 "$before" - | sed 's/^/folder /'
  # The prefix itself and its parents, when the install made them.
  for folder in "${made[@]}"; do echo "folder $folder"; done
} >"$before.record"
mv "$before.record" "$record"
echo "Vestora installed in $prefix (start it with $prefix/bin/vestora or from the desktop's menu)"
