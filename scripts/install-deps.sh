#!/usr/bin/env bash
# Installs the Debian packages korvel needs to build, run and test.
# Idempotent: when everything is present it only runs dpkg-query and exits.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache
  # the fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-dev
  # libraries
  libx11-dev libfmt-dev libshp-dev libcgal-dev libgmp-dev libmpfr-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # display and end-to-end tests
  xvfb xauth xfonts-base x11-utils xdotool imagemagick procps
  # interoperability checks and example data
  gdal-bin python3 python3-numpy python3-pandas python3-ezdxf
  # the mesh generator benchmark compares meshgen with gmsh
  gmsh
  # packages fetched for their sample shapefiles (apt-get download only)
  dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
