#!/usr/bin/env bash
# Installs what the build, the tests and the plots need, where it is missing (Debian).
set -euo pipefail
packages=(cmake g++ make git clang-format libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
          gnuplot-nox libcli11-dev nlohmann-json3-dev libtomlplusplus-dev parallel chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
