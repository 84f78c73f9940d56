#!/usr/bin/env bash
# korvel started with the example files loads the first, adds the others,
# writes everything to its log "outp"; the script then leaves through File
# eXit and korvel ends with status 0.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat > session <<'SCRIPT'
## the load dialogs of river_points.xyz and river_banks.xyzi: apply (the
## unstruct file gives its own colours and has no dialog)
D
D
## File eXit
F
X
SCRIPT
ex=$KORVEL_SOURCE_DIR/examples
SKETRA_SCRIPT=session timeout 120 "$KORVEL" "$ex/river_points.xyz" "$ex/river_banks.xyzi" "$ex/river_sections.unstruct"
grep -q "^found    29993 points (        0 edges)$" outp
grep -q "^found    32833 points (     2836 edges)$" outp
grep -q "^ >>unstruct$" outp
grep -q "^found    33284 points (     2908 edges)$" outp
