#!/bin/sh
# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The glucose statistics against a yardstick on this machine: for a journal
# of N readings (default 1,000,000), each pair runs LC_ALL=C sort over the
# journal as it is and over a shuffled copy (a full sort), then a fresh
# glucosebench process that reads the journal and computes the statistics
# and the profile of all readings once. The process is timed from exec to
# exit, and it prints the time of the statistics and profile alone. PAIRS
# (default 7) pairs alternate; the median and the worst are printed.
#
#   bench/glucose-compare.sh [N] [PAIRS]
set -eu
cd "$(dirname "$0")/.."
readings=${1:-1000000}
pairs=${2:-7}
[ "$pairs" -ge 5 ] || pairs=5

tools/setup
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target glucosebench journal-gen >/dev/null

data=build-release/bench-data
mkdir -p "$data"
journal=$data/journal-$readings.txt
shuffled=$data/shuffled-$readings.txt
[ -s "$journal" ] || build-release/tools/journal-gen "$readings" 1 >"$journal"
[ -s "$shuffled" ] || shuf --random-source="$journal" "$journal" >"$shuffled"

now() { date +%s%N; }
ms() { echo $((($(now) - $1) / 1000000)); }
results=$data/glucose-pairs.txt
: >"$results"
i=0
while [ "$i" -lt "$pairs" ]; do
    start=$(now)
    LC_ALL=C sort "$journal" >/dev/null
    sort_ms=$(ms "$start")
    start=$(now)
    LC_ALL=C sort "$shuffled" >/dev/null
    full_ms=$(ms "$start")
    start=$(now)
    compute_ms=$(build-release/bench/glucosebench --once "$journal")
    process_ms=$(ms "$start")
    echo "$sort_ms $full_ms $compute_ms $process_ms" >>"$results"
    echo "pair $((i + 1)): sort $sort_ms ms, shuffled sort $full_ms ms;" \
         "statistics and profile $compute_ms ms, whole process $process_ms ms"
    i=$((i + 1))
done

column() { cut -d' ' -f"$1" "$results"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
ratio() { awk -v a="$1" -v b="$2" '{ printf "%.2f\n", $a / ($b > 0 ? $b : 1) }' "$results"; }
echo "readings: $readings ($(wc -c <"$journal") bytes)"
echo "sort: median $(column 1 | median) ms, worst $(column 1 | worst) ms;" \
     "shuffled sort: median $(column 2 | median) ms, worst $(column 2 | worst) ms"
echo "statistics and profile: median $(column 3 | median) ms, worst $(column 3 | worst) ms;" \
     "whole process: median $(column 4 | median) ms, worst $(column 4 | worst) ms"
echo "statistics and profile / sort: median $(ratio 3 1 | median), worst $(ratio 3 1 | worst)" \
     "(target: at most 0.5); / shuffled sort: median $(ratio 3 2 | median), worst $(ratio 3 2 | worst)"
echo "whole process / sort: median $(ratio 4 1 | median), worst $(ratio 4 1 | worst);" \
     "/ shuffled sort: median $(ratio 4 2 | median), worst $(ratio 4 2 | worst)"
