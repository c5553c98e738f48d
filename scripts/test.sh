#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test:
# the normal build (headless and Xvfb tests) and a sanitizer build of the
# headless tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

rm -rf build build-asan
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure

cmake -S . -B build-asan -DAVL_SANITIZE=ON -DAVL_BUILD_UI_TESTS=OFF -DAVL_BUILD_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$(nproc)" --target avl_logic_tests
ctest --test-dir build-asan --output-on-failure
