; The Windows installer of Vitrel, built by scripts/package-windows:
;   makensis -DVERSION=1.5 -DSTAGE=<folder laid out as installed>
;            -DFILES=<install list> -DUNFILES=<uninstall list>
;            -DSIZE_KB=<installed size> -DOUTFILE=<setup .exe> vitrel.nsi
; The install and uninstall lists name every shipped file, so uninstalling
; removes exactly those and leaves whatever the user keeps in the folder and
; in %APPDATA%\Vitrel.
; A 64-bit installer for a 64-bit program: it sees the 64-bit Program Files
; and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vitrel"

Name "Vitrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vitrel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Vitrel"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Vitrel ${VERSION} Setup"
VIAddVersionKey "CompanyName" "Vitrel"
VIAddVersionKey "LegalCopyright" "Vitrel"

!define MUI_ICON "${STAGE}\share\VitrelIcon24x24.ico"
!define MUI_UNICON "${STAGE}\share\VitrelIcon24x24.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Vitrel"
  SetShellVarContext all
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The installation holds what a portable folder holds. This marker tells
  ; the program, when started in this folder (a double click on vitrel.exe),
  ; that it is installed: its files go to %APPDATA%\Vitrel, not here, where
  ; users may not write. The portable zip has no marker.
  FileOpen $0 "$INSTDIR\VitrelInstallation.txt" w
  FileWrite $0 "This folder is the installation of Vitrel ${VERSION}. Vitrel keeps your$\r$\n"
  FileWrite $0 "settings and diary in %APPDATA%\Vitrel. Keep this file: without it,$\r$\n"
  FileWrite $0 "Vitrel started in this folder would try to write them here.$\r$\n"
  FileClose $0

  ; No working folder: the program needs none.
  CreateDirectory "$SMPROGRAMS\Vitrel"
  StrCpy $OUTDIR ""
  CreateShortCut "$SMPROGRAMS\Vitrel\Vitrel.lnk" "$INSTDIR\vitrel.exe" "" "$INSTDIR\vitrel.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vitrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vitrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vitrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !include "${UNFILES}"
  Delete "$INSTDIR\VitrelInstallation.txt"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\Vitrel\Vitrel.lnk"
  RMDir "$SMPROGRAMS\Vitrel"
  ; Removed only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
