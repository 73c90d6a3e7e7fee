#!/usr/bin/env bash
# Runs every fuzz target for a fixed time, each on a scratch copy of its seed
# corpus so that the corpus under fuzz/corpus never grows.
#
#   fuzz/run-all.sh BUILD_DIR [SECONDS_PER_TARGET]
#
# BUILD_DIR was configured with -DVESTORA_FUZZ=ON (clang). Crash, leak and
# timeout inputs are kept in BUILD_DIR/fuzz/artifacts; each target's log is
# kept there too. Exits non-zero when any target fails or is missing.
set -uo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 BUILD_DIR [SECONDS_PER_TARGET]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
seconds=${2:-30}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "$0: seconds per target must be a positive whole number" >&2
  exit 2
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
targets=(fuzz_c3d fuzz_obj fuzz_mtl fuzz_landmarks fuzz_skin_weights fuzz_point_groups
  fuzz_shape_table fuzz_vertex_group fuzz_animation fuzz_pattern_mesh fuzz_fitted_garment
  fuzz_http_response fuzz_images fuzz_pose_offsets fuzz_store_links
  fuzz_accessory_model)
artifacts=$build_dir/fuzz/artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vestora-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Readable stack traces need llvm-symbolizer; Debian installs it with a suffix.
if [[ -z ${ASAN_SYMBOLIZER_PATH:-} ]] && ! command -v llvm-symbolizer >/dev/null; then
  for s in /usr/bin/llvm-symbolizer-*; do
    [[ -x $s ]] && export ASAN_SYMBOLIZER_PATH=$s
  done
fi

count() { find "$1" -type f | wc -l; }

# Runs one target; its summary goes to BUILD_DIR/fuzz/artifacts/TARGET.summary
# and its exit status to TARGET.status.
run_target() {
  local target=$1
  local exe=$build_dir/fuzz/$target
  local summary=$artifacts/$target.summary
  if [[ ! -x $exe ]]; then
    echo "== $target: not built ($exe)" >"$summary"
    echo 1 >"$artifacts/$target.status"
    return
  fi
  local corpus=$scratch/$target
  mkdir -p "$corpus"
  if [[ -d $here/corpus/$target ]]; then
    cp -R "$here/corpus/$target/." "$corpus/"
  fi
  local log=$artifacts/$target.log
  {
    echo "== $target: ${seconds}s on $(count "$corpus") seeds"
    "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1
    local rc=$?
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed 's/^/   /'
    echo "   corpus grew to $(count "$corpus") inputs"
    if ((rc != 0)); then
      echo "   FAILED (exit $rc); log: $log"
      grep -E 'ERROR: |SUMMARY: |runtime error|check failed|Test unit written' "$log" | head -n 8 | sed 's/^/   /'
    fi
    echo "$rc" >"$artifacts/$target.status"
  } >"$summary"
}

# Two targets at a time: each fuzzer uses one core.
jobs_at_once=${FUZZ_JOBS:-2}
running=0
for target in "${targets[@]}"; do
  run_target "$target" &
  running=$((running + 1))
  if ((running >= jobs_at_once)); then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=()
for target in "${targets[@]}"; do
  cat "$artifacts/$target.summary"
  if [[ "$(cat "$artifacts/$target.status" 2>/dev/null)" != 0 ]]; then failed+=("$target"); fi
done

if ((${#failed[@]})); then
  echo "fuzz targets failed: ${failed[*]}"
  exit 1
fi
echo "all ${#targets[@]} fuzz targets ran ${seconds}s without a finding"
