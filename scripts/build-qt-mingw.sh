#!/usr/bin/env bash
# The Qt for MinGW that the Windows window program is built with, for a clone without
# the shared one (../shared/qt6-mingw): Qt's qtbase for x86_64-w64-mingw32 with POSIX
# threads, built from Debian's own qt6-base source at the installed version, with
# Debian's patches (they carry its security fixes), and Debian's host tools (moc, rcc,
# uic of qt6-base-dev-tools, which must be of the same version). Core, Gui, Widgets,
# PrintSupport and Network; the qwindows and qoffscreen platforms, the windowsvista
# style, the schannel TLS backend; the MinGW runtime DLLs in bin/. About an hour on two
# cores; nothing to do when OUT_DIR already holds this version.
# The sources come through an apt of its own (scripts/debian_source.sh): the machine's
# package lists stay as they are.
# usage: scripts/build-qt-mingw.sh [OUT_DIR]   (default build/qt6-mingw, where
#        scripts/qt_mingw_sdk.sh looks)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
out=$(realpath -m "${1:-build/qt6-mingw}")
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
tools=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
if [ "$tools" != "$version" ]; then
  echo "build-qt-mingw.sh: qt6-base-dev-tools $tools is not qt6-base-dev $version: the host tools must match" >&2
  exit 1
fi
stamp="$out/debian-version"
if [ -f "$out/lib/cmake/Qt6/Qt6Config.cmake" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$version" ]; then
  exit 0
fi

# The scratch folder holds a few gigabytes while Qt builds: beside the result, not in
# /tmp; it stays after a failure, with the failed step's log.
work=$(realpath -m "$out.work")
rm -rf "$work" "$out"
mkdir -p "$work" "$out"
# shellcheck source=scripts/debian_source.sh
. scripts/debian_source.sh
debian_apt

# 1. Debian's source package (apt checks the .dsc against the archive's signed index,
# dpkg-source the tarballs against the .dsc), Debian's patches applied.
mkdir "$work/debian"
(cd "$work/debian" && step apt-source apt-get "${apt[@]}" source --download-only "qt6-base=$version")
step dpkg-source dpkg-source -x "$work/debian/qt6-base_${version#*:}.dsc" "$work/src"

# 2. The wintab headers of the Windows platform's tablet support, which Debian's +dfsg
# tarball leaves out: Wine's (LGPL-2.1), from its libwine-dev package of the installed
# Wine, unpacked only. A shim gives them the Windows headers and macros they expect.
wine=$(dpkg-query -W -f='${Version}' libwine)
(cd "$work/debian" && step apt-download apt-get "${apt[@]}" download "libwine-dev=$wine")
step unpack-wine dpkg-deb -x "$work"/debian/libwine-dev_*.deb "$work/wine"
wintab=$work/src/src/3rdparty/wintab
mkdir -p "$wintab"
cp "$work/wine/usr/include/wine/wine/windows/wintab.h" "$wintab/wine_wintab.h"
cp "$work/wine/usr/include/wine/wine/windows/pktdef.h" "$wintab/pktdef.h"
cat >"$wintab/wintab.h" <<'EOF'
#include <windows.h>
#include <_mingw_dxhelper.h> /* WINELIB_NAME_AW, DECL_WINELIB_TYPE_AW */
#include "wine_wintab.h"
#ifndef API
#define API WINAPI
#endif
EOF

# 3. The toolchain: Debian's MinGW-w64 with POSIX threads. It goes into the result too,
# where Qt's own toolchain file (lib/cmake/Qt6/qt.toolchain.cmake) loads it; a project
# that gives CMAKE_PREFIX_PATH instead finds Qt through the prefix's root.
cat >"$out/mingw-w64-x86_64.cmake" <<'EOF'
# CMake toolchain file: Windows x86-64 via Debian's MinGW-w64 (posix threads)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR           /usr/bin/${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP        /usr/bin/${TOOLCHAIN_PREFIX}-strip CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# For user projects: let find_package() see prefixes passed via CMAKE_PREFIX_PATH
# (e.g. -DCMAKE_PREFIX_PATH=/opt/qt6-mingw). Not used by the Qt build itself.
if(CMAKE_PREFIX_PATH)
  list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
endif()
EOF

# 4. Configure. OpenGL off needs INPUT_opengl=no as well (the feature alone fails its
# tests); direct2d stays on, since the DirectWrite font engine that PrintSupport and
# qwindows need is only built with it; Debian's cross-build patch turns androiddeployqt
# back on.
step configure nice -n 19 cmake -G Ninja -S "$work/src" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$out/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DCMAKE_INSTALL_PREFIX="$out" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_testlib=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF -DFEATURE_icu=OFF \
  -DFEATURE_openssl=OFF -DFEATURE_schannel=ON \
  -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF -DFEATURE_gssapi=OFF -DFEATURE_libproxy=OFF \
  -DFEATURE_glib=OFF -DFEATURE_pkg_config=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF \
  -DFEATURE_system_textmarkdownreader=OFF -DFEATURE_androiddeployqt=OFF

# 5. Build and install, stripped; the compiler's runtime beside Qt's DLLs.
echo "build-qt-mingw.sh: building Qt $version for MinGW-w64 (about an hour; log $work/build.log)" >&2
step build nice -n 19 ninja -C "$work/build" -j"$(nproc)"
step install nice -n 19 cmake --install "$work/build" --strip
cp /usr/lib/gcc/x86_64-w64-mingw32/*-posix/libstdc++-6.dll /usr/lib/gcc/x86_64-w64-mingw32/*-posix/libgcc_s_seh-1.dll \
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$out/bin/"
(cd "$out/bin" && x86_64-w64-mingw32-strip --strip-unneeded libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
# Qt's toolchain file loads the one beside the result, wherever the result is moved.
sed -i 's|^set(__qt_initially_configured_toolchain_file .*|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64-x86_64.cmake")|' \
  "$out/lib/cmake/Qt6/qt.toolchain.cmake"
echo "$version" >"$stamp"
rm -rf "$work"
echo "$out"
