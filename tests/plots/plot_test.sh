#!/usr/bin/env bash
# Runs seedwave and a two-iteration fitwave with piped answers, then plots their files and checks
# the pictures, and that files of the wrong kind are refused.
# Usage: plot_test.sh PLOT_SH SEEDWAVE FITWAVE. Exit 77 (skip) when gnuplot is missing.
set -uo pipefail
abs() { [[ $1 == /* ]] && echo "$1" || echo "$PWD/$1"; }
plot=$(abs "$1") seedwave=$(abs "$2") fitwave=$(abs "$3")

command -v gnuplot >/dev/null || {
  echo "gnuplot not installed: skipped"
  exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
check() { # description, then a command that must succeed
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

# Seed 7, default corners, then fitwave: name (fixed width 20), nit = 2, default corners and
# exponent, the two result names.
printf '7\r\n0\r\nseed.csv\r\n' | "$seedwave" >seed.out 2>&1 || {
  echo "seedwave failed:"; cat seed.out; exit 1
}
printf 'seed.csv\r\n2\r\n0\r\n0\r\nspectra.csv\r\nfitted.csv\r\n' | "$fitwave" >fit.out 2>&1 || {
  echo "fitwave failed:"; cat fit.out; exit 1
}

is_png() { [[ -s $1 && $(head -c 8 "$1" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]]; }
is_svg() {
  [[ -s $1 ]] || return 1
  grep -q '<svg' "$1" || return 1
  if command -v xmllint >/dev/null; then
    xmllint --noout "$1"
  else
    [[ $(tail -c 200 "$1") == *'</svg>'* ]]
  fi
}
pictures_ok() { # outdir, pictures...
  local dir=$1 ok=0
  shift
  for p in "$@"; do
    is_png "$dir/$p.png" || { echo "  $dir/$p.png is not a PNG"; ok=1; }
    is_svg "$dir/$p.svg" || { echo "  $dir/$p.svg is not a well-formed SVG"; ok=1; }
  done
  return $ok
}

# With the seed wave: all three pictures, nothing on standard error.
"$plot" spectra.csv fitted.csv seed.csv with-seed >out 2>err
check "plot with seed exits 0" test $? -eq 0
check "plot with seed is silent" test ! -s err -a ! -s out
check "pictures with seed" pictures_ok with-seed spectra ratio wave
# The key names every iteration of the table and none beyond; the last one is marked.
check "iterations taken from the header" \
  grep -q 'iteration 1<' with-seed/spectra.svg
check "last iteration marked" grep -q 'iteration 2 (last)' with-seed/spectra.svg
check "no third iteration" bash -c '! grep -q "iteration 3" with-seed/spectra.svg'
check "ratio of iteration 2" grep -q 'iteration 2<' with-seed/ratio.svg
check "seed panel drawn" grep -q 'seed, peak' with-seed/wave.svg
motion_ok() { pictures_ok with-seed motion && grep -q 'end velocity' with-seed/motion.svg; }
check "motion picture, end velocity marked" motion_ok

# The peak in the wave's key is the largest absolute acceleration of each file, read here
# independently with the file's own four significant digits.
peak_of() {
  tr -d '\r' <"$1" | tail -n +2 | cut -d, -f2 | tr -d ' ' | sed 's/^-//' | sort -g | tail -1
}
fitted_peak=$(printf '%.1f' "$(peak_of fitted.csv)")
seed_peak=$(printf '%.1f' "$(peak_of seed.csv)")
check "fitted peak $fitted_peak in key" grep -q "fitted, peak $fitted_peak gal" with-seed/wave.svg
check "seed peak $seed_peak in key" grep -q "seed, peak $seed_peak gal" with-seed/wave.svg

# Without the seed wave: the same pictures, the wave alone.
"$plot" spectra.csv fitted.csv no-seed >out 2>err
check "plot without seed exits 0" test $? -eq 0
check "pictures without seed" pictures_ok no-seed spectra ratio wave
check "no seed panel" bash -c '! grep -q "seed, peak" no-seed/wave.svg'

# Files of the wrong kind: one line on standard error, status 1, no picture.
refused() { # expected message, then plot.sh arguments
  local message=$1
  shift
  "$plot" "$@" >out 2>err
  local status=$?
  local ok=0
  [[ $status -eq 1 ]] || { echo "  status $status, expected 1"; ok=1; }
  [[ $(cat err) == "$message" ]] || { echo "  stderr: $(cat err)"; echo "  expected: $message"; ok=1; }
  [[ ! -e refused ]] || { echo "  refused/ was created"; ok=1; }
  return $ok
}
check "fitted wave as spectra table" refused \
  'plot.sh: fitted.csv: not a spectra table: the first line does not read "period(sec),kokuji1461,Iteration No. ..."' \
  fitted.csv fitted.csv refused
check "seed wave as spectra table" refused \
  'plot.sh: seed.csv: not a spectra table: the first line does not read "period(sec),kokuji1461,Iteration No. ..."' \
  seed.csv fitted.csv seed.csv refused
check "spectra table as fitted wave" refused \
  'plot.sh: spectra.csv: not a fitted wave: the first line does not read " time(sec),Acc(gal),eamp,eamp*ampfac"' \
  spectra.csv spectra.csv refused
check "fitted wave as seed wave" refused \
  'plot.sh: fitted.csv: not a seed wave: the first line does not read " time(sec),seed-Acc(gal)"' \
  spectra.csv fitted.csv fitted.csv refused

# A table cut short in its third row (a field lost) and one whose header announces a
# different iteration count than its rows hold.
sed '4s/,  *[-0-9.E+]*,\r$/,\r/' spectra.csv >short-row.csv
check "row missing a field" refused \
  'plot.sh: short-row.csv: not a spectra table: line 4 has 4 fields, not the 5 of its header' \
  short-row.csv fitted.csv refused
sed '1s/,Iteration No\.\r$/,Iteration No.  3,Iteration No.\r/' spectra.csv >more-header.csv
check "header with an extra iteration" refused \
  'plot.sh: more-header.csv: not a spectra table: line 2 has 5 fields, not the 6 of its header' \
  more-header.csv fitted.csv refused
: >empty.csv
check "empty file" refused 'plot.sh: empty.csv: not a spectra table: the file is empty' \
  empty.csv fitted.csv refused

if ((failures)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
