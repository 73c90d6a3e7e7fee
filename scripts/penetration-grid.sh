#!/usr/bin/env bash
# Puts a garment on the default body over a grid of heights, weights and
# months of pregnancy and prints, for each shape, the time of one fit and how
# many particles lie inside the body (all, and deeper than 2 mm).
#
#   scripts/penetration-grid.sh [BUILD_DIR] [GARMENT]
#
# GARMENT is a data path (default \pattern\Dress.pop); BUILD_DIR defaults to
# build. The worst share deeper than 2 mm is printed last.
set -euo pipefail
build=${1:-build}
garment=${2:-'\pattern\Dress.pop'}
cli=$build/root/vestora-cli
[[ -x $cli ]] || { echo "$0: $cli not found; build first" >&2; exit 2; }
printf '%6s %6s %5s %8s %8s %8s %9s\n' height weight month fit-ms inside '>2mm' deepest
worst=0
for height in 155 165 175 185 200; do
  for weight in 80 100 120 140 155; do
    for month in 0 3 6 10; do
      line=$("$cli" fit --garment "$garment" --height "$height" --weight "$weight" --month "$month" --json |
        python3 -c 'import json,sys
d=json.load(sys.stdin); i=d["inside"]
print(d["fitMs"], i["count"], i["deeperThan2mm"], i["maxDepthCm"], d["particles"])')
      read -r ms inside deep deepest particles <<<"$line"
      printf '%6s %6s %5s %8.2f %8s %8s %8.2fcm\n' "$height" "$weight" "$month" "$ms" "$inside" "$deep" "$deepest"
      worst=$(python3 -c "print(max($worst, $deep / $particles))")
    done
  done
done
python3 -c "print(f'worst share deeper than 2 mm: {100 * $worst:.2f} %')"
