#!/usr/bin/env bash
# Builds and runs every test: a plain build, the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer, the threaded tests under
# ThreadSanitizer, and the protocol-file fuzzer for a bounded time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp
jobs="$(nproc)"
passed=0
failed=0

run_ctest() {
    local folder="$1"
    shift
    local log="$root/$folder/ctest.log"
    local status=0
    (cd "$root/$folder" && ctest --output-on-failure --parallel "$jobs" "$@") 2>&1 | tee "$log" || status=$?
    local line
    line="$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)"
    if [ -n "$line" ]; then
        local total bad
        total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
        bad="$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")"
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    else
        failed=$((failed + 1))
    fi
    [ "$status" -eq 0 ] || failed=$((failed + 1))
}

# Test builds favour compile time: the machine has two cores and CI has a
# time budget. Optimisation stays low; the sanitizer builds keep line tables
# for their reports. Warnings are errors here. The plain build is also the
# one packaged, so it is configured for the package's prefix.
fast=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0" -DKYRVANA_BUILD_BENCH=OFF
    -DKYRVANA_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr)
sanitized=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DKYRVANA_BUILD_BENCH=OFF
    -DKYRVANA_WERROR=ON)

echo "== plain build"
"$root/scripts/build.sh" build-test "${fast[@]}"
run_ctest build-test

echo "== Debian package: built from the plain build, installed, checked, removed"
package_log="$root/build-test/package.log"
if deb="$("$root/scripts/package.sh" build-test | tail -n 1)"; then
    "$root/scripts/check-package.sh" "$deb" 2>&1 | tee "$package_log" || true
    line="$(grep -E '^package checks passed: [0-9]+, failed: [0-9]+$' "$package_log" || true)"
    if [ -n "$line" ]; then
        passed=$((passed + $(sed -E 's/.*passed: ([0-9]+),.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.*failed: ([0-9]+)$/\1/' <<<"$line")))
    else
        failed=$((failed + 1))
    fi
else
    echo "package: build FAILED"
    failed=$((failed + 1))
fi

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
"$root/scripts/build.sh" build-asan "${sanitized[@]}" -DKYRVANA_SANITIZE="address;undefined"
run_ctest build-asan

echo "== ThreadSanitizer (threaded tests)"
# Only the threaded tests' programs and what they need: the sanitizer's
# build is the slowest, and the other tests would not run here anyway.
cmake -S "$root" -B "$root/build-tsan" -G Ninja "${sanitized[@]}" -DKYRVANA_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" --parallel "$jobs" --target kyrvana_threaded_tests
run_ctest build-tsan -L threaded

if [ -n "$(ls "$root"/fuzz/*.cpp 2>/dev/null)" ]; then
    echo "== fuzzing"
    CXX=clang++ "$root/scripts/build.sh" build-fuzz "${sanitized[@]}" -DKYRVANA_FUZZ=ON \
        -DKYRVANA_BUILD_GUI=OFF -DKYRVANA_BUILD_TESTS=OFF -DKYRVANA_SANITIZE="address;undefined"
    for source in "$root"/fuzz/*.cpp; do
        name="$(basename "$source" .cpp)"
        corpus="$(mktemp -d)"
        cp -r "$root/fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
        if "$root/build-fuzz/fuzz/$name" -max_total_time="${KYRVANA_FUZZ_SECONDS:-60}" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 "$corpus" >"$root/build-fuzz/$name.log" 2>&1; then
            echo "fuzz $name: clean ($(grep -c . "$root/build-fuzz/$name.log") log lines)"
            passed=$((passed + 1))
        else
            echo "fuzz $name: FAILED"
            tail -n 60 "$root/build-fuzz/$name.log"
            failed=$((failed + 1))
        fi
        rm -rf "$corpus"
    done
fi

echo
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
