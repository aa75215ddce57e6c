#!/bin/sh
# Instructions per frame of the demo's OnRender through the framework on the
# do-nothing GL table, collector step included, counted by callgrind; with
# "floor", those of the floor instead. Only moonlit_measured_frames is
# counted, so start-up and the first frames stay out; the count is stable
# from run to run.
#   sh bench/demo/instructions.sh path/to/bench_frame [FRAMES] [ours|floor]
# Needs an X display (the framework opens its window).
set -eu
exe=$1
frames=${2:-50}
which=${3:-ours}
out=$(mktemp /tmp/moonlit-callgrind.XXXXXX)
trap 'rm -f "$out"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect=moonlit_measured_frames \
  "$exe" --instructions "$frames" "$which" >/dev/null 2>&1
total=$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out")
[ -n "$total" ] || total=$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out")
echo "instructions_per_frame $((total / frames))"
