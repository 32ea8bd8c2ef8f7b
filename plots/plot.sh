#!/usr/bin/env bash
# Draws fitwave's results with gnuplot, each picture as PNG and SVG:
#   spectra.*  spectral acceleration against period: target, every iteration, 0.85 x target band
#   ratio.*    computed / target of the last iteration against period
#   wave.*     fitted acceleration with +-envelope x peak, above it the seed wave when given
#   motion.*   acceleration, velocity and displacement of the fitted wave, end values marked
#
# Usage: plots/plot.sh SPECTRA_TABLE FITTED_WAVE [SEED_WAVE] OUTDIR
#        plots/plot.sh --motion WAVE OUTDIR   (motion.* alone, for any wave of fitwave's layouts)
# The files are read as fitwave and seedwave write them (CR LF line ends, a header line, the
# trailing comma of fitwave's rows). A file of another layout is refused with one line on
# standard error and exit status 1; a missing gnuplot gives status 127.
set -euo pipefail

me=plot.sh
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
  echo "usage: $me SPECTRA_TABLE FITTED_WAVE [SEED_WAVE] OUTDIR" >&2
  echo "       $me --motion WAVE OUTDIR" >&2
  exit 2
}
fail() {
  echo "$me: $*" >&2
  exit 1
}

# Velocity (cm/s) and displacement (cm) from rest by the trapezoidal rule, as wavetool check
# integrates them, at the step time(2) - time(1); draws motion.* of a wave file (acceleration
# in column 2 after a header line). Refuses a file without two rows of numbers.
motion_picture() { # wave outdir
  local data facts
  data=$(mktemp)
  facts=$(awk -F, '
    { sub(/\r$/, "") }
    NR == 1 { next }
    {
      if (NF < 2 || $1 !~ /[0-9]/ || $2 !~ /[0-9]/) { print "line " NR " has no time and acceleration"; bad = 1; exit 1 }
      n++
      if (n == 1) t1 = $1 + 0
      if (n == 2) dt = $1 - t1
      a = $2 + 0
      if (n > 1) { v1 = v + (a0 + a) * dt / 2; d += (v + v1) * dt / 2; v = v1 }
      a0 = a
      printf "%.6f %.9g %.9g %.9g\n", (n - 1) * dt, a, v, d > data
    }
    END {
      if (bad) exit 1
      if (n < 2) { print "it has fewer than two rows below its header"; exit 1 }
      printf "%.9g %.9g %.9g\n", (n - 1) * dt, v, d
    }' data="$data" "$1") || { rm -f "$data"; fail "$1: not a wave: $facts"; }
  local tend vend dend
  read -r tend vend dend <<<"$facts"
  mkdir -p "$2"
  gnuplot -c "$here/motion.gp" "$here" "$data" "$tend" "$vend" "$dend" "$(basename "$1")" \
    "$2/motion" || { rm -f "$data"; exit 1; }
  rm -f "$data"
}

if [[ $# -ge 1 && $1 == --motion ]]; then
  [[ $# -eq 3 ]] || usage
  command -v gnuplot >/dev/null || {
    echo "$me: gnuplot not found (Debian package gnuplot-nox)" >&2
    exit 127
  }
  [[ -f $2 && -r $2 ]] || fail "$2: cannot be read"
  motion_picture "$2" "$3"
  exit 0
fi

case $# in
  3) spectra=$1 fitted=$2 seed="" outdir=$3 ;;
  4) spectra=$1 fitted=$2 seed=$3 outdir=$4 ;;
  *) usage ;;
esac
command -v gnuplot >/dev/null || {
  echo "$me: gnuplot not found (Debian package gnuplot-nox)" >&2
  exit 127
}
for f in "$spectra" "$fitted" ${seed:+"$seed"}; do
  [[ -f $f && -r $f ]] || fail "$f: cannot be read"
done

# Checks the header and the field count of every row; prints "nit longest_period" or one line
# saying why the file is not a spectra table. Periods of 1000 s or more are asterisks: skipped.
spectra_facts=$(awk '
  { sub(/\r$/, "") }
  NR == 1 {
    if ($0 !~ /^period\(sec\),kokuji1461(,Iteration No\.[ 0-9][ 0-9][0-9])*,Iteration No\.$/) {
      print "the first line does not read \"period(sec),kokuji1461,Iteration No. ...\""
      bad = 1; exit 1
    }
    nit = gsub(/,Iteration No\./, "&") - 1
    split($0, head, ",")
    for (k = 1; k <= nit; k++) if (substr(head[k + 2], 14) + 0 != k) {
      print "iteration " k " is numbered \"" head[k + 2] "\" in the first line"; bad = 1; exit 1
    }
    FS = ","
    next
  }
  {
    if (NF != nit + 3 || $NF != "") {
      print "line " NR " has " NF " fields, not the " nit + 3 " of its header"; bad = 1; exit 1
    }
    if ($1 ~ /^ *[0-9]/ && $1 + 0 > tmax) tmax = $1 + 0
  }
  END {
    if (bad) exit 1
    if (NR == 0) { print "the file is empty"; exit 1 }
    if (NR == 1) { print "it has no rows below its header"; exit 1 }
    if (tmax <= 0.02) { print "it holds no period longer than 0.02 s"; exit 1 }
    print nit, tmax
  }' "$spectra") || fail "$spectra: not a spectra table: $spectra_facts"
read -r nit tmax <<<"$spectra_facts"

# Checks a wave file: header text, fields per row, a trailing empty field or none; prints the
# peak absolute acceleration (column 2) or why the file is refused.
wave_peak() { # file header fields trailing_comma
  awk -v head="$2" -v nf="$3" -v comma="$4" '
    { sub(/\r$/, "") }
    NR == 1 {
      if ($0 != head) { print "the first line does not read \"" head "\""; bad = 1; exit 1 }
      FS = ","
      next
    }
    {
      if (NF != nf || (comma && $NF != "")) {
        print "line " NR " has " NF " fields, not " nf; bad = 1; exit 1
      }
      a = $2 < 0 ? -$2 : $2
      if (a > peak) peak = a
    }
    END {
      if (bad) exit 1
      if (NR < 2) { print "it has no rows below its header"; exit 1 }
      printf "%.7g\n", peak
    }' "$1"
}
fitted_peak=$(wave_peak "$fitted" " time(sec),Acc(gal),eamp,eamp*ampfac" 5 1) ||
  fail "$fitted: not a fitted wave: $fitted_peak"
seed_peak=0
if [[ -n $seed ]]; then
  seed_peak=$(wave_peak "$seed" " time(sec),seed-Acc(gal)" 2 0) ||
    fail "$seed: not a seed wave: $seed_peak"
fi

mkdir -p "$outdir"
# gnuplot's own messages go to standard error; a failed picture fails the run.
gnuplot -c "$here/spectra.gp" "$here" "$spectra" "$nit" "$tmax" "$outdir/spectra"
if ((nit >= 1)); then
  gnuplot -c "$here/ratio.gp" "$here" "$spectra" "$nit" "$tmax" "$outdir/ratio"
else
  echo "$me: $spectra holds no iteration: no ratio picture" >&2
fi
gnuplot -c "$here/wave.gp" "$here" "$fitted" "$fitted_peak" "$seed" "$seed_peak" "$outdir/wave"
motion_picture "$fitted" "$outdir"
