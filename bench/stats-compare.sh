#!/bin/sh
# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole of `journal-tool stats --json` (episodes and variability with
# the rest) against LC_ALL=C sort over the same journal of N readings
# (default 1,000,000), each a fresh process timed from exec to exit: sort of
# its lines shuffled, a full sort whatever the journal's order, as
# bench/compare.sh takes it, and sort of the journal as written, which is
# in order but for a few late lines. PAIRS (default 7) rounds alternate;
# the median and the worst are printed.
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
shuffled=$data/shuffled-$readings.txt
[ -s "$journal" ] || "$build/tools/journal-gen" "$readings" 1 >"$journal"
# The journal itself is the fixed random source: the same shuffle every time.
[ -s "$shuffled" ] || shuf --random-source="$journal" "$journal" >"$shuffled"

now() { date +%s%N; }
ms() { echo $((($(now) - $1) / 1000000)); }
results=$data/stats-pairs.txt
: >"$results"
i=0
while [ "$i" -lt "$pairs" ]; do
    start=$(now)
    LC_ALL=C sort "$shuffled" >/dev/null
    sort_ms=$(ms "$start")
    start=$(now)
    "$build/cli/journal-tool" stats "$journal" --json >/dev/null
    stats_ms=$(ms "$start")
    start=$(now)
    LC_ALL=C sort "$journal" >/dev/null
    written_ms=$(ms "$start")
    echo "$sort_ms $stats_ms $written_ms" >>"$results"
    echo "round $((i + 1)): sort of the shuffled lines $sort_ms ms, stats --json $stats_ms ms," \
        "sort of the journal as written $written_ms ms"
    i=$((i + 1))
done

column() { cut -d' ' -f"$1" "$results"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
ratio() { awk -v of="$1" '{ printf "%.2f\n", $2 / ($of > 0 ? $of : 1) }' "$results"; }
echo "readings: $readings ($(wc -c <"$journal") bytes)"
echo "sort of the shuffled lines: median $(column 1 | median) ms, worst $(column 1 | worst) ms"
echo "sort of the journal as written: median $(column 3 | median) ms, worst $(column 3 | worst) ms"
echo "stats --json: median $(column 2 | median) ms, worst $(column 2 | worst) ms"
echo "stats --json / sort of the shuffled lines: median $(ratio 1 | median)," \
    "worst $(ratio 1 | worst)"
echo "stats --json / sort of the journal as written: median $(ratio 3 | median)," \
    "worst $(ratio 3 | worst) (target: below 1)"
