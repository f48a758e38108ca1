#!/usr/bin/env bash
# SQLite for the Windows build. Debian has no MinGW-w64 package of it, so this builds a
# static library from Debian's own sqlite3 source package (with Debian's patches, which
# carry the security fixes) at the version of the installed libsqlite3-dev: both builds
# then run the same SQLite. The source comes through apt with a sources list of its own
# in a scratch folder, so the machine's apt setup is left as it is.
# usage: scripts/mingw_sqlite.sh [OUT_DIR]   (default build/mingw-sqlite)
#   makes OUT_DIR/include/sqlite3.h and OUT_DIR/lib/libsqlite3.a; quick when already built.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/mingw-sqlite}")
version=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev) || {
  echo "mingw_sqlite.sh: libsqlite3-dev is not installed (scripts/deps.sh)" >&2
  exit 1
}
stamp="$out/debian-version"
if [ -f "$out/lib/libsqlite3.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$version" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 1. Debian's source package, found through an index of its own.
# shellcheck source=scripts/debian_source.sh
. scripts/debian_source.sh
debian_apt
mkdir "$work/debian"
(cd "$work/debian" && step apt-source apt-get "${apt[@]}" source --download-only "sqlite3=$version")
# apt has checked the .dsc against the archive's signed index and dpkg-source checks the
# tarballs against the .dsc; the uploader's own signature would need debian-keyring.
step dpkg-source dpkg-source -x "$work/debian/sqlite3_${version#*:}.dsc" "$work/src"

# 2. The amalgamation: the generators are built and run on this machine (tclsh, host cc).
mkdir "$work/amalgamation"
(cd "$work/amalgamation" && step configure "$work/src/configure" --disable-tcl --disable-readline)
step amalgamation make -C "$work/amalgamation" -j"$(nproc)" sqlite3.c

# 3. One object for Windows, with the SQLITE_ options Debian's build sets.
mapfile -t options < <(grep -o -- '-DSQLITE_[A-Z0-9_]*\(=[0-9]*\)\?' "$work/src/debian/rules")
step compile x86_64-w64-mingw32-gcc-posix -O2 -fno-strict-aliasing "${options[@]}" \
  -c "$work/amalgamation/sqlite3.c" -o "$work/sqlite3.o"
mkdir -p "$out/lib" "$out/include"
rm -f "$out/lib/libsqlite3.a"
x86_64-w64-mingw32-ar rcs "$out/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$work/amalgamation/sqlite3.h" "$out/include/"
echo "$version" >"$stamp"
echo "SQLite $version for x86_64-w64-mingw32 in $out"
