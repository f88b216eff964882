#!/bin/sh
# Runs every fuzzing harness in BUILD_DIR/bin for SECONDS each and says how many inputs each ran.
# usage: fuzz/run.sh BUILD_DIR SECONDS [HARNESS...]
#
# Each harness starts from its seeds (fuzz/corpus/<reader>/, the harness name without "fuzz_",
# and the test fixtures named below), splices in the words of its dictionary and grows its own
# corpus in BUILD_DIR/fuzz-corpus/<harness>/. An input that breaks a promise
# is kept as BUILD_DIR/fuzz-failures/<harness>-crash-* (or -timeout-, -oom-); rerun it with
# `BUILD_DIR/bin/<harness> FILE`. Inputs are at most 64 KiB, so a reader that takes more than
# linear time runs into the 30 s limit; an allocation over 256 MB (no file of that size needs
# one) also counts as a failure.
set -u
build=$(cd "$1" && pwd)
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
harnesses=${*:-$(cd "$build/bin" && ls fuzz_*)}

# The test fixtures a harness starts from besides its own seeds.
fixtures() {
    case $1 in
    fuzz_project_file | fuzz_feeder_file) echo tests/project/model/golden ;;
    fuzz_settings_file) echo tests/settings/golden ;;
    fuzz_place_file) echo tests/project/placefile/fixtures tests/project/placefile/fixtures/kicad ;;
    fuzz_world_file) echo sim/worlds ;;
    esac
}

# The words a harness's mutations splice in (fuzz/dictionaries/).
dictionary() {
    case $1 in
    fuzz_project_file | fuzz_feeder_file | fuzz_settings_file) echo ini ;;
    fuzz_place_file) echo place ;;
    fuzz_snap) echo snap ;;
    fuzz_cli) echo cli ;;
    fuzz_world_file) echo world ;;
    esac
}

mkdir -p "$build/fuzz-logs" "$build/fuzz-failures"
summary=""
failed=0
for harness in $harnesses; do
    corpus="$build/fuzz-corpus/$harness"
    log="$build/fuzz-logs/$harness.log"
    mkdir -p "$corpus"
    seeds=""
    own="$source_dir/fuzz/corpus/${harness#fuzz_}"
    [ -d "$own" ] && seeds="$own"
    for folder in $(fixtures "$harness"); do
        seeds="$seeds $source_dir/$folder"
    done
    words=""
    dictionary=$(dictionary "$harness")
    [ -n "$dictionary" ] && words="-dict=$source_dir/fuzz/dictionaries/$dictionary.dict"
    echo "== $harness: $seconds s"
    # shellcheck disable=SC2086 # the seed folders and the dictionary are separate arguments
    "$build/bin/$harness" "$corpus" $seeds $words -max_total_time="$seconds" -max_len=65536 \
        -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=256 -close_fd_mask=1 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-failures/$harness-" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $status -eq 0 ]; then
        summary="$summary$harness: ${runs:-?} inputs in $seconds s, none failed\n"
    else
        failed=1
        summary="$summary$harness: FAILED after ${runs:-?} inputs (exit status $status), see $log\n"
        tail -n 40 "$log"
    fi
done
printf "\n%b" "$summary"
exit $failed
