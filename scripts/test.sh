#!/bin/bash
# Installs what the tests need, builds everything and runs the whole suite:
#   1. the normal build with every test (GUI tests under private Xvfb servers, sessions against a
#      private OpenSSH server on 127.0.0.1);
#   2. the Debian package, built and checked (tests/packaging/test-package.sh);
#   3. the windowless libraries' tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   4. the parsers' fuzz targets (clang, libFuzzer, the same sanitizers): the kept inputs replayed,
#      then each target fuzzed for a bounded time, under two minutes in all (tests/fuzz/run-fuzzers.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

bash tests/packaging/test-package.sh build-pkg

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DSHELLYARD_SANITIZE=ON -DSHELLYARD_GUI=OFF \
      -DSHELLYARD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j"$jobs")

bash tests/fuzz/run-fuzzers.sh build-fuzz
