#!/usr/bin/env bash
# Sets up, builds and runs every test (warnings are errors).
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DGM_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
