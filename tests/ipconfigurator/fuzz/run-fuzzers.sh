#!/usr/bin/env bash
# Builds the GVCP parser fuzzers with clang (libFuzzer + AddressSanitizer + UBSan), replays
# the seed corpus and runs each fuzzer for a fixed number of inputs.
# Usage: run-fuzzers.sh SOURCE_DIR WORK_DIR [RUNS]
set -euo pipefail
src=$1
work=$2
runs=${3:-20000}
here="$src/tests/ipconfigurator/fuzz"
if ! command -v clang++ >/dev/null; then
    echo "SKIP: clang++ is not installed (packages clang, libclang-rt-14-dev)"
    exit 77
fi
mkdir -p "$work"
for target in control_ack discovery_ack; do
    bin="$work/fuzz_$target"
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$src/ipconfigurator" "$here/fuzz_$target.cpp" "$src/ipconfigurator/GvcpMessages.cpp" \
        -o "$bin"
    echo "== $target: replaying the seed corpus"
    "$bin" "$here/$target"/*
    echo "== $target: $runs runs"
    rm -rf "$work/corpus_$target"
    cp -r "$here/$target" "$work/corpus_$target"
    "$bin" -runs="$runs" -seed=1 -max_len=1100 "$work/corpus_$target"
done
