# What every build and test run of the scripts shares.
# shellcheck shell=bash

# Debug information as line tables only: enough for sanitizer reports, backtraces and gdb's
# "where", and a fifth less time to build than full debug information.
build_flags=(
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
    "-DCMAKE_C_FLAGS_DEBUG=-g1"
    "-DCMAKE_CXX_FLAGS_DEBUG=-g1"
)

build_jobs=$(nproc)
# Most tests spend their time waiting on a camera, a network or a timer (a test run keeps the
# processors about a sixth busy), so more of them run at once than there are processors.
# Tests whose timing needs the machine to themselves are marked to run alone.
test_jobs=$((build_jobs * 3))
