#!/usr/bin/env bash
# Runs every benchmark of one build directory and the side-by-side scripts in bench/.
set -euo pipefail
build=${1:?usage: run-benchmarks.sh BUILD_DIR}
here=$(cd "$(dirname "$0")/.." && pwd)
for b in "$build"/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] || continue
  echo "== $(basename "$b")"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$b"
done
for s in "$here"/bench/*.sh; do
  [ -f "$s" ] || continue
  echo "== $(basename "$s")"
  KORVEL="$build/korvel" MESHGEN="$build/meshgen" bash "$s"
done
