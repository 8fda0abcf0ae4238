#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh             the normal build, in build/
#   ./test.sh --sanitize  the same tests built with the sanitizers, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"

build_dir=build
cmake_args=()
if [[ "${1:-}" == "--sanitize" ]]; then
  build_dir=build-sanitize
  cmake_args+=(-DVARNELLE_SANITIZE=ON)
fi

scripts/setup.sh "$build_dir" "${cmake_args[@]}"
export QT_QPA_PLATFORM=offscreen
if [[ "$build_dir" == build-sanitize ]]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
