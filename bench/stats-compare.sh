#!/bin/sh
# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole of `journal-tool stats --json` (episodes and variability with
# the rest) against LC_ALL=C sort over the same journal of N readings
# (default 1,000,000), each a fresh process timed from exec to exit. PAIRS
# (default 7) pairs alternate; the median and the worst are printed.
#
#   bench/stats-compare.sh [N] [PAIRS] [BUILD]
set -eu
cd "$(dirname "$0")/.."
readings=${1:-1000000}
pairs=${2:-7}
build=${3:-build-release}
[ "$pairs" -ge 3 ] || pairs=3

if [ ! -x "$build/cli/journal-tool" ] || [ ! -x "$build/tools/journal-gen" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j 2 --target journal-tool journal-gen >/dev/null
fi
data=$build/bench-data
mkdir -p "$data"
journal=$data/journal-$readings.txt
[ -s "$journal" ] || "$build/tools/journal-gen" "$readings" 1 >"$journal"

now() { date +%s%N; }
ms() { echo $((($(now) - $1) / 1000000)); }
results=$data/stats-pairs.txt
: >"$results"
i=0
while [ "$i" -lt "$pairs" ]; do
    start=$(now)
    LC_ALL=C sort "$journal" >/dev/null
    sort_ms=$(ms "$start")
    start=$(now)
    "$build/cli/journal-tool" stats "$journal" --json >/dev/null
    stats_ms=$(ms "$start")
    echo "$sort_ms $stats_ms" >>"$results"
    echo "pair $((i + 1)): sort $sort_ms ms, stats --json $stats_ms ms"
    i=$((i + 1))
done

column() { cut -d' ' -f"$1" "$results"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
ratio() { awk '{ printf "%.2f\n", $2 / ($1 > 0 ? $1 : 1) }' "$results"; }
echo "readings: $readings ($(wc -c <"$journal") bytes)"
echo "sort: median $(column 1 | median) ms, worst $(column 1 | worst) ms"
echo "stats --json: median $(column 2 | median) ms, worst $(column 2 | worst) ms"
echo "stats --json / sort: median $(ratio | median), worst $(ratio | worst) (target: below 1)"
