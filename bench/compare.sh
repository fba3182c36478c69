#!/bin/sh
# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The viewer against a yardstick on this machine, as a person waits for it:
# the whole process `journal-viewer -grab x.png JOURNAL`, from exec until it
# exits, beside `LC_ALL=C sort` of the same lines shuffled (a full sort
# whatever the journal's order). The two alternate, PAIRS times (default 5);
# the median and the worst ratio are printed, with the peak memory a reading
# (VmHWM over an empty journal's) and the time from the window's close (its
# picture saved) to the process's exit. With RECORDS, each pair also opens
# the same readings with that many other records among them (insulin,
# carbohydrates, notes, ...), and the ratio of the two is printed.
#
#   bench/compare.sh [N] [PAIRS] [RECORDS]
set -eu
cd "$(dirname "$0")/.."
readings=${1:-1000000}
pairs=${2:-5}
records=${3:-0}
[ "$pairs" -ge 1 ] || pairs=1

tools/setup
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target journal-viewer journal-gen measure >/dev/null

data=build-release/bench-data
mkdir -p "$data"
journal=$data/journal-$readings.txt
shuffled=$data/shuffled-$readings.txt
empty=$data/empty.txt
picture=$data/window.png
[ -s "$journal" ] || build-release/tools/journal-gen "$readings" 1 >"$journal"
mixed=$data/journal-$readings-records-$records.txt
if [ "$records" -gt 0 ] && [ ! -s "$mixed" ]; then
    build-release/tools/journal-gen "$readings" 1 --records "$records" >"$mixed"
fi
# The journal itself is the fixed random source: the same shuffle every time.
[ -s "$shuffled" ] || shuf --random-source="$journal" "$journal" >"$shuffled"
: >"$empty"

export QT_QPA_PLATFORM=offscreen
measure=build-release/bench/measure
viewer=build-release/viewer/journal-viewer
run_viewer() { rm -f "$picture"; $measure "$viewer" -grab "$picture" "$1"; }
picture_ns() { stat -c %.9Y "$picture" | tr -d .; }

empty_kib=$(run_viewer "$empty" | cut -d' ' -f2)
results=$data/pairs.txt
: >"$results"
i=0
while [ "$i" -lt "$pairs" ]; do
    sort_ms=$($measure env LC_ALL=C sort "$shuffled" | cut -d' ' -f1)
    set -- $(run_viewer "$journal")
    viewer_ms=$1
    bytes=$(( ($2 - empty_kib) * 1024 / readings ))
    close_ms=$(( ($3 - $(picture_ns)) / 1000000 ))
    mixed_ms=0
    [ "$records" -gt 0 ] && mixed_ms=$(run_viewer "$mixed" | cut -d' ' -f1)
    echo "$sort_ms $viewer_ms $bytes $close_ms $mixed_ms" >>"$results"
    with=""
    [ "$records" -gt 0 ] && with=", with records $mixed_ms ms"
    echo "pair $((i + 1)): sort $sort_ms ms, viewer $viewer_ms ms," \
        "$bytes bytes/reading, close to exit $close_ms ms$with"
    i=$((i + 1))
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -1; }
ratios() { awk '{ printf "%.2f\n", $2 / ($1 > 0 ? $1 : 1) }' "$results"; }
mixed_ratios() { awk '{ printf "%.2f\n", $5 / ($2 > 0 ? $2 : 1) }' "$results"; }
echo "readings: $readings ($(wc -c <"$journal") bytes)"
echo "median sort: $(cut -d' ' -f1 "$results" | median) ms;" \
    "median viewer: $(cut -d' ' -f2 "$results" | median) ms"
echo "ratio viewer/sort: median $(ratios | median), worst $(ratios | worst) (target: at most 2.0)"
echo "peak memory: median $(cut -d' ' -f3 "$results" | median), worst" \
    "$(cut -d' ' -f3 "$results" | worst) bytes/reading (target: at most 250)"
echo "close to exit: median $(cut -d' ' -f4 "$results" | median), worst" \
    "$(cut -d' ' -f4 "$results" | worst) ms (target: at most 50)"
if [ "$records" -gt 0 ]; then
    echo "with $records records: median $(cut -d' ' -f5 "$results" | median) ms;" \
        "ratio to the readings alone: median $(mixed_ratios | median)," \
        "worst $(mixed_ratios | worst) (target: at most 1.2)"
fi
