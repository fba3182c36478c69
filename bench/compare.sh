#!/bin/sh
# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The viewer against a yardstick on this machine: a journal of N readings
# (default 1,000,000) is opened to its first paint, and LC_ALL=C sort reads,
# splits and orders the same lines from a shuffled copy, so that it does a
# full sort whatever the journal's order. The two alternate, PAIRS times
# (default 7), and the median ratio viewer/sort is printed.
#
#   bench/compare.sh [N] [PAIRS]
set -eu
cd "$(dirname "$0")/.."
readings=${1:-1000000}
pairs=${2:-7}
[ "$pairs" -ge 5 ] || pairs=5

tools/setup
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target journalbench journal-gen >/dev/null

data=build-release/bench-data
mkdir -p "$data"
journal=$data/journal-$readings.txt
shuffled=$data/shuffled-$readings.txt
[ -s "$journal" ] || build-release/tools/journal-gen "$readings" 1 >"$journal"
# The journal itself is the fixed random source: the same shuffle every time.
[ -s "$shuffled" ] || shuf --random-source="$journal" "$journal" >"$shuffled"

now() { date +%s%N; }
results=$data/pairs.txt
: >"$results"
i=0
while [ "$i" -lt "$pairs" ]; do
    start=$(now)
    LC_ALL=C sort "$shuffled" >/dev/null
    sort_ms=$(( ($(now) - start) / 1000000 ))
    viewer_ms=$(build-release/bench/journalbench --first-paint "$journal" 2>/dev/null)
    echo "$sort_ms $viewer_ms" >>"$results"
    echo "pair $((i + 1)): sort $sort_ms ms, viewer open to first paint $viewer_ms ms"
    i=$((i + 1))
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
sort_median=$(cut -d' ' -f1 "$results" | median)
viewer_median=$(cut -d' ' -f2 "$results" | median)
ratio_median=$(awk '{ printf "%.2f\n", $2 / ($1 > 0 ? $1 : 1) }' "$results" | median)
echo "readings: $readings ($(wc -c <"$journal") bytes)"
echo "median sort: $sort_median ms; median viewer: $viewer_median ms"
echo "median ratio viewer/sort: $ratio_median (target: at most 2.5)"
