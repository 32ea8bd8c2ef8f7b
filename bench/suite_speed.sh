#!/usr/bin/env bash
# The speed of a suite: six fits (two targets, three waves) by `wavetool suite` against the same
# six `wavetool fit` runs one after another, in one run, best of three rounds each; side by side
# with every core on each fit's spectrum engine and with the cores shared out among the fits.
#   bench/suite_speed.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
wavetool=$(realpath "${1:-build}/wavetool/wavetool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/golden/seed1.csv tests/golden/corralitos.csv tests/wavetool/data/RSN753_LOMAP_CLS000.AT2 "$work"
cd "$work"
"$wavetool" import RSN753_LOMAP_CLS000.AT2 -o lomap.csv 2>/dev/null
cat >plan.toml <<'PLAN'
[[target]]
name = "a"

[[target]]
name = "b"

[[wave]]
name = "seed1"
record = "seed1.csv"
format = "columns"

[[wave]]
name = "corralitos"
record = "corralitos.csv"
corners = [2, 16, 30, 40]

[[wave]]
name = "lomap"
record = "RSN753_LOMAP_CLS000.AT2"
corners = [2, 16, 30, 40]
PLAN
now() { date +%s.%N; }
best() { sort -g | head -1; }
one_by_one() {
  local t0
  t0=$(now)
  for target in a b; do
    "$wavetool" fit seed1.csv -o f.csv >/dev/null
    "$wavetool" fit corralitos.csv -o f.csv --corners 2,16,30,40 >/dev/null
    "$wavetool" fit lomap.csv -o f.csv --corners 2,16,30,40 >/dev/null
  done
  echo "$(now) - $t0" | bc -l
}
suite() { # jobs [threads per fit]
  local t0
  rm -rf out
  t0=$(now)
  "$wavetool" suite plan.toml --out out --jobs "$1" ${2:+--threads-per-fit "$2"} >/dev/null 2>progress
  echo "$(now) - $t0" | bc -l
}
# The fits' share of a suite: the elapsed time of its last progress line.
fits_part() { tail -1 progress | sed 's/.*, \([0-9.]*\) s, about.*/\1/'; }
cores=$(nproc)
fits=$(for _ in 1 2 3; do one_by_one; done | best)
s1=$(for _ in 1 2 3; do suite 1; done | best)
f1=$(fits_part)
printf 'six wavetool fit runs one after another        %6.2f s\n' "$fits"
printf 'wavetool suite --jobs 1                        %6.2f s  (%.2f x), its fits %.1f s\n' "$s1" \
  "$(echo "$s1 / $fits" | bc -l)" "$f1"
# Side by side: every core on each fit's engine, and the cores shared out (the default).
for threads in "$cores" 1; do
  sn=$(for _ in 1 2 3; do suite "$cores" "$threads"; done | best)
  fn=$(fits_part)
  printf 'wavetool suite --jobs %-2d --threads-per-fit %-2d %6.2f s  (%.2f x), its fits %.1f s\n' \
    "$cores" "$threads" "$sn" "$(echo "$sn / $fits" | bc -l)" "$fn"
done
