#!/usr/bin/env bash
# What a Windows user downloads, tried under Wine on a real display (Xvfb, with openbox
# as the window manager), in a Wine prefix of its own that holds the preferences of an
# earlier release (COM5, in the registry's 32-bit view):
#   the zip, unzipped and run: RILO1Q12.exe reads a unit through COM5 (Wine's link to
#   the pseudo-terminal of a rilo-unit-sim running here) and shows "讀取設定完成!!";
#   Ctrl+Alt+F8 opens the unlock dialog;
#   the installer, silent (/S): the program in Program Files, the Start-menu entry
#   "RILO1 Q10/Q12 設定程式" starts it; the uninstaller, silent, takes it all away.
# usage: scripts/wine_desktop_test.sh [--display N] [--shots DIR] PACKAGE_DIR UNIT_SIM
#   PACKAGE_DIR: the zip's and the installer's folder (scripts/windows_package.sh)
#   UNIT_SIM:    rilo-unit-sim of a Linux build; its rilo-screenshot takes the --shots
#   --display:   the X display number for Xvfb (default: a free one)
#   --shots:     saves the window with the read's message box in DIR/windows-wine-read.png,
#                and with the unit's settings once the box is closed in
#                DIR/windows-wine-settings.png
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: scripts/wine_desktop_test.sh [--display N] [--shots DIR] PACKAGE_DIR UNIT_SIM"
display="" shots=""
while [ "${1:-}" = --display ] || [ "${1:-}" = --shots ]; do
  [ -n "${2:-}" ] || { echo "$usage" >&2; exit 2; }
  if [ "$1" = --display ]; then display=$2; else shots=$(realpath "$2"); fi
  shift 2
