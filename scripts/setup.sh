#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when any is missing.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev nlohmann-json3-dev
  libcairo2-dev libpango1.0-dev fonts-noto-cjk
  libcups2-dev libxlsxwriter-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
