#!/usr/bin/env bash
# The test command: installs what is missing, checks the formatting, builds
# everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test through CTest, runs a minute of the soak program (bench/SoakRun.cpp)
# and of the GUI monkey (bench/GuiMonkey.cpp) against a gateway that injects
# random faults, runs the command-line end-to-end tests and the
# desktop tool's start-up test again as an ordinary user, then builds the concurrency tests with
# ThreadSanitizer and runs them again, runs the libFuzzer targets over the
# decoders for a bounded time, and finally builds a release tree, installs it,
# moves it, runs the programs from there and from the Debian package
# (scripts/check-install.sh). The desktop tool's tests run offscreen like every
# other test. Warnings are errors in every build here. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror

jobs=$(nproc)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DGANTRY_SANITIZE=address -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGANTRY_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
# benchmarks print figures on demand (ctest -L benchmark); they are not part of the run
ctest --test-dir build-asan --no-tests=error --output-on-failure -j "$jobs" -LE benchmark

echo "== soak run (a minute through the whole stack while the gateway injects random faults)"
build-asan/bin/gantry-soak --cycles 100000 --seconds 60 --fault-every 300 --firmware-every 10

echo "== GUI monkey (a minute of random walk through GYConfig's window against a faulty gateway)"
QT_QPA_PLATFORM=offscreen build-asan/bin/gantry-monkey --seconds 60

echo "== as an ordinary user (command-line end-to-end tests, GYConfig start-up)"
scripts/test-as-user.sh build-asan

echo "== ThreadSanitizer (concurrency tests)"
cmake -S . -B build-tsan -G Ninja -DGANTRY_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGANTRY_WERROR=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target concurrency_tests
ctest --test-dir build-tsan --no-tests=error --output-on-failure -j "$jobs" -L concurrency

echo "== libFuzzer (bounded runs over the decoders)"
CXX=clang++-14 CC=clang-14 cmake -S . -B build-fuzz -G Ninja -DGANTRY_SANITIZE=fuzz \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGANTRY_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
rm -f build-fuzz/fuzz-corpus/runs.txt
ctest --test-dir build-fuzz --no-tests=error --output-on-failure -j "$jobs" -L fuzz
sort build-fuzz/fuzz-corpus/runs.txt

echo "== Release build, install and Debian package"
scripts/check-install.sh build-release
