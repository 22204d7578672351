#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of the Debian package made by cpack from a build tree: every program has a manual page,
# manual pages and release notes are gzip-compressed, the copyright file carries the licence of
# LICENSE in the machine-readable format, the release notes name the package's version, and
# lintian reports no error. Exit 77 (skipped) without cpack's Debian tools.
# usage: test-package.sh BUILD_DIR LICENSE WORK_DIR
set -eu
build=$1 licence=$2 work=$3

command -v dpkg-deb >/dev/null 2>&1 || { echo "SKIP: dpkg-deb not found"; exit 77; }
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
set -- "$work"/kestrova_*.deb
[ -f "$1" ] || fail "no package in $work"
deb=$1 root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/kestrova

for prog in "$root"/usr/bin/*; do
    page=$root/usr/share/man/man1/$(basename "$prog").1.gz
    [ -f "$page" ] || fail "no manual page for $(basename "$prog")"
done
for gz in "$root"/usr/share/man/man1/* "$doc/changelog.gz"; do
    gzip -t "$gz" 2>/dev/null || fail "$gz is not gzip-compressed"
done
[ -z "$(find "$root/usr/share/man" -type f ! -name '*.gz')" ] || fail "an uncompressed manual page"

head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "copyright is not in the machine-readable format"
grep -q '^License: BSD-2-Clause$' "$doc/copyright" || fail "copyright names no BSD-2-Clause licence"
# the licence text after its copyright line, as the indented paragraph of the copyright file
sed '1,/^Copyright (c)/d' "$licence" | sed '1{/^$/d}' | sed 's/^$/./; s/^/ /' >"$work/licence.want"
sed '1,/^License: BSD-2-Clause$/d' "$doc/copyright" | sed '1,/^License: BSD-2-Clause$/d' >"$work/licence.got"
cmp -s "$work/licence.want" "$work/licence.got" || fail "the copyright file's licence text is not that of $licence"

version=$(dpkg-deb -f "$deb" Version)
gunzip -c "$doc/changelog.gz" | head -1 | grep -q "^kestrova ($version) " ||
    fail "the release notes do not begin with version $version"

if command -v lintian >/dev/null 2>&1; then
    lintian "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
    if grep '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi
    grep '^W: ' "$work/lintian.log" || true
else
    echo "lintian not found: the package is checked without it"
fi
echo "Debian package $(basename "$deb"): manual pages, copyright and release notes in place"
