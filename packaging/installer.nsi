; The installer of Quillet and Mantello: per user, without administrator rights, in German.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DSTAGE=<folder with the zip's files>
;          -DSOURCE=<repository> -DOUTFILE=<setup.exe> packaging/installer.nsi
;
; Silent use: setup.exe /S [/AUTOSTART=Quillet,Mantello] [/D=folder]; without /AUTOSTART the
; autostart of each program stays as it was. The uninstaller takes /S as well.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PRODUCT "Quillet und Mantello"
!define PUBLISHER "Ferrandel Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet-Mantello"
; The Run value that each program's own autostart switch writes and shows: named after the
; program, the path unquoted, then " /AUTOSTART".
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Ferrandel Software"
!define STARTMENU "$SMPROGRAMS\${PRODUCT}"
!define ENDSESSION_CLOSEAPP 0x00000001

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillet-Mantello"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "FileDescription" "Installation von ${PRODUCT}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "Copyright (C) 2024-2026 ${PUBLISHER}"

!define MUI_ICON "${SOURCE}\quillet\app\quillet.ico"
!define MUI_UNICON "${SOURCE}\quillet\app\quillet.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Quillet jetzt starten"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; Ends a running program before its files are replaced or removed: asks its main window to
; close, waits until its process is gone (its single-instance mutex goes with it), and asks
; the user when it does not end. $R0 window class, $R1 program, $R2 mutex, $R3 how to ask:
; "close" (WM_CLOSE ends Quillet with its edits stored) or "closeapp" (Mantello's WM_CLOSE only
; hides its window; it ends on the end-session message that installers send).
!macro CLOSE_PROGRAM_FUNCTION prefix
Function ${prefix}CloseProgram
  Push $0
  Push $1
  Push $2
  retry:
    FindWindow $0 "$R0"
    ${If} $0 <> 0
      DetailPrint "$R1 wird beendet ..."
      ${If} $R3 == "close"
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      ${Else}
        SendMessage $0 ${WM_QUERYENDSESSION} 0 ${ENDSESSION_CLOSEAPP} /TIMEOUT=5000
        SendMessage $0 ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP} /TIMEOUT=5000
      ${EndIf}
    ${EndIf}
    StrCpy $2 0
    ${Do}
      ; SYNCHRONIZE access is enough to see whether the mutex still exists.
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w R2) p .r1'
      ${If} $1 P= 0
        ${ExitDo}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r1)'
      ${If} $2 >= 50
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
          "$R1 läuft noch und lässt sich nicht beenden.$\r$\n$\r$\nBitte beenden Sie $R1 \
(Rechtsklick auf sein Symbol im Infobereich, „Beenden“) und klicken Sie dann auf \
„Wiederholen“." /SD IDCANCEL IDRETRY retry
        Abort
      ${EndIf}
      Sleep 200
      IntOp $2 $2 + 1
    ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function ${prefix}CloseBothPrograms
  StrCpy $R0 "QuilletMainForm"
  StrCpy $R1 "Quillet"
  StrCpy $R2 "Local\Ferrandel.Quillet.Instance"
  StrCpy $R3 "close"
  Call ${prefix}CloseProgram
  StrCpy $R0 "MantelloForm1"
  StrCpy $R1 "Mantello"
  StrCpy $R2 "Local\Ferrandel.Mantello.Instance"
  StrCpy $R3 "closeapp"
  Call ${prefix}CloseProgram
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM_FUNCTION ""
!insertmacro CLOSE_PROGRAM_FUNCTION "un."

; Removes a program's Run value when it starts the copy in $INSTDIR; a value that starts a
; copy elsewhere belongs to that copy. $R1 program.
!macro REMOVE_RUN_VALUE_FUNCTION prefix
Function ${prefix}RemoveOwnRunValue
  Push $0
  Push $1
  ReadRegStr $0 HKCU "${RUN_KEY}" "$R1"
  StrLen $1 "$INSTDIR\"
  StrCpy $0 $0 $1
  ${If} $0 == "$INSTDIR\"
    DeleteRegValue HKCU "${RUN_KEY}" "$R1"
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro REMOVE_RUN_VALUE_FUNCTION ""
!insertmacro REMOVE_RUN_VALUE_FUNCTION "un."

