#!/usr/bin/env bash
# Runs the whole test suite of one build directory under a private Xvfb server.
set -euo pipefail
build=${1:?usage: run-tests.sh BUILD_DIR}
jobs=${JOBS:-$(nproc)}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# The tests need an X server with the classic bitmap fonts ("6x12").
# xvfb-run picks a free display number and tears the server down afterwards.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
