#!/usr/bin/env bash
# make fuzz: builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each of them for FUZZ_SECONDS,
# FUZZ_JOBS at a time, then prints a table of what each run did and found.
#
#   FUZZ_SECONDS   seconds of fuzzing per target (default 300)
#   FUZZ_JOBS      targets fuzzed at the same time (default 1)
#   FUZZ_WORKERS   processes fuzzing each target together, sharing its corpus
#                  (default: the processors divided among the targets run at once)
#   FUZZ_TARGETS   the targets to run, separated by blanks (default: every one)
#   FUZZ_BUILD_DIR the build directory (default build-fuzz)
#   JOBS           compile jobs (default 2)
#
# Each target starts from a working corpus in build-fuzz/corpus/<target>/, into
# which its seeds (fuzz/corpus/<target>/) and regressions (fuzz/regressions/<target>/)
# are copied; what a run adds stays there for the next run, and nothing is written
# into fuzz/. Inputs that crash, hang (take longer than 10 s), run out of memory
# (2 GB) or leak are written into build-fuzz/artifacts/<target>/, emptied at the
# start of the target's run; the log is build-fuzz/logs/<target>.log. Exits 1 when
# any target found something or could not run.

set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac
seconds=${FUZZ_SECONDS:-300}
parallel=${FUZZ_JOBS:-1}
compile_jobs=${JOBS:-2}
workers=${FUZZ_WORKERS:-$(( $(nproc) / parallel ))}
[ "$workers" -ge 1 ] || workers=1

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTRUV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$compile_jobs"

if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for program in "$build"/fuzz/*_fuzz; do
    name=$(basename "$program")
    targets+=("${name%_fuzz}")
  done
fi

# The dictionary of each target's format.
dictionary_of() {
  case "$1" in
    word_list | stimulus_lists) echo word_list ;;
    questionnaire_*) echo questionnaire ;;
    instruction_*) echo instruction ;;
    *) echo "$1" ;;
  esac
}

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0}

fuzz_one() {
  local target=$1
  local program=$build/fuzz/${target}_fuzz
  local corpus=$build/corpus/$target
  local artifacts=$build/artifacts/$target
  local log=$build/logs/$target.log
  local dictionary
  dictionary=$root/fuzz/dictionaries/$(dictionary_of "$target").dict

  mkdir -p "$corpus" "$build/logs"
  rm -rf "$artifacts"
  mkdir -p "$artifacts"
  local saved
  for saved in "$root/fuzz/corpus/$target"/* "$root/fuzz/regressions/$target"/*; do
    [ -f "$saved" ] && [ ! -e "$corpus/$(basename "$saved")" ] && cp "$saved" "$corpus/"
  done
  find "$corpus" -maxdepth 1 -type f | wc -l >"$build/logs/$target.start"

  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="$artifacts/")
  [ -f "$dictionary" ] && options+=(-dict="$dictionary")
  local status=0
  # Each worker writes its own log, fuzz-<n>.log, in the directory it starts in.
  local worker_logs=$build/logs/$target.workers
  rm -rf "$worker_logs"
  mkdir -p "$worker_logs"
  (cd "$worker_logs" && "$program" -jobs="$workers" -workers="$workers" "${options[@]}" "$corpus") \
    >"$log" 2>&1 || status=$?
  echo "$status" >"$build/logs/$target.status"
}

echo "Fuzzing ${#targets[@]} targets for $seconds s each, $parallel at a time, $workers process(es) each."
running=0
for target in "${targets[@]}"; do
  if [ ! -x "$build/fuzz/${target}_fuzz" ]; then
    echo "no fuzz target $target in $build/fuzz" >&2
    exit 1
  fi
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  echo "  $target"
  fuzz_one "$target" &
  running=$((running + 1))
done
wait || true

# Over a target's workers: the sum of a "stat::" value of their final statistics,
# and the largest value of a field of their last status lines ("cov: 527"); "-"
# where none printed it.
final_stat() {
  cat "$1"/fuzz-*.log 2>/dev/null | grep -a "^stat::$2:" | awk '{s += $2; n++} END {print n ? s : "-"}'
}
status_field() {
  local most=- value worker
  for worker in "$1"/fuzz-*.log; do
    value=$(grep -a " $2: " "$worker" 2>/dev/null | tail -n 1 | sed -E "s/.* $2: ([0-9]+).*/\\1/")
    [ -n "$value" ] && { [ "$most" = - ] || [ "$value" -gt "$most" ]; } && most=$value
  done
  echo "$most"
}
artifacts_of() { find "$build/artifacts/$1" -maxdepth 1 -type f -name "$2-*" | wc -l; }

found=0
format="%-22s %12s %8s %6s %7s %15s %7s %6s %5s %6s  %s\n"
echo
printf "$format" target executions exec/s cov ft corpus crashes hangs ooms leaks result
for target in "${targets[@]}"; do
  log=$build/logs/$target.workers
  status=$(cat "$build/logs/$target.status" 2>/dev/null || echo 255)
  start=$(cat "$build/logs/$target.start" 2>/dev/null || echo 0)
  end=$(find "$build/corpus/$target" -maxdepth 1 -type f | wc -l)
  crashes=$(artifacts_of "$target" crash)
  hangs=$(artifacts_of "$target" timeout)
  ooms=$(artifacts_of "$target" oom)
  leaks=$(artifacts_of "$target" leak)
  result=ok
  if [ $((crashes + hangs + ooms + leaks)) -gt 0 ]; then
    result=FOUND
  elif [ "$status" -ne 0 ]; then
    result="FAILED (status $status)"
  fi
  [ "$result" = ok ] || found=1
  printf "$format" "$target" "$(final_stat "$log" number_of_executed_units)" \
    "$(final_stat "$log" average_exec_per_sec)" "$(status_field "$log" cov)" "$(status_field "$log" ft)" \
    "$start -> $end" "$crashes" "$hangs" "$ooms" "$leaks" "$result"
done

if [ "$found" -ne 0 ]; then
  echo
  echo "Found (reproduce with: $build/fuzz/<target>_fuzz <file>):"
  for target in "${targets[@]}"; do
    find "$build/artifacts/$target" -maxdepth 1 -type f | sort | sed 's/^/  /'
    status=$(cat "$build/logs/$target.status" 2>/dev/null || echo 255)
    if [ "$status" -ne 0 ] && [ -z "$(find "$build/artifacts/$target" -maxdepth 1 -type f)" ]; then
      echo "  $target: exited with status $status, see $build/logs/$target.log"
    fi
  done
  exit 1
fi
echo
echo "Nothing found. Logs: $build/logs/"
