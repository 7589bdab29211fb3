#!/bin/sh
# Builds the benchmarks in release mode and prints the figures the README
# quotes: the settings file read-write cycle, loading a large card list, the
# start-up time and peak memory of the editor against the smallest Qt program
# that shows one text label (both from startup_probe, run side by side in one
# hyperfine call), on the offscreen platform and on a real (virtual) X server,
# with their instruction counts where valgrind is installed, and the memory
# that opening a settings file with a huge tail costs.
set -eu
BUILD=build-bench
RUNS="${BENCH_RUNS:-40}"

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DUSEROPTS_BENCH=ON >/dev/null
cmake --build "$BUILD" --target bench_settings bench_cardlist startup_probe
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
cd "$BUILD/bin"

echo "== settings file in memory (goal: a read-write cycle under 10 us)"
QT_QPA_PLATFORM=offscreen ./bench_settings --benchmark_min_time=0.2

echo "== card list of 100,000 lines into the card choice (goal: under 150 ms)"
QT_QPA_PLATFORM=offscreen ./bench_cardlist --benchmark_min_time=0.2

cat > startup.sh <<'SH'
set -eu
peak() {
    for _ in 1 2 3 4 5 6 7; do /usr/bin/time -f "%M" ./startup_probe "$1" 2>&1 >/dev/null | tail -1; done |
        sort -n | sed -n 4p
}
echo "== start-up on the $QT_QPA_PLATFORM platform (goal: under 1.3 times the one-label program)"
hyperfine -N --warmup 5 --runs "$RUNS" --export-json "startup-$QT_QPA_PLATFORM.json" \
    "./startup_probe label" "./startup_probe editor" | grep -E "Benchmark|Time \("
python3 -c "
import json, sys
r = json.load(open('startup-$QT_QPA_PLATFORM.json'))['results']
l, d = r[0]['median'], r[1]['median']
print(f'median time: label {l*1000:.1f} ms, editor {d*1000:.1f} ms, ratio {d/l:.2f}')
"
label=$(peak label)
editor=$(peak editor)
python3 -c "print(f'peak memory: label $label KB, editor $editor KB, ratio {$editor/$label:.2f}')"
# Times move with whatever else the machine does; instruction counts do not.
if [ "$QT_QPA_PLATFORM" = offscreen ] && command -v valgrind >/dev/null; then
    count() {
        valgrind --tool=callgrind --callgrind-out-file=/dev/null ./startup_probe "$1" 2>&1 |
            sed -n 's/.*Collected : //p'
    }
    label=$(count label)
    editor=$(count editor)
    python3 -c "print(f'instructions: label {$label/1e6:.1f} M, editor {$editor/1e6:.1f} M, ratio {$editor/$label:.2f}')"
fi
SH
RUNS="$RUNS" QT_QPA_PLATFORM=offscreen sh startup.sh

echo "== opening a settings file with 200 MB after its 23 lines (goal: no more memory than a plain one)"
printf 'x\r\n%.0s' $(seq 23) > plain.bat
cp plain.bat huge.bat
head -c 209715200 /dev/urandom >> huge.bat
for f in plain huge; do
    for _ in 1 2 3 4 5; do QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%M" ./startup_probe editor "$f.bat" 2>&1 >/dev/null | tail -1; done |
        sort -n | sed -n 3p > "peak-$f"
done
python3 -c "print(f'peak memory: plain $(cat peak-plain) KB, 200 MB more after line 23: $(cat peak-huge) KB')"
rm -f plain.bat huge.bat peak-plain peak-huge
RUNS="$RUNS" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh startup.sh
