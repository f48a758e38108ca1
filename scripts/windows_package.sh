#!/usr/bin/env bash
# What a Windows user downloads, built here from the same source: installs what is
# needed, builds RILO1Q12.exe, rilo-cli.exe and ventrix.dll with MinGW-w64 and Qt for
# MinGW (scripts/qt_mingw_sdk.sh finds it) in a Release build, and makes in
# BUILD_DIR/package
#   RILO1Q12-VERSION-win64.zip  the program's folder with everything it needs: unzip, run
#   RILO1Q12-VERSION-setup.exe  an installer made with NSIS (scripts/windows_setup.nsi)
# and prints their paths.
# usage: scripts/windows_package.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
sdk=$(scripts/qt_mingw_sdk.sh)
build=$(mkdir -p "${1:-build/windows}" && cd "${1:-build/windows}" && pwd)
scripts/mingw_build.sh --qt "$sdk" "$build" RILO1Q12 rilo-cli ventrix >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=RILO1Q12-$version-win64
out=$build/package
stage=$out/$name
rm -rf "$out"
mkdir -p "$stage"

# The program's folder: its own files, and Qt's and the compiler's runtime as the build
# laid them beside it (the platform plugin for tests without a screen stays behind).
files=(RILO1Q12.exe rilo-cli.exe ventrix.dll product-line.txt VerInfo.txt
  Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6PrintSupport.dll
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll
  platforms/qwindows.dll styles/qwindowsvistastyle.dll translations/qtbase_zh_TW.qm)
for file in "${files[@]}"; do
  mkdir -p "$stage/$(dirname "$file")"
  cp "$build/bin/$file" "$stage/$file"
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/RILO1Q12.exe "$stage"/rilo-cli.exe "$stage"/ventrix.dll

(cd "$out" && find "$name" | sort | zip -qX "$name.zip" -@)

# The installer takes the same files, and its uninstaller removes exactly them.
{
  for folder in . platforms styles translations; do
    echo "SetOutPath \"\$INSTDIR\\${folder#.}\""
    for file in "${files[@]}"; do
      [ "$(dirname "$file")" = "$folder" ] && echo "File \"$stage/$file\""
    done
  done
} | sed 's/\\"$/"/' >"$out/files.nsh"
{
  for file in "${files[@]}"; do echo "Delete \"\$INSTDIR\\${file//\//\\}\""; done
  for folder in platforms styles translations; do echo "RMDir \"\$INSTDIR\\$folder\""; done
} >"$out/remove.nsh"
makensis -INPUTCHARSET UTF8 -V2 -DVERSION="$version" -DFILES="$out/files.nsh" -DREMOVE="$out/remove.nsh" \
  -DICON="$PWD/app/icon/rilo1q12.ico" -DOUTFILE="$out/RILO1Q12-$version-setup.exe" scripts/windows_setup.nsi >&2
rm "$out/files.nsh" "$out/remove.nsh"

echo "$out/$name.zip"
echo "$out/RILO1Q12-$version-setup.exe"