Section "!Quillet und Mantello" SecPrograms
  SectionIn RO
  Call CloseBothPrograms
  SetOutPath "$INSTDIR"
  File "${STAGE}\Quillet.exe"
  File "${STAGE}\Mantello.exe"
  File "${STAGE}\quillet-yaml.dll"
  ; The sample library only: Quillet copies it to Quillet.ini at its first start, and an
  ; existing Quillet.ini is the user's and never touched.
  File "${STAGE}\sample.ini"
  ; The file the sample's file placeholder names: a user may have made it their own.
  SetOverwrite off
  File "${STAGE}\signatur.txt"
  SetOverwrite on
  File "${STAGE}\SID1.jpg"
  File "${STAGE}\SID2.jpg"
  File "${STAGE}\LIESMICH.txt"
  RMDir /r "$INSTDIR\hilfe"
  File /r "${STAGE}\hilfe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\Quillet.lnk" "$INSTDIR\Quillet.exe" "" "$INSTDIR\Quillet.exe" 0
  CreateShortcut "${STARTMENU}\Mantello.lnk" "$INSTDIR\Mantello.exe" "" "$INSTDIR\Mantello.exe" 0
  CreateShortcut "${STARTMENU}\Hilfe zu Quillet und Mantello.lnk" "$INSTDIR\hilfe\index.html"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Quillet beim Anmelden starten" SecAutostartQuillet
SectionEnd

Section "Mantello beim Anmelden starten" SecAutostartMantello
SectionEnd

; The autostart choice, applied after the files are in place: a chosen program gets its Run
; value, and one that was not chosen loses the value that starts this copy.
Section "-Autostart"
  ${If} ${SectionIsSelected} ${SecAutostartQuillet}
    WriteRegStr HKCU "${RUN_KEY}" "Quillet" "$INSTDIR\Quillet.exe /AUTOSTART"
  ${Else}
    StrCpy $R1 "Quillet"
    Call RemoveOwnRunValue
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecAutostartMantello}
    WriteRegStr HKCU "${RUN_KEY}" "Mantello" "$INSTDIR\Mantello.exe /AUTOSTART"
  ${Else}
    StrCpy $R1 "Mantello"
    Call RemoveOwnRunValue
  ${EndIf}
SectionEnd

; Selects an autostart section when $R1 names it: /AUTOSTART= on the command line decides, and
; without it the program's current Run value does, so an update keeps the user's choice.
Function PresetAutostart
  ; $R0 the option's value or "-" without the option, $R1 program, $R2 section
  Push $0
  ${If} $R0 == "-"
    ReadRegStr $0 HKCU "${RUN_KEY}" "$R1"
    ${If} $0 != ""
      !insertmacro SelectSection $R2
    ${Else}
      !insertmacro UnselectSection $R2
    ${EndIf}
  ${Else}
    ClearErrors
    ${WordFind} "$R0" "$R1" "E*" $0
    ${IfNot} ${Errors}
      !insertmacro SelectSection $R2
    ${Else}
      !insertmacro UnselectSection $R2
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

Function .onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART=" $R0
  ${If} ${Errors}
    StrCpy $R0 "-"
  ${EndIf}
  StrCpy $R1 "Quillet"
  StrCpy $R2 ${SecAutostartQuillet}
  Call PresetAutostart
  StrCpy $R1 "Mantello"
  StrCpy $R2 ${SecAutostartMantello}
  Call PresetAutostart
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Removes what the installer put in place. The data file Quillet.ini (with its backups) and the
; per-user settings stay: they are the user's, and a new installation finds them again.
Section "Uninstall"
  Call un.CloseBothPrograms
  Delete "$INSTDIR\Quillet.exe"
  Delete "$INSTDIR\Mantello.exe"
  Delete "$INSTDIR\quillet-yaml.dll"
  Delete "$INSTDIR\sample.ini"
  Delete "$INSTDIR\signatur.txt"
  Delete "$INSTDIR\SID1.jpg"
  Delete "$INSTDIR\SID2.jpg"
  Delete "$INSTDIR\LIESMICH.txt"
  RMDir /r "$INSTDIR\hilfe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: one that still holds the user's library stays.
  RMDir "$INSTDIR"

  Delete "${STARTMENU}\Quillet.lnk"
  Delete "${STARTMENU}\Mantello.lnk"
  Delete "${STARTMENU}\Hilfe zu Quillet und Mantello.lnk"
  RMDir "${STARTMENU}"

  StrCpy $R1 "Quillet"
  Call un.RemoveOwnRunValue
  StrCpy $R1 "Mantello"
  Call un.RemoveOwnRunValue
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
