#!/usr/bin/env bash
# The layer rule must see an include that runs upwards: a copy of one suite file that includes
# the report, and one of motion that includes the wave files, are each refused with their line.
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/suite" "$work/motion" "$work/report"
printf '#include "suite/plan.h"\n#include "report/report.h"\n' >"$work/suite/a.cpp"
printf '#include "numeric/fft.h"\n\n#include "waveio/records.h"\n' >"$work/motion/b.h"
printf '#include "suite/plan.h"\n' >"$work/report/c.cpp"
if out=$("$check" "$work"); then
  echo "upward includes were not refused"
  exit 1
fi
expected='motion/b.h:3: motion/ may not include waveio/ ("waveio/records.h")
suite/a.cpp:2: suite/ may not include report/ ("report/report.h")'
if [ "$(sort <<<"$out")" != "$expected" ]; then
  printf 'expected:\n%s\nfound:\n%s\n' "$expected" "$out"
  exit 1
fi
