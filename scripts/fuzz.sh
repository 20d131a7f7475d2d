#!/usr/bin/env bash
# Builds the libFuzzer harnesses in fuzz/ with clang (build-fuzz, CAM_FUZZ=ON)
# and runs each for the given seconds (default 60, at most 60) on a scratch
# copy of its committed corpus. Prints the executions per harness; exits
# non-zero when any harness finds a crash or a failed check (the input is kept
# under build-fuzz/findings/<name>/).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds]" >&2
  exit 2
fi
[ "$seconds" -gt 60 ] && seconds=60

bash scripts/install-deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCAM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2 --target fuzz_all

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
summary=()
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  bin=build-fuzz/fuzz/fuzz_$name
  [ -x "$bin" ] || { echo "$name: no harness $bin" >&2; failed+=("$name"); continue; }
  mkdir -p "$work/$name" build-fuzz/findings/"$name"
  cp -r "$corpus". "$work/$name/"
  echo "== $name: ${seconds}s"
  status=0
  "$bin" "$work/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=1024 -artifact_prefix=build-fuzz/findings/"$name"/ \
    >"$work/$name.log" 2>&1 || status=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$' || true)
  if [ "$status" -ne 0 ]; then
    tail -40 "$work/$name.log"
    failed+=("$name")
    summary+=("$name: FAILED (exit $status), findings in build-fuzz/findings/$name/")
  else
    summary+=("$name: ${execs:-?} executions")
  fi
done
echo "== executions per harness"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
