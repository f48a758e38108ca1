#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR (a Release build folder), checks its file list
# and control fields, has lintian judge it (any error or warning fails), unpacks it into
# a scratch root (dpkg -x), checks the menu entry and the AppStream metadata against each
# other, and runs the programs from there through their links in usr/bin: --version, the
# man pages against --help and against what the window program writes at its first start,
# and a settings read by the installed rilo-cli from the installed rilo-unit-sim over a
# pseudo-terminal. Nothing is installed on the machine itself.
# Usage: scripts/package_test.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
fail() {
  echo "package: $*" >&2
  exit 1
}

deb=$("$here/scripts/package.sh" "$build")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$deb" = "$build/package/rilo1q12_${version}_$(dpkg --print-architecture).deb" ] || fail "unexpected package $deb"
echo "built $deb"

# The file list, with modes and link targets.
expected="lrwxrwxrwx ./usr/bin/RILO1Q12 -> ../lib/rilo1q12/RILO1Q12
lrwxrwxrwx ./usr/bin/rilo-cli -> ../lib/rilo1q12/rilo-cli
lrwxrwxrwx ./usr/bin/rilo-unit-sim -> ../lib/rilo1q12/rilo-unit-sim
-rwxr-xr-x ./usr/lib/rilo1q12/RILO1Q12
-rw-r--r-- ./usr/lib/rilo1q12/VerInfo.txt
-rw-r--r-- ./usr/lib/rilo1q12/libventrix.so
-rw-r--r-- ./usr/lib/rilo1q12/product-line.txt
-rwxr-xr-x ./usr/lib/rilo1q12/rilo-cli
-rwxr-xr-x ./usr/lib/rilo1q12/rilo-unit-sim
-rw-r--r-- ./usr/share/applications/rilo1q12.desktop
-rw-r--r-- ./usr/share/doc/rilo1q12/changelog.gz
-rw-r--r-- ./usr/share/doc/rilo1q12/copyright
-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/rilo1q12.png
-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/rilo1q12.svg
-rw-r--r-- ./usr/share/man/man1/RILO1Q12.1.gz
-rw-r--r-- ./usr/share/man/man1/rilo-cli.1.gz
-rw-r--r-- ./usr/share/man/man1/rilo-unit-sim.1.gz
-rw-r--r-- ./usr/share/metainfo/example.ostrel.rilo1q12.metainfo.xml"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { line = $1; for (i = 6; i <= NF; i++) line = line " " $i; print line }' | LC_ALL=C sort -k2)
[ "$actual" = "$(LC_ALL=C sort -k2 <<<"$expected")" ] || fail "file list differs:
$(diff <(LC_ALL=C sort -k2 <<<"$expected") <(echo "$actual") || true)"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { exit 1 }' || fail "a file not owned by root"

# Control fields: dependencies found from the binaries, plus the font and Qt's translations.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = rilo1q12 ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
depends=$(field Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for package in fonts-noto-cjk qt6-translations-l10n libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6printsupport6 libqt6network6; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done
grep -q dialout <<<"$(field Description)" || fail "the description says nothing of the dialout group"
# No maintainer scripts: Ventrix is private to the programs' folder, so not even ldconfig.
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||; /^$/d' | sort | xargs)
[ "$members" = "control md5sums" ] || fail "control members: $members"

# Debian's own judgement: no error, no warning; the notes it leaves are in the README.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"
echo "lintian passed"

source "$here/packaging/scratch_unit.sh"
dpkg -x "$deb" "$root/fs"
fs="$root/fs"

for program in RILO1Q12 rilo-cli rilo-unit-sim; do
  ! ldd "$fs/usr/lib/rilo1q12/$program" | grep 'not found' || fail "$program misses a library"
done

# The menu entry: valid, its name, a command on the PATH, its icon, and a working folder
# that holds VerInfo.txt.
desktop="$fs/usr/share/applications/rilo1q12.desktop"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Name)" = "RILO1 Q10/Q12 設定程式" ] || fail "menu name: $(entry Name)"
[ -L "$fs/usr/bin/$(entry Exec)" ] || fail "Exec $(entry Exec) is not in usr/bin"
[ -f "$fs/usr/share/icons/hicolor/48x48/apps/$(entry Icon).png" ] || fail "no icon $(entry Icon)"
[ -f "$fs$(entry Path)/VerInfo.txt" ] || fail "no VerInfo.txt in $(entry Path)"

