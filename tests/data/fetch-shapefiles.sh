#!/usr/bin/env bash
# Fetches shapefiles that real GIS software wrote, for the shapefile reader
# tests, into CACHE/shapefiles (default build/testdata) with the counts
# ogrinfo reports for them; see README.md beside this script.
#
#   tests/data/fetch-shapefiles.sh [CACHE]
#
# Exit status 3: a package could not be downloaded (no Debian mirror
# reachable); any other failure is 1.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${1:-build/testdata}
debs=$cache/debs
root=$cache/root
out=$cache/shapefiles
mkdir -p "$debs" "$root" "$out"

packages=(r-cran-sf python3-geopandas)

as_root=()
apt_opts=()
if [ "$(id -u)" -eq 0 ]; then
  # root downloads directly; the _apt sandbox user could not write the cache
  apt_opts=(-o APT::Sandbox::User=root)
else
  as_root=(sudo)
fi

download() {
  local pkg=$1
  compgen -G "$debs/${pkg}_*.deb" >/dev/null && return 0
  echo "fetch-shapefiles: downloading $pkg"
  (cd "$debs" && apt-get download -q "${apt_opts[@]}" "$pkg") && return 0
  # a fresh machine may not have the package lists yet
  "${as_root[@]}" apt-get update -qq || true
  (cd "$debs" && apt-get download -q "${apt_opts[@]}" "$pkg") && return 0
  echo "fetch-shapefiles: cannot download $pkg: no Debian mirror reachable?" >&2
  exit 3
}

unpack() {
  local pkg=$1 deb stamp
  deb=$(compgen -G "$debs/${pkg}_*.deb" | sort | tail -n 1)
  stamp=$root/.unpacked-$pkg
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(basename "$deb")" ] && return 0
  dpkg -x "$deb" "$root"
  basename "$deb" >"$stamp"
}

# copy SOURCE-STEM: the .shp with whichever of .shx, .dbf, .prj exist beside it
copy_shapefile() {
  local stem=$1 name ext
  name=$(basename "$stem")
  if [ ! -f "$stem.shp" ]; then
    echo "fetch-shapefiles: $stem.shp not in the package, skipped" >&2
    return 0
  fi
  for ext in shp shx dbf prj; do
    if [ -f "$stem.$ext" ] && ! cmp -s "$stem.$ext" "$out/$name.$ext"; then
      cp "$stem.$ext" "$out/$name.$ext"
    fi
  done
}

for pkg in "${packages[@]}"; do
  download "$pkg"
  unpack "$pkg"
done

sf=$root/usr/lib/R/site-library/sf/shape
gpd=$root/usr/lib/python3/dist-packages/geopandas/datasets

copy_shapefile "$sf/nc"                 # Polygon, 100 counties, some with islands
copy_shapefile "$sf/olinda1"            # Polygon, 470 census tracts
copy_shapefile "$sf/storms_xyz"         # ArcZ (LineString Z): pressure as z
copy_shapefile "$sf/storms_xyzm"        # ArcM (LineString M), despite its name
copy_shapefile "$gpd/naturalearth_lowres/naturalearth_lowres"   # Polygon, countries
copy_shapefile "$gpd/naturalearth_cities/naturalearth_cities"   # Point, cities

# New York boroughs: written by ArcGIS, projected co-ordinates in feet, shipped zipped
if [ -f "$gpd/nybb_16a.zip" ] && [ ! -f "$out/nybb.shp" ]; then
  mkdir -p "$root/nybb"
  /usr/bin/python3 -m zipfile -e "$gpd/nybb_16a.zip" "$root/nybb"
  copy_shapefile "$root/nybb/nybb"
fi

# Expectations: rewritten when a shapefile or the script that writes them is newer.
expected=$out/expected.txt
if [ ! -s "$expected" ] || [ "$here/shapefile_expectations.py" -nt "$expected" ] ||
  [ -n "$(find "$out" -name '*.shp' -newer "$expected")" ]; then
  if ! command -v ogrinfo >/dev/null; then
    echo "fetch-shapefiles: ogrinfo (gdal-bin) is missing; no expectations written" >&2
    exit 1
  fi
  /usr/bin/python3 "$here/shapefile_expectations.py" "$out"/*.shp >"$expected.tmp"
  mv "$expected.tmp" "$expected"
fi
echo "fetch-shapefiles: $(find "$out" -name '*.shp' | wc -l) shapefiles in $out"
