#!/usr/bin/env bash
# The main job on a fresh machine: build the programs, draw a seed wave from seed 1, fit it to
# the design spectrum with fitwave over five iterations and with wavetool until every criterion
# passes and the wave comes to rest, and check both; take wavetool's wave through a site's soil
# column to the surface; run a small design set with its report. Results go to demo-output/.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
# Only the programs the demo runs; ./test.sh builds the tests and benchmarks.
cmake --build build -j"$(nproc)" --target seedwave fitwave wavetool

# The programs overwrite their files from the start and cut them at the end: reruns are clean.
mkdir -p demo-output
cd demo-output

# seedwave: seed 1, keep the corner times 4, 35, 60, 81.92 s, write seed.csv.
printf '%s\n' 1 0 seed.csv | ../build/seedwave/seedwave

# fitwave: input seed.csv, 5 iterations, default corners (4, 35, 60, 80 s) and ampfac (1/5),
# spectra of every iteration to spectra.csv, the fitted wave to fitted.csv.
printf '%s\n' seed.csv 5 0 0 spectra.csv fitted.csv | ../build/fitwave/fitwave

# wavetool: the same seed wave fitted until all four criteria pass, at rest; then both fitted
# waves checked (fitwave's ends moving, wavetool's at rest).
echo
../build/wavetool/wavetool fit seed.csv -o wt-fitted.csv --spectra wt-spectra.csv
echo
echo "== wavetool check fitted.csv (fitwave, 5 iterations)"
../build/wavetool/wavetool check fitted.csv
echo
echo "== wavetool check wt-fitted.csv (wavetool fit)"
../build/wavetool/wavetool check wt-fitted.csv

# wavetool site: wavetool's fitted bedrock wave taken up through a soft column of two soils
# (equivalent-linear); the results per sublayer in wt-site.csv. (The surface motion is not judged
# against the bedrock's spectrum, which it is not meant to follow.)
cp ../tests/wavetool/data/site_hardin.toml site.toml
echo
echo "== wavetool site site.toml wt-fitted.csv (surface motion in wt-surface.csv)"
../build/wavetool/wavetool site site.toml wt-fitted.csv -o wt-surface.csv --profile wt-site.csv

# wavetool suite: a seed drawn for each target and the PEER record of the tests, for the bedrock
# (extremely rare, taken through the soft column to the surface) and the surface of soil 2 (rare),
# with El Centro 1940 NS scaled to 50 cm/s beside them, and the report page.
cp ../tests/wavetool/data/RSN753_LOMAP_CLS000.AT2 lomap.AT2
cp ../tests/wavetool/data/elcentro_1940_ns.dat elcentro.dat
cat >plan.toml <<'PLAN'
[[site]]
name = "soft"
profile = "site.toml"
compare_soil = 2

[[target]]
name = "bedrock-L2"
spectrum = "bedrock"
site = "soft"

[[target]]
name = "surface2-L1"
spectrum = "surface"
soil = 2
level = "rare"

[[wave]]
name = "random1"
seed = 1

[[wave]]
name = "lomap"
record = "lomap.AT2"
corners = [2, 16, 30, 40]
export = ["opensees", "at2"]

[[wave]]
name = "elcentro-50"
record = "elcentro.dat"
format = "values"
dt = 0.02
units = "g"
fit = false
pgv = 50
PLAN
echo
echo "== wavetool suite plan.toml --out suite (figures in suite/report.html)"
../build/wavetool/wavetool suite plan.toml --out suite

cd ..
# --- Plots, where the plotting script and gnuplot are at hand. ---
if [[ -x plots/plot.sh ]] && command -v gnuplot >/dev/null; then
  plots/plot.sh demo-output/spectra.csv demo-output/fitted.csv demo-output/seed.csv demo-output
  plots/plot.sh --motion demo-output/wt-fitted.csv demo-output/wavetool
fi

echo
echo "Results in demo-output/:"
ls demo-output
