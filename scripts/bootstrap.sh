#!/usr/bin/env bash
# Installs from Debian's packages whatever the build needs and is missing.
# Quick and silent when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
  qt6-base-dev libboost-dev zlib1g-dev libdeflate-dev libzstd-dev ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-dev pybind11-dev python3-numpy python3-pytest python3-dask python3-distributed
  libcli11-dev nlohmann-json3-dev libtiff-dev libcairo2-dev libpng-dev python3-tifffile
  locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so that the tests can show that number
# parsing does not follow the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "bootstrap: generating the de_DE.UTF-8 locale"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