done
[ $# -eq 2 ] || { echo "$usage" >&2; exit 2; }
packages=$(realpath "$1") sim=$(realpath "$2")
zip=$(ls "$packages"/RILO1Q12-*-win64.zip)
setup=$(ls "$packages"/RILO1Q12-*-setup.exe)

work=$(mktemp -d)
pids=()
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  timeout -k 10 60 wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
trap 'echo "wine_desktop_test.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR

# shellcheck source=scripts/wine_checks.sh
. scripts/wine_checks.sh
# shoot NAME: with --shots, what the display shows once it stands still, into DIR/NAME.
shoot() {
  [ -z "$shots" ] || "$(dirname "$sim")/rilo-screenshot" "$shots/$1" >/dev/null 2>>"$work/shots.log"
}
# window SECONDS NAME: the X window of that exact name, once it is there and has faded
# in: Wine gives a window that is not opaque an opacity of its own.
window() {
  local id
  for _ in $(seq $(($1 * 2))); do
    id=$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ] && ! xprop -id "$id" _NET_WM_WINDOW_OPACITY | grep -q =; then
      echo "$id"
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# The display: Xvfb wide enough for the whole window, and a window manager.
if [ -n "$display" ]; then
  Xvfb ":$display" -screen 0 1280x1024x24 -br -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=$(head -n1 "$work/display")
fi
export DISPLAY=":$display"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { cat "$work/xvfb.log"; echo "Xvfb did not start on $DISPLAY"; exit 1; }
# The window manager's titles in a face with Chinese, in its regular weight (openbox draws
# no title at all in its bold one); the X keyboard without the server's Ctrl+Alt+Fn
# console switch, so that the program's hot key reaches it, as on Windows.
sed 's|<name>sans</name>|<name>Noto Sans CJK TC</name>|; s|<weight>bold</weight>|<weight>normal</weight>|' \
  /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
pids+=($!)
setxkbmap -option srvrkeys:none

# The prefix, with Wine's own fonts where Windows programs look for them (Latin text
# falls back to a serif face without them), and window titles in a face with Chinese,
# as Windows' own font linking gives them: Wine draws the title of a translucent window
# itself (the main window during a command), in Tahoma, which has none.
call 300 wine wineboot --init >/dev/null 2>&1
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
logfont() {  # logfont FACE: a bold LOGFONTW of 11 pixels in the registry's hex notation
  {
    printf '\xf5\xff\xff\xff'
    head -c 12 /dev/zero
    printf '\xbc\x02\0\0\0\0\0\x01\0\0\0\0'
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE
    head -c $((64 - 2 * ${#1})) /dev/zero
  } | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}
caption=$(logfont "Noto Sans CJK TC")
# Beside it, an earlier release's preferences, where a 32-bit program kept them.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n'
  printf '"%s"=hex:%s\r\n' CaptionFont "$caption" SmCaptionFont "$caption"
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\RILO1 Q10/Q12]\r\n'
  printf '"%s"=dword:%08x\r\n' Left 40 Top 40 Height 600 Width 940 CustomerInfo 1
  for flag in BattLow BattLowAction TxEMSCount BattCount Key1Time SpecialFunc IDCODE DateCode SN Factory; do
    printf '"%s"=dword:00000000\r\n' "$flag"
  done
  printf '"COM"="COM5"\r\n"Language"="English"\r\n'
} >"$work/prefix.reg"
call 60 wine regedit /S "$work/prefix.reg"
start_unit "$sim" "$work/unit"
pids+=("$unit_pid")
ln -sfn "$work/unit" "$WINEPREFIX/dosdevices/com5"

# The zip, unzipped and run from its folder.
unzip -q "$zip" -d "$WINEPREFIX/drive_c"
folder=$(basename "$zip" .zip)
(cd "$WINEPREFIX/drive_c/$folder" && exec wine RILO1Q12.exe) >"$work/zip-run.log" 2>&1 &
disown  # Wine's programs end with the prefix's server
if main=$(window 60 RILO1Q12); then
  check ok
  # The person reads the unit: 讀 取 設 定 in the 讀 取 menu, through the keyboard.
  xdotool windowactivate --sync "$main" key F10 Right Right Down Return
  if box=$(window 60 "讀取"); then
    shoot windows-wine-read.png
    xdotool windowactivate --sync "$box" key Return
    shoot windows-wine-settings.png
    if call 60 wine "C:\\$folder\\rilo-cli.exe" ledger list --port COM5 --csv >"$work/ledger.csv" 2>&1 &&
      grep -q "COM5" "$work/ledger.csv"; then
      check ok
    else
      cat "$work/ledger.csv"
      check "the read through COM5 is not in the ledger"
    fi
  else
    check "no message box after 讀取設定"
  fi
  xdotool windowactivate --sync "$main" key ctrl+alt+F8
  if dialog=$(window 30 "Password Dialog"); then
    check ok
    xdotool windowactivate --sync "$dialog" key Escape
  else
    check "Ctrl+Alt+F8 opened no unlock dialog"
  fi
  call 60 wine taskkill /F /IM RILO1Q12.exe >/dev/null 2>&1 || true
else
  check "RILO1Q12.exe from the zip showed no window within a minute"
fi

# The installer, silent, as an administrator rolls it out; the program started from its
# Start-menu entry and closed; the uninstaller, silent.
installed="$WINEPREFIX/drive_c/Program Files/RILO1Q12"
programs="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RILO1Q12'
listing() { (cd "$1" && find . -type f | sort); }
if call 300 wine "$setup" /S && [ -d "$installed" ]; then
  if [ "$(listing "$installed")" = "$( (listing "$WINEPREFIX/drive_c/$folder"; echo ./uninstall.exe) | sort)" ]; then
    check ok
  else
    diff <(listing "$WINEPREFIX/drive_c/$folder") <(listing "$installed") || true
    check "the installed files are not the zip's and the uninstaller"
  fi
  if [ -f "$programs/RILO1Q12.lnk" ] &&
    iconv -f UTF-16 -t UTF-8 "$programs/desktop.ini" | tr -d '\r' | grep -qxF "RILO1Q12.lnk=RILO1 Q10/Q12 設定程式" &&
    call 60 wine reg query "$uninstall" /reg:64 /v QuietUninstallString >/dev/null 2>&1; then
    check ok
  else
    check "no Start-menu entry named \"RILO1 Q10/Q12 設定程式\", or no entry in the system's list of programs"
  fi
  call 60 wine start "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\RILO1Q12.lnk" >/dev/null 2>&1 || true
  if main=$(window 60 RILO1Q12); then
    call 60 wine taskkill /IM RILO1Q12.exe >/dev/null 2>&1 || true
    for _ in $(seq 60); do xdotool search --onlyvisible --name "^RILO1Q12\$" >/dev/null 2>&1 || break; sleep 0.5; done
    if xdotool search --onlyvisible --name "^RILO1Q12\$" >/dev/null 2>&1; then
      check "the installed program did not close when asked"
    else
      check ok
    fi
  else
    check "the Start-menu entry started no RILO1Q12 within a minute"
  fi
  # The uninstaller hands over to a copy of itself and returns at once.
  call 60 wine "C:\\Program Files\\RILO1Q12\\uninstall.exe" /S >/dev/null 2>&1 || true
  for _ in $(seq 120); do [ -e "$installed" ] || break; sleep 0.5; done
  if [ ! -e "$installed" ] && [ ! -e "$programs/RILO1Q12.lnk" ] &&
    ! iconv -f UTF-16 -t UTF-8 "$programs/desktop.ini" | grep -qF "RILO1Q12.lnk" &&
    ! call 60 wine reg query "$uninstall" /reg:64 >/dev/null 2>&1; then
    check ok
  else
    check "the uninstaller left the program's folder, its Start-menu entry or its entry in the list of programs"
  fi
else
  check "the installer did not install into Program Files"
fi

report
