#!/usr/bin/env bash
# The speed of a suite: six fits (two targets, three waves) by `wavetool suite` against the same
# six `wavetool fit` runs one after another, in one run, best of three rounds each; side by side
# with every core on each fit's spectrum engine and with the cores shared out among the fits.
#   bench/suite_speed.sh [BUILD_DIR [long]]      (default: build)
# The default set is seed 1, Corralitos and the PEER record against the bedrock spectrum twice
# (fits of a few iterations, 0.1 s each); `long` fits three seeds of 327.68 s (32768 samples,
# strong motion to 240 s) against the bedrock spectrum and the surface of soil 2 at the rare
# level, fits of design length where the fits outweigh the report.
set -euo pipefail
cd "$(dirname "$0")/.."
wavetool=$(realpath "${1:-build}/wavetool/wavetool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/golden/seed1.csv tests/golden/corralitos.csv tests/wavetool/data/RSN753_LOMAP_CLS000.AT2 "$work"
cd "$work"
"$wavetool" import RSN753_LOMAP_CLS000.AT2 -o lomap.csv 2>/dev/null
if [ "${2:-}" = long ]; then
  long_corners=5,120,240,320
  for n in 1 2 3; do
    "$wavetool" seed --seed "$n" --samples 32768 --corners "$long_corners" -o "long$n.csv"
  done
  cat >plan.toml <<'PLAN'
[defaults]
corners = [5, 120, 240, 320]

[[target]]
name = "a"

[[target]]
name = "b"
spectrum = "surface"
soil = 2
level = "rare"

[[wave]]
name = "long1"
record = "long1.csv"
format = "columns"

[[wave]]
name = "long2"
record = "long2.csv"
format = "columns"

[[wave]]
name = "long3"
record = "long3.csv"
format = "columns"
PLAN
fi
[ -f plan.toml ] || cat >plan.toml <<'PLAN'
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
  if [ -n "${long_corners:-}" ]; then
    for target in "" "--spectrum surface --soil 2 --level rare"; do
      for n in 1 2 3; do
        # shellcheck disable=SC2086
        "$wavetool" fit "long$n.csv" -o f.csv --corners "$long_corners" $target >/dev/null || true
      done
    done
    echo "$(now) - $t0" | bc -l
    return
  fi
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
  "$wavetool" suite plan.toml --out out --jobs "$1" ${2:+--threads-per-fit "$2"} >/dev/null 2>progress || true
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
