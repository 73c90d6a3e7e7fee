#!/usr/bin/env bash
# A long fuzzing campaign: every target in turn for MINUTES each, on a
# corpus that carries over from one campaign to the next (merged, so that
# it keeps only inputs that add coverage), one target per core at a time.
#
#   fuzz/campaign.sh [BUILD_DIR] MINUTES [TARGET...]
#
# BUILD_DIR was configured with -DVESTORA_FUZZ=ON (clang); without it the
# campaign uses build-fuzz beside this folder, configured when it is not
# there yet and brought up to date before the targets run. The growing corpus
# lives in BUILD_DIR/fuzz/campaign/TARGET; findings (crash-, leak-, timeout-
# and oom- inputs) are kept in BUILD_DIR/fuzz/campaign/findings with each
# target's log, and summed up at the end: targets, minutes, executions and
# findings. A finding, once understood and fixed, becomes a named seed under
# fuzz/corpus/TARGET, so that every replay in continuous integration checks
# it again. Exits non-zero when anything was found.
set -uo pipefail

usage() {
  echo "usage: $0 [BUILD_DIR] MINUTES [TARGET...]" >&2
  exit 2
}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
(($# >= 1)) || usage
if [[ $1 =~ ^[0-9]+$ ]]; then
  # The minutes come first: the campaign's own build tree.
  build_dir=$(cd "$here/.." && pwd)/build-fuzz
  CC=clang-14 CXX=clang++-14 "$here/../scripts/build.sh" "$build_dir" -DVESTORA_FUZZ=ON \
    -DVESTORA_BUILD_TESTS=OFF -DVESTORA_BUILD_BENCH=OFF >&2 || exit 2
else
  (($# >= 2)) || usage
  [[ -d $1 ]] || { echo "$0: no build folder $1" >&2; exit 2; }
  build_dir=$1
  shift
fi
build_dir=$(cd "$build_dir" && pwd) || exit 2
minutes=$1
shift
if ! [[ $minutes =~ ^[0-9]+$ ]] || ((minutes < 1)); then
  echo "$0: minutes must be a positive whole number" >&2
  exit 2
fi
if (($# > 0)); then
  targets=("$@")
else
  mapfile -t targets < <(grep -o 'fuzz_[a-z_0-9]*' "$here/run-all.sh" | sort -u)
fi
work=$build_dir/fuzz/campaign
findings=$work/findings
mkdir -p "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [[ -z ${ASAN_SYMBOLIZER_PATH:-} ]] && ! command -v llvm-symbolizer >/dev/null; then
  for s in /usr/bin/llvm-symbolizer-*; do [[ -x $s ]] && export ASAN_SYMBOLIZER_PATH=$s; done
fi

campaign() {
  local target=$1 exe=$build_dir/fuzz/$1 corpus=$work/$1
  local log=$findings/$target.log
  if [[ ! -x $exe ]]; then
    echo "$target not-built 0 0" >"$findings/$target.result"
    return
  fi
  mkdir -p "$corpus"
  [[ -d $here/corpus/$target ]] && cp -n "$here/corpus/$target/"* "$corpus/" 2>/dev/null
  # Keep going after a finding (-fork with -ignore_crashes) so that one
  # crash does not end the target's time; every finding is kept.
  "$exe" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time=$((minutes * 60)) -rss_limit_mb=2048 -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$corpus" >"$log" 2>&1
  # Merge: keep the inputs that add coverage.
  local merged=$work/$target.merged
  rm -rf "$merged" && mkdir -p "$merged"
  "$exe" -merge=1 "$merged" "$corpus" >>"$log" 2>&1 && rm -rf "$corpus" && mv "$merged" "$corpus"
  local execs
  execs=$(grep -o 'exec/s: [0-9]*\|#[0-9]*' "$log" | grep -o '^#[0-9]*' | tr -d '#' | sort -n | tail -1)
  local found
  found=$(find "$findings" -maxdepth 1 -name "$target-*" -type f | wc -l)
  echo "$target ran ${execs:-0} $found" >"$findings/$target.result"
}

running=0
for target in "${targets[@]}"; do
  campaign "$target" &
  running=$((running + 1))
  if ((running >= ${FUZZ_JOBS:-2})); then
    wait -n
    running=$((running - 1))
  fi
done
wait

total=0
echo "fuzzing campaign: ${#targets[@]} targets, $minutes minutes each"
printf '%-22s %14s %9s\n' target executions findings
for target in "${targets[@]}"; do
  read -r _ state execs found <"$findings/$target.result"
  [[ $state == not-built ]] && { printf '%-22s %s\n' "$target" "not built"; total=$((total + 1)); continue; }
  printf '%-22s %14s %9s\n' "$target" "$execs" "$found"
  total=$((total + found))
done
((total == 0)) && echo "no findings" || echo "findings kept in $findings"
((total == 0))
