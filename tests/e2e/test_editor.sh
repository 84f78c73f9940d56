#!/usr/bin/env bash
# The point and line editor in a scripted session: a survey of one
# breakline and four points is loaded, Edit Unstructured cuts the two
# points inside a polygon, Weed thins the straight part of the line, Join
# leaves the one chain as it is, Write saves the result, and after the
# editor the store (compacted) is exported as Unstruct. Both files are
# compared with what was worked out by hand.
. "$(dirname "$0")/session.sh"
cp "$e2e/editor/survey.unstruct" .

# Points in the script are relative to the store origin, which the loader
# puts at (1030, 2010). The editor's entries are cells 14 on of the control menu:
# Cut 16, Filter 17, Write 23.
cat > session <<'SCRIPT'
## the load dialog: apply
D
## Edit, Unstructured
E
U
## Cut Inside: a polygon around (1050, 2050) and (1051, 2051), then Done
#16
I
P 15 35
P 30 35
P 30 50
P 15 50
D
D
## Filter Weed with the preset tolerances, then Join, then Done
#17
W
D
J
D
## Write
#23
edited.dat
## leave the editor, eXport Unstruct, File eXit
X
X
U
export.unstruct
F
X
SCRIPT

run_script session survey.unstruct

cat > edited.expected <<'TEXT'
>>unstruct
xyz /
    1005.000    2005.000    12.000 /
    1025.000    2005.000    13.000 /
lines /
    1000.000    2000.000    10.000 1 /
    1030.000    2000.000    10.000 0 /
    1030.000    2010.000    11.000 0 /
TEXT
diff edited.expected edited.dat

cat > export.expected <<'TEXT'
>>unstruct
lines /
    1000.000    2000.000     10.000 1
    1030.000    2000.000     10.000 0
    1030.000    2010.000     11.000 0
xyz /
    1005.000    2005.000     12.000 /
    1025.000    2005.000     13.000 /
TEXT
diff export.expected export.unstruct
grep -q 'DEFLATED TO 50%' outp
