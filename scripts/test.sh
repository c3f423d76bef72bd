#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says, then builds and runs every
# test: a normal build, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, built with clang (skip that with ORLEX_NO_SANITIZE=1), then
# builds the fuzz targets with clang and runs each for twenty seconds from its seed corpus
# with a fixed seed, so a run repeats what an earlier one tried (ORLEX_NO_FUZZ=1 skips that;
# ORLEX_FUZZ_SECONDS changes the twenty seconds). Between the two, the tests of the threaded
# parts (drive, run and the window's jobs) run under ThreadSanitizer (ORLEX_NO_TSAN=1 skips
# that).
# Every build treats compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
# Before the builds, so a layout slip fails in seconds; `clang-format -i FILE` mends it.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
export QT_QPA_PLATFORM=offscreen
# Line tables only (-g1): a failure's stack still names files and lines, and the builds
# take about a quarter less time than with full debug information.
build_options=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_DEBUG="-g1")
# Each test binary runs as one CTest test: a process per case cost more than the cases.
# Its files are compiled in batches: the test framework's headers are parsed once a batch.
# The libraries' files too: half the compile time at -O2 with GCC and at -O0 with clang.
# (A build of your own compiles each file on its own, which shows that each includes what it
# uses.)
unity_libraries=-DORLEX_UNITY_LIBRARIES=ON
build_options+=(-DORLEX_TEST_PER_CASE=OFF -DORLEX_UNITY_TESTS=ON $unity_libraries)
# The tests' own code there at -O0 without debug information (see tests/CMakeLists.txt).
scripts/build.sh build -DORLEX_WERROR=ON "${build_options[@]}" -DORLEX_TEST_CODE_OPTIONS="-O0;-g0"
(cd build && ctest --output-on-failure -j"$(nproc)")
if [ "${ORLEX_NO_SANITIZE:-0}" != 1 ]; then
  # With clang, which compiles the instrumented code at -O0 in half the time GCC takes (the
  # sanitizer build was the longest step), and whose warnings then check the code too.
  CC=clang CXX=clang++ scripts/build.sh build-asan -DORLEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DORLEX_WERROR=ON "${build_options[@]}"
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j"$(nproc)")
fi
if [ "${ORLEX_NO_TSAN:-0}" != 1 ]; then
  core_tests=(run_test threaded_reading_test drive_test ports_test) # the longest first
  window_tests=(tst_runs tst_pause_resume tst_homing tst_safe_machine tst_manual tst_virtual_plotter_view tst_operator_aids
    tst_plot_inputs)
  # At -O1, which ThreadSanitizer finds races at as well as at -O2: a fifth less compile time.
  cmake -S . -B build-tsan -DORLEX_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLEX_WERROR=ON "${build_options[@]}" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null
  cmake --build build-tsan -j"$(nproc)" --target "${core_tests[@]}" "${window_tests[@]}"
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp"
  export ORLEX_TEST_DATA=$PWD/tests/data
  # As many binaries at once as there are cores; xargs fails when any of them fails.
  run_under_tsan() {
    echo "== $1 under ThreadSanitizer"
    "build-tsan/tests/$1" >"build-tsan/$1.log" 2>&1 || {
      echo "== $1 failed under ThreadSanitizer:"
      tail -80 "build-tsan/$1.log"
      return 1
    }
  }
  export -f run_under_tsan
  printf '%s\n' "${core_tests[@]}" "${window_tests[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_under_tsan {}'
fi
if [ "${ORLEX_NO_FUZZ:-0}" != 1 ]; then
  # A build of their own, optimised: built in the sanitizer build at -O0 instead, the
  # targets ran a seventh as many inputs a second, which cost more than this build.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DORLEX_FUZZ=ON -DORLEX_BUILD_UI=OFF -DORLEX_BUILD_TESTS=OFF \
    -DORLEX_WERROR=ON $unity_libraries >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target fuzzers
  ORLEX_FUZZ_BUILD=build-fuzz ORLEX_FUZZ_FLAGS="-seed=1 ${ORLEX_FUZZ_FLAGS:-}" fuzz/run_fuzzers.sh "${ORLEX_FUZZ_SECONDS:-20}"
fi
