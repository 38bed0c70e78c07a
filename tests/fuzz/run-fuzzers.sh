#!/bin/bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer (leak
# checking on) in their own build directory, replays every input kept in tests/fuzz/corpus (the
# seeds and the regression cases of earlier findings), then fuzzes each target for a bounded time,
# two at a time. A crash, a sanitizer report, a leak, a failed check or an input that runs longer
# than the per-input time-out fails the run; the input that did it is left in <build>/artifacts.
#   run-fuzzers.sh [build-dir] [seconds-per-target]     (defaults: build-fuzz, 30)
# Seven targets at 30 seconds, two at a time, take about two minutes.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-fuzz}
seconds=${2:-30}
targets=(fuzz_keystrokes fuzz_statements fuzz_database_text fuzz_monitor_output fuzz_charts fuzz_bmp_reader
         fuzz_site_import)

set -e
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS=-O1 -DSHELLYARD_SANITIZE=ON -DSHELLYARD_FUZZ=ON -DSHELLYARD_GUI=OFF \
      -DSHELLYARD_TESTS=OFF -DSHELLYARD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
set +e

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts" "$build/logs"

# Runs one target: new inputs go to its working corpus in the build tree; the kept inputs are read
# from the tests folder and never changed.
fuzz() {
    local target=$1 name=${1#fuzz_}
    local kept=tests/fuzz/corpus/$name work=$build/corpus/$name
    mkdir -p "$work"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$work" "$kept" \
        >"$build/logs/$name.log" 2>&1
    echo $? >"$build/logs/$name.status"
}

start=$(date +%s)
rm -f "$build"/logs/*.status
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do
        wait -n
    done
    fuzz "$target" &
done
wait

failed=0
printf '%-16s %10s %12s %14s\n' target "exec/s" "corpus" "result"
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    status=$(cat "$build/logs/$name.status" 2>/dev/null || echo missing)
    log=$build/logs/$name.log
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -1 | cut -d' ' -f2)
    if [ "$status" = 0 ]; then
        result=ok
    else
        result="FAILED ($status)"
        failed=1
    fi
    printf '%-16s %10s %12s %14s\n' "$name" "${rate:-?}" "${corpus:-?}" "$result"
done
echo "fuzzing took $(( $(date +%s) - start )) s"

if [ "$failed" -ne 0 ]; then
    for target in "${targets[@]}"; do
        log=$build/logs/${target#fuzz_}.log
        if grep -qE 'ERROR: |check failed|runtime error|assertion failed' "$log"; then
            echo "---- ${target}: $log"
            grep -B2 -A30 -m1 -E 'ERROR: |check failed|runtime error|assertion failed' "$log"
        fi
    done
    echo "Inputs that failed: $(ls "$build"/artifacts/ 2>/dev/null | tr '\n' ' ')"
    echo "Once fixed, add each to tests/fuzz/corpus/<target>/ as a regression case."
    exit 1
fi
