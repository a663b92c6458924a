#!/usr/bin/env bash
# The set-up scripts against a package mirror that is out of sync: a fake apt-get first on
# PATH fails every "update" with the mirror's message and every "install" with an apt error;
# fake dpkg and dpkg-query say which packages are installed, and at the end a fake cmake fails
# a cross build whose packages are all there. Nothing is installed, removed or built.
#
#   test-apt-failures.sh SOURCE_DIR
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fake=$work/bin
mkdir -p "$fake"

cat >"$fake/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >>"$FAKE_APT_CALLS"
for a in "$@"; do
    case "$a" in
    update)
        echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 127.0.0.1 80]"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100 ;;
    install)
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100 ;;
    esac
done
exit 100
EOF
# Installed: everything but the packages matching $FAKE_MISSING (an extended regex).
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
echo "$p" | grep -qE "$FAKE_MISSING" && exit 1
printf 'install ok installed'
EOF
cat >"$fake/dpkg" <<'EOF'
#!/bin/sh
[ "$1" = "--print-foreign-architectures" ] && { echo i386; echo armhf; exit 0; }
echo "fake dpkg: unexpected call: $*" >&2
exit 1
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
chmod +x "$fake"/*

failures=0
check() { # description, command...: fails the test when the command fails
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run() { # FAKE_MISSING regex, script, arguments...: output in $work/out, status in $rc
    local missing=$1
    shift
    : >"$work/calls"
    rc=0
    env PATH="$fake:$PATH" FAKE_MISSING="$missing" FAKE_APT_CALLS="$work/calls" \
        ORVANTA_BUILD_ROOT="$work/build" ORVANTA_APT_RETRY_DELAY=0 "$@" >"$work/out" 2>&1 || rc=$?
}
output_has() { grep -qE "$1" "$work/out"; }
calls() { grep -c "$1" "$work/calls"; }

cross_missing=':(i386|armhf)$|^crossbuild-'

echo "== run-cross-tests: the cross packages cannot be installed"
run "$cross_missing" "$src/scripts/run-cross-tests" i386
check "exits 77" test "$rc" -eq 77
check "says SKIPPED with the packages and apt's first error" output_has \
    '^SKIPPED: i386 cross packages unavailable \(.*crossbuild-essential-i386.*\): E: Unable to correct problems'
check "tried the install three times" test "$(calls 'apt-get .*install')" -eq 3
check "went on after the failed update" output_has 'warning: apt-get update failed'
check "built nothing" test ! -e "$work/build/cross/i386"
[ "$rc" -eq 77 ] || cat "$work/out"

echo "== run-tests: a skipped cross stage is not a failure"
run "$cross_missing" "$src/scripts/run-tests" cross-i386 cross-armhf
check "exits 0" test "$rc" -eq 0
check "summary: cross i386 skipped" output_has '^cross i386: SKIPPED \(packages unavailable\)$'
check "summary: cross armhf skipped" output_has '^cross armhf: SKIPPED \(packages unavailable\)$'
[ "$rc" -eq 0 ] || cat "$work/out"

echo "== run-tests: a native package cannot be installed"
run '^cmake$' "$src/scripts/run-tests" release
check "fails" test "$rc" -ne 0
check "shows apt's error" output_has '^error: apt-get said: E: Unable to correct problems'
check "names the package" output_has '^error: the packages the build needs could not be installed: cmake$'
check "builds nothing" test ! -e "$work/build/release"
[ "$rc" -ne 0 ] || cat "$work/out"

echo "== run-tests: a cross build that fails still fails the run"
printf '#!/bin/sh\necho "fake cmake: this build fails" >&2\nexit 1\n' >"$fake/cmake"
chmod +x "$fake/cmake"
run '^$' "$src/scripts/run-tests" cross-i386
check "fails" test "$rc" -ne 0
check "the build was tried" output_has '^fake cmake: this build fails'
check "summary: cross i386 failed" output_has '^cross i386: FAILED'
[ "$rc" -ne 0 ] || cat "$work/out"

[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
[ "$failures" -eq 0 ]
