#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of the set-up step of the first two commands of README.md on a machine that lacks
# packages, with dpkg-query, apt-get, sudo and id stubbed: each command begins with the step
# (the first for building and running, libarchive included; the second for the tests), which
# installs the packages missing, through sudo unless root, and asks for nothing when all are
# there.
# usage: test-install-packages.sh README SOURCE_DIR WORK_DIR
set -eu
readme=$1 src=$2 work=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/bin"
# the first two indented commands of README.md
first=$(grep -m1 '^    .*cmake -S \. -B build ' "$readme" | sed 's/^    //')
second=$(grep -m1 '^    .*cmake -S \. -B build-test ' "$readme" | sed 's/^    //')
case "$first" in "scripts/install-packages build && cmake "*) ;; *) fail "first command: $first" ;; esac
case "$second" in "scripts/install-packages test && cmake "*) ;; *) fail "second command: $second" ;; esac

# stubs: installed packages are listed in $work/installed; every call is logged
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
for p; do :; done
grep -qx "$p" "$STUBS/installed" && printf 'install ok installed'
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUBS/log"
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/bin/sh
echo "sudo" >>"$STUBS/log"
exec "$@"
STUB
cat >"$work/bin/id" <<'STUB'
#!/bin/sh
echo "$STUB_UID"
STUB
chmod +x "$work/bin/"*
export STUBS="$work"

# runs the set-up step of a command as the given user; its apt-get calls in $work/log
setup() {
    : >"$work/log"
    (cd "$src" && PATH="$work/bin:$PATH" STUB_UID=$2 sh -c "${1%% && *}") 2>/dev/null ||
        fail "set-up step failed: ${1%% && *}"
}

printf '%s\n' cmake g++ make >"$work/installed"
setup "$first" 1000
grep -qx sudo "$work/log" || fail "no sudo for a user: $(cat "$work/log")"
grep -q '^apt-get install -y -qq libarchive-dev libdeflate-dev libgeographiclib-dev nlohmann-json3-dev nettle-dev$' "$work/log" || fail "build set-up: $(cat "$work/log")"
setup "$second" 0
! grep -qx sudo "$work/log" || fail "sudo as root"
grep -q '^apt-get install .* libarchive-dev libdeflate-dev libgeographiclib-dev nlohmann-json3-dev nettle-dev libgtest-dev .*lintian parallel$' "$work/log" ||
    fail "test set-up: $(cat "$work/log")"
grep -q '^apt-get update' "$work/log" || fail "no package lists fetched"
printf '%s\n' cmake g++ make libarchive-dev libdeflate-dev libgeographiclib-dev nlohmann-json3-dev nettle-dev libgtest-dev gnuplot-nox gzip ncompress zip bzip2 xz-utils \
    dpkg-dev binutils lintian parallel >"$work/installed"
setup "$second" 1000
[ ! -s "$work/log" ] || fail "apt-get called with every package installed: $(cat "$work/log")"
echo "README set-up steps install what a bare Debian machine lacks"
