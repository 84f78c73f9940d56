#!/usr/bin/env bash
# Checks that every source file includes only what its layer may use:
#
#   sketra/base <- kernel <- ui <- devices <- control <- modes/common <- modes/<mode>
#   sketra/library.h sits on every layer (the whole-library entry points);
#   sketra/x11 sits on the kernel; the file formats (app/formats) sit on
#   sketra/base only, and the display modes may use them; the gridding
#   (app/gridding) sits on sketra/base and the formats' geometry; mapping
#   (app/mapping) sits on sketra, the formats and the gridding, not on the
#   store; the application (app/) sits on top of sketra; meshgen sees the
#   text module only; the mesh store and menu (app/mesh) sit below the rest
#   of app/ and share the generator's naming rule (meshgen/meshgen.h).
#
# Xlib headers are included only in sketra/x11. Prints each offending line
# and exits with 1; exits with 0 when the tree keeps to the layers.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The folders a source folder may include from (prefixes of include paths,
# or whole file names).
allowed() {
  local base=sketra/base kernel=sketra/kernel ui=sketra/ui devices=sketra/devices
  local control=sketra/control common=sketra/modes/common
  case "$1" in
    sketra/base) echo "$base" ;;
    sketra/kernel) echo "$base $kernel" ;;
    sketra/ui) echo "$base $kernel $ui" ;;
    sketra/devices) echo "$base $kernel $ui $devices" ;;
    sketra/control) echo "$base $kernel $ui $devices $control" ;;
    sketra/modes/common) echo "$base $kernel $ui $devices $control $common" ;;
    sketra/modes/*) echo "$base $kernel $ui $devices $control $common $1 app/formats" ;;
    sketra/x11) echo "$base $kernel sketra/x11" ;;
    sketra) echo "$base $kernel $ui $devices $control sketra/modes sketra/library.h" ;;
    app/formats) echo "$base app/formats" ;;
    app/gridding) echo "$base app/formats/geometry.h app/gridding" ;;
    app/mapping) echo "$base $kernel $ui $devices $control sketra/modes app/formats app/gridding app/mapping" ;;
    app/mesh) echo "sketra/base sketra/kernel sketra/ui sketra/devices sketra/control sketra/modes app/formats app/mesh meshgen/meshgen.h" ;;
    app) echo "sketra/base sketra/kernel sketra/ui sketra/devices sketra/control sketra/modes sketra/library.h app" ;;
    app/*) echo "sketra/base sketra/kernel sketra/ui sketra/devices sketra/control sketra/modes sketra/library.h app" ;;
    meshgen) echo "$base meshgen" ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  dir=$(dirname "$file")
  ok=$(allowed "$dir")
  # The program's entry point opens the X11 driver.
  [ "$file" = app/main.cpp ] && ok="$ok sketra/x11"
  while IFS=: read -r line text; do
    inc=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$text")
    case "$inc" in
      X11/*)
        if [ "$dir" != sketra/x11 ]; then
          echo "$file:$line: Xlib is included only in sketra/x11: $inc"
          status=1
        fi
        continue ;;
      sketra/*|app/*|meshgen/*) ;;
      *) continue ;;
    esac
    pass=0
    for prefix in $ok; do
      case "$inc" in "$prefix"|"$prefix"/*) pass=1; break ;; esac
    done
    if [ $pass -eq 0 ]; then
      echo "$file:$line: $dir may not include $inc (it may use: $ok)"
      status=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find sketra app meshgen -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)

exit $status
