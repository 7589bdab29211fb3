#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, 60 by default) from the seed corpora in fuzz/seeds/.
# Exits non-zero, keeping the crashing input in build-fuzz/, if one is found.
set -eu
SECONDS_EACH="${FUZZ_SECONDS:-60}"
BUILD=build-fuzz

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DUSEROPTS_FUZZ=ON >/dev/null
cmake --build "$BUILD" --target fuzz_settings fuzz_timeout fuzz_cards fuzz_table

for target in settings timeout cards table; do
    corpus="$BUILD/corpus/$target"
    mkdir -p "$corpus"
    cp -n fuzz/seeds/"$target"/* "$corpus"/ 2>/dev/null || true
    echo "== fuzz_$target for ${SECONDS_EACH}s"
    (cd "$BUILD" && ./bin/"fuzz_$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        "corpus/$target" 2>&1 | grep -E "^(Done|stat::number_of_executed_units|==|SUMMARY)|ERROR" || true)
    # Any one kind of input found is a failure, whether or not the others are.
    found=$(find "$BUILD" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \))
    if [ -n "$found" ]; then
        echo "fuzz_$target found a failing input:"; echo "$found"
        exit 1
    fi
done
echo "No failing input found."
