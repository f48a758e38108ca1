; The Windows installer of RILO1Q12, made by scripts/windows_package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=3.00 -DFILES=files.nsh -DREMOVE=remove.nsh
;            -DICON=rilo1q12.ico -DOUTFILE=RILO1Q12-3.00-setup.exe windows_setup.nsi
; FILES installs the program folder (File lines) and REMOVE takes the same files away
; (Delete lines), so the uninstaller removes what was installed and nothing else.
; Installs for every user of the machine into Program Files, with a Start-menu entry and
; an entry in the system's list of programs; /S installs and uninstalls without a word.
; A 64-bit installer for the 64-bit program: it runs on 64-bit Windows only, and there
; Program Files and the registry are the 64-bit ones.
Target amd64-unicode
SetCompressor /SOLID lzma
!include "LogicLib.nsh"
!include "MUI2.nsh"

!define TITLE "RILO1 Q10/Q12 設定程式"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RILO1Q12"
; The Start menu shows a shortcut under its file name unless its folder's desktop.ini
; names it: a file name may not hold the "/" of the title.
!define LINK "RILO1Q12.lnk"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\RILO1Q12"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${TITLE}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${TITLE} ${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "© 2026 Ostrel Electronic"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "TradChinese"

Section
  SetShellVarContext all
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${LINK}" "$INSTDIR\RILO1Q12.exe" "" "$INSTDIR\RILO1Q12.exe" 0 SW_SHOWNORMAL "" "${TITLE}"
  ; A desktop.ini made here is UTF-16, so the title keeps its Chinese on any system.
  ${IfNot} ${FileExists} "$SMPROGRAMS\desktop.ini"
    FileOpen $0 "$SMPROGRAMS\desktop.ini" w
    FileWriteWord $0 0xFEFF
    FileClose $0
    SetFileAttributes "$SMPROGRAMS\desktop.ini" HIDDEN|SYSTEM
  ${EndIf}
  WriteINIStr "$SMPROGRAMS\desktop.ini" "LocalizedFileNames" "${LINK}" "${TITLE}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrel Electronic"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\RILO1Q12.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The preferences in the registry stay: a later installation finds them as they were.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${LINK}"
  DeleteINIStr "$SMPROGRAMS\desktop.ini" "LocalizedFileNames" "${LINK}"
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
