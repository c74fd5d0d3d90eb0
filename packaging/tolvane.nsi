; Tolvane's installer: one user, no administrator rights. The program keeps
; its files (tolvane.ini, tolvane.log, tolvane.bak, tolvane.err) beside its
; exe, so it goes under the user's local application folder, which that
; user can write. Upgrading overwrites only the program's own files;
; uninstalling removes only them and leaves the user's files and folder.
;
; scripts/package.sh makes it:
;   makensis -DVERSION=2.1.4 -DVERSION_TEXT=2.1d -DVERSION_FULL=2.1.4.0
;            -DSTAGE=<folder holding what is installed> -DFILES=<files.nsh>
;            -DICON=<program.ico> -DOUTFILE=<setup.exe> tolvane.nsi
; FILES defines the macros INSTALL_FILES and UNINSTALL_FILES for whatever
; besides tolvane.exe the stage holds (the user guide, the sample ISP files).

; A 64-bit installer: it installs the x64 program (the i686 zip serves
; 32-bit Windows).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Tolvane ${VERSION_TEXT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tolvane"
; An upgrade goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_FULL}"
VIAddVersionKey /LANG=1033 "ProductName" "Tolvane"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_FULL}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_FULL}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tolvane ${VERSION_TEXT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Tolvane"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Tolvane"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs Tolvane ${VERSION_TEXT} for you alone; it needs no administrator rights.$\r$\n$\r$\nTolvane keeps its settings and its session log in its own folder. Installing over an earlier version keeps them.$\r$\n$\r$\nClose Tolvane before you continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\tolvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tolvane"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy holds its exe: ask for it to be closed instead of leaving
; an old exe behind or reporting success over a half-done job. Silent runs
; give up at once (exit code 2).
!macro REMOVE_RUNNING_EXE
  retry_exe:
  ClearErrors
  Delete "$INSTDIR\tolvane.exe"
  IfErrors 0 exe_gone
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tolvane is running from $INSTDIR.$\r$\nClose it (Exit in its window, or Shutdown and Exit in its tray menu), then press Retry." /SD IDCANCEL IDRETRY retry_exe
    SetErrorLevel 2
    Abort "Tolvane is running; nothing was changed."
  exe_gone:
!macroend

Section "Tolvane"
  SetOutPath "$INSTDIR"
  !insertmacro REMOVE_RUNNING_EXE
  File "${STAGE}\tolvane.exe"
  !insertmacro INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Tolvane.lnk" "$INSTDIR\tolvane.exe" "" "$INSTDIR\tolvane.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tolvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tolvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  !insertmacro REMOVE_RUNNING_EXE
  !insertmacro UNINSTALL_FILES
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Tolvane.lnk"
  ; The start with Windows this copy registered would start nothing now.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Tolvane"
  StrCmp $0 '"$INSTDIR\tolvane.exe" -m' 0 +2
    DeleteRegValue HKCU "${RUN_KEY}" "Tolvane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Never the user's files: say which stay, and keep the folder for them.
  StrCpy $1 ""
  IfFileExists "$INSTDIR\tolvane.ini" 0 +2
    StrCpy $1 "$1$\r$\n    tolvane.ini"
  IfFileExists "$INSTDIR\tolvane.log" 0 +2
    StrCpy $1 "$1$\r$\n    tolvane.log"
  IfFileExists "$INSTDIR\tolvane.bak" 0 +2
    StrCpy $1 "$1$\r$\n    tolvane.bak"
  IfFileExists "$INSTDIR\tolvane.err" 0 +2
    StrCpy $1 "$1$\r$\n    tolvane.err"
  StrCmp $1 "" remove_folder
    DetailPrint "Your own files stay in $INSTDIR."
    MessageBox MB_OK|MB_ICONINFORMATION "Tolvane is removed. Your settings and session log stay in$\r$\n    $INSTDIR$\r$\n$1$\r$\n$\r$\nInstalling Tolvane there again uses them. Delete the folder yourself when you no longer need them." /SD IDOK
  remove_folder:
  ; Only when empty: anything else the user keeps there stays too.
  RMDir "$INSTDIR"
SectionEnd
