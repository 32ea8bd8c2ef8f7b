#!/usr/bin/env bash
# Sets up, checks the layout, builds and runs every test (warnings are errors), then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for a bounded time.
#   FUZZ_SECONDS=30   seconds per fuzz target (0 skips the fuzz stage)
#   SANITIZE=1        0 skips the sanitizer stage
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-30}

echo "== layout (clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== normal build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DGM_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${SANITIZE:-1}" != 0 ]; then
  echo "== sanitizer build and tests"
  # A fatal report ends in a deliberate abort, which the sanitizers leave alone; any report of
  # theirs fails the test that caused it (standard error is compared byte for byte).
  export UBSAN_OPTIONS=print_stacktrace=1
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Release -DGM_WERROR=ON -DGM_SANITIZE=ON
  cmake --build build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi

if [ "$fuzz_seconds" != 0 ]; then
  echo "== fuzz targets, ${fuzz_seconds} s each"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGM_WERROR=ON \
    -DGM_SANITIZE=ON -DGM_FUZZ=ON -DGM_BENCH=OFF
  targets=(free_form_read pattern_write wave_input wavetool_wave record_at2 record_knet record_jma
    record_columns record_values site_profile)
  cmake --build build-fuzz -j"$jobs" --target "${targets[@]/%/_fuzz}"
  for t in "${targets[@]}"; do
    work=build-fuzz/fuzz-work/$t
    artifacts=build-fuzz/fuzz-artifacts/$t/
    rm -rf "$artifacts"
    mkdir -p "$work" "$artifacts"
    # The seed corpus stays as committed: new inputs go to the work folder. Standard output and
    # error of the code under test are silenced (libFuzzer keeps its own reports).
    if ! "build-fuzz/tests/fuzz/${t}_fuzz" -max_total_time="$fuzz_seconds" -timeout=10 \
      -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$artifacts" \
      "$work" "tests/fuzz/corpus/$t"; then
      echo "fuzz target $t failed; its inputs are in $artifacts:" >&2
      for a in "$artifacts"*; do "build-fuzz/tests/fuzz/${t}_fuzz" "$a" || true; done
      exit 1
    fi
  done
fi
echo "== all stages passed"
