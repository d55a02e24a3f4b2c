#!/usr/bin/env bash
# Runs the deliberately crashing and hanging tests and checks that both are reported as
# failures and that the run ends well inside a bound.
build=$1
start=$(date +%s)
output=$(ctest --test-dir "$build" -L negative 2>&1)
status=$?
elapsed=$(( $(date +%s) - start ))
echo "$output"
echo "ctest exit status $status after ${elapsed}s"
[ "$status" -ne 0 ] || { echo "FAIL: the failing tests were reported as passing"; exit 1; }
grep -q '2 tests failed out of 2' <<<"$output" || { echo "FAIL: expected both tests to fail"; exit 1; }
grep -Eq 'negative\.hang .*Timeout' <<<"$output" || { echo "FAIL: the hang was not ended by its timeout"; exit 1; }
grep -Eq "negative\.crash .*Timeout" <<<"$output" && { echo "FAIL: the crash was not reported until its timeout"; exit 1; }
[ "$elapsed" -le 30 ] || { echo "FAIL: took ${elapsed}s"; exit 1; }
echo "PASS"
