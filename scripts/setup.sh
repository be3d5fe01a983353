#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-pdf-dev qt6-translations-l10n
  libjpeg62-turbo-dev libgif-dev libsqlite3-dev mdbtools-dev libsimpleini-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  libosmium2-dev libprotozero-dev zlib1g-dev libbz2-dev libexpat1-dev
  fonts-liberation fontconfig xvfb xauth ccache
  fp-utils # chmcmd compiles the sample's help files
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