# The AppStream metadata: valid, and saying what the menu entry says, in both languages.
metainfo=$(echo "$fs"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "the AppStream metadata is not valid"
tag() { sed -nE "s|^ *<$1>(.*)</${1%% *}>\$|\1|p" "$metainfo"; }
[ "$(tag name)" = "$(entry Name)" ] || fail "AppStream name $(tag name), menu name $(entry Name)"
[ "$(tag summary)" = "$(entry Comment)" ] || fail "AppStream summary $(tag summary), menu comment $(entry Comment)"
[ "$(tag 'summary xml:lang="zh_TW"')" = "$(entry 'Comment\[zh_TW\]')" ] ||
  fail "AppStream zh_TW summary $(tag 'summary xml:lang="zh_TW"'), menu comment $(entry 'Comment\[zh_TW\]')"
[ "$(tag 'icon type="stock"')" = "$(entry Icon)" ] || fail "AppStream icon $(tag 'icon type="stock"')"
[ "$(tag 'launchable type="desktop-id"')" = "$(basename "$desktop")" ] ||
  fail "AppStream launches $(tag 'launchable type="desktop-id"')"
# The newest release it lists, and the changelog's, are this one.
release=$(sed -nE '/<release /{s|^ *<release version="([^"]+)".*|\1|p;q}' "$metainfo")
[ "$release" = "$version" ] || fail "the AppStream metadata's newest release is $release"
gzip -dc "$fs/usr/share/doc/rilo1q12/changelog.gz" >"$root/changelog"
[ "$(dpkg-parsechangelog -l "$root/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's newest entry is $(dpkg-parsechangelog -l "$root/changelog" -S Version)"

# Man pages: well-formed roff that names every command and option of --help, and for
# the window program every preference value and file it makes at its first start.
for page in RILO1Q12 rilo-cli rilo-unit-sim; do
  gzip -dc "$fs/usr/share/man/man1/$page.1.gz" >"$root/$page.1"
  warnings=$(groff -k -man -Tutf8 -ww -z "$root/$page.1" 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
bash "$here/packaging/man_pages_test.sh" "$fs/usr/bin/rilo-cli" "$root/rilo-cli.1" \
  "$fs/usr/bin/rilo-unit-sim" "$root/rilo-unit-sim.1"
bash "$here/packaging/window_man_page_test.sh" "$fs/usr/bin" "$root/RILO1Q12.1"

# The installed programs, through their links: each finds its library and data in
# usr/lib/rilo1q12, none of which sits beside the link.
[ "$("$fs/usr/bin/rilo-cli" --version)" = "rilo-cli $version" ] || fail "rilo-cli --version"
[ "$("$fs/usr/bin/rilo-unit-sim" --version)" = "rilo-unit-sim $version" ] || fail "rilo-unit-sim --version"
"$fs/usr/bin/rilo-cli" --version

start_unit "$fs/usr/bin/rilo-unit-sim" --role rx
mkdir "$root/config"
XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" "$fs/usr/bin/rilo-cli" read "$root/unit" -o "$root/unit.rilo" 2>"$root/read.log" ||
  fail "the installed rilo-cli could not read the installed rilo-unit-sim's settings: $(cat "$root/read.log")"
shown=$("$fs/usr/bin/rilo-cli" show "$root/unit.rilo")
grep -qx 'MachineType=12' <<<"$shown" || fail "the settings read shows no Q12 unit: $shown"
echo "installed rilo-cli read the settings of the installed rilo-unit-sim"
echo "package passed"
