#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for N seconds.
#   run.sh <build-folder> [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${2:-60}
ls "$root"/tests/fuzz/*.cmake >/dev/null 2>&1 || { echo "fuzz: no targets"; exit 0; }
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_DIR=${CCACHE_DIR:-$root/.cache/ccache}
# A build folder already configured for fuzzing (the CI's sanitizer build, which
# also builds the tests) is used as it is; any other is configured here.
if ! grep -q '^VOD_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DVOD_FUZZ=ON -DVOD_PCH=OFF -DVOD_BENCH=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build "$build" --target fuzz_all -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# Each target runs for its full time; as many run at once as there are cores.
run_one() {
  local bin=$1 name corpus seeds
  name=$(basename "$bin")
  corpus="$build/corpus/$name"; mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  if "$bin" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 -artifact_prefix="$build/" "$corpus" \
        $( [ -d "$seeds" ] && echo "$seeds" ) >"$build/$name.log" 2>&1; then
    echo "fuzz: $name for ${seconds}s: $(tail -n 1 "$build/$name.log")"
  else
    echo "fuzz: $name FAILED"; tail -n 60 "$build/$name.log"; return 1
  fi
}
jobs_max=$(nproc)
pids=()
for bin in "$build"/tests/fuzz/fuzz_*; do
  [ -f "$bin" ] && [ -x "$bin" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do sleep 1; done
  run_one "$bin" &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
exit $status
