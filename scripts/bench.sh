#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks in release mode and prints the figures the README
# quotes: the settings file read-write cycle, loading a large card list, the
# start-up time and peak memory of the editor against the smallest Qt program
# that shows one text label (both from startup_probe, run side by side in one
# hyperfine call), on the offscreen platform and on a real (virtual) X server,
# with their instruction counts where valgrind is installed, the memory
# that opening a settings file with a huge tail costs, and the useropts
# command's batch of 10,000 rows from a file template and of 1,000 rows from
# an image template, the latter side by side with copying the image 1,000
# times, its apply of 1,000 rows onto 1,000 images side by side with copying
# those images, and opening and saving the settings file inside a floppy
# image against cp and two mcopy runs.
set -eu
BUILD=build-bench
RUNS="${BENCH_RUNS:-40}"
ROOT=$(pwd)

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DUSEROPTS_BENCH=ON >/dev/null
cmake --build "$BUILD" --target bench_settings bench_cardlist startup_probe useropts floppy_probe
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

echo "== useropts batch of 10,000 rows from a file template, in memory (goal: under 1 s)"
# 10,000 folders made and removed run after run on a disk measure the file
# system's inode allocator, which passes over recently deleted inodes for a
# while (ext4 spends seconds there): so this one runs on tmpfs, where what is
# left is the command's own work and the kernel's for each file.
MEMORY=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
{ echo USERNAME,WKSTN; seq 10000 | sed 's/.*/user&,PC&/'; } > batch.csv
rm -f batch-template.bat batch-template.img
./useropts new batch-template.bat
cp batch.csv batch-template.bat "$MEMORY"
hyperfine --warmup 1 --runs 10 --prepare "rm -rf $MEMORY/out" --export-json batch-file.json \
    "./useropts batch $MEMORY/batch-template.bat $MEMORY/batch.csv $MEMORY/out" |
    grep -E "Benchmark|Time \("
rm -rf "$MEMORY"
python3 -c "
import json
f = json.load(open('batch-file.json'))['results'][0]['median']
print(f'median time: 10,000 rows from a file template {f*1000:.0f} ms')
"

echo "== useropts batch of 1,000 rows from a 1.44 MB image template (goal: within 2 times"
echo "   copying that image 1,000 times with cp)"
head -1001 batch.csv > batch-1000.csv
mkfs.fat -C batch-template.img 1440 >/dev/null
./useropts new batch-template.img
hyperfine --warmup 1 --runs 5 --prepare 'rm -rf batch-out batch-cp; mkdir batch-cp' \
    --export-json batch-image.json \
    './useropts batch batch-template.img batch-1000.csv batch-out' \
    'for i in $(seq 1000); do cp batch-template.img batch-cp/PC$i.img; done' |
    grep -E "Benchmark|Time \("
python3 -c "
import json
r = json.load(open('batch-image.json'))['results']
b, c = r[0]['median'], r[1]['median']
print(f'median time: image template {b:.2f} s against cp {c:.2f} s, ratio {b/c:.2f}')
"

echo "== useropts apply of a 1,000-row table onto 1,000 1.44 MB images (goal: within 2 times"
echo "   copying those images with cp)"
rm -rf apply-start apply-imgs apply-cp
./useropts batch batch-template.img batch-1000.csv apply-start >/dev/null
{ echo PATH,USERNAME; seq 1000 | sed 's/.*/PC&.img,applied&/'; } > apply-start/room.csv
# Each run starts from the images as batch made them, so every row changes
# one; the copies are made fresh likewise. The yardstick is a cp for each
# image, as a script copies them, beside one cp for them all; runs
# alternate, so that whatever else the machine does weighs on all alike.
python3 "$ROOT/bench/side_by_side.py" "${APPLY_RUNS:-5}" \
    'rm -rf apply-imgs apply-cp && cp -r apply-start apply-imgs && mkdir apply-cp && sync' \
    './useropts apply apply-imgs/room.csv' \
    'for f in apply-start/*.img; do cp "$f" apply-cp/; done' \
    'cp apply-start/*.img apply-cp/'
rm -rf batch.csv batch-1000.csv batch-template.bat batch-template.img batch-out batch-cp \
    batch-file.json batch-image.json apply-start apply-imgs apply-cp

echo "== open and save of the settings file inside a 1.44 MB image (goal: within 2 times"
echo "   copying that image with cp plus two mcopy runs)"
rm -f floppy.img floppy-copy.img floppy.bat
mkfs.fat -C floppy.img 1440 >/dev/null
./useropts new floppy.img
mcopy -i floppy.img ::USEROPTS.BAT - > floppy.bat
hyperfine -N --warmup 3 --runs 30 --export-json floppy.json \
    "sh -c 'cp floppy.img floppy-copy.img && mcopy -i floppy-copy.img ::USEROPTS.BAT - >/dev/null && mcopy -o -i floppy-copy.img - ::USEROPTS.BAT < floppy.bat'" |
    grep -E "Time \("
editor=$(./floppy_probe floppy.img 30)
python3 -c "
import json
c = json.load(open('floppy.json'))['results'][0]['median'] * 1000
print(f'median time: open and save {$editor:.1f} ms against cp and two mcopy runs {c:.1f} ms, ratio {$editor/c:.2f}')
"
rm -f floppy.img floppy-copy.img floppy.bat floppy.json
