; The setup program of Orvane Zentory for 64-bit Windows, made by makensis
; in the windows build (target zentory-setup, cmake/WindowsInstaller.cmake).
;
; It installs for the current user by default, without administrator rights,
; into %LOCALAPPDATA%\Programs\Orvane Zentory; /ALLUSERS on the command line
; (run as administrator) installs for every user into Program Files. Either
; way it adds a Start menu entry, the Explorer entry "List with Orvane
; Zentory" on folders (when the window is installed) and an entry in Apps &
; features whose uninstaller removes all of that again, but never a user's
; settings in %APPDATA%\Orvane\Zentory.
;
; Run again (a newer version), it installs over the copy that its entry in Apps
; & features names, in that copy's folder, so a machine holds one copy and one
; entry for it. While a program of that copy runs, setup and uninstaller ask to
; close it (Retry, Cancel); silently, they end with exit code 2 and change
; nothing. Its pages speak English, German or French, as the system does.
;
; The build hands over ZENTORY_FILES, a generated script that names the
; version, the output file and the files to install and remove (the same
; lists as the portable zip's), and may name ZENTORY_ICON.

Unicode true
; The 64-bit stub: the programs are 64-bit, and so is the registry view.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include "${ZENTORY_FILES}"
!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh

!define APP_NAME "Orvane Zentory"
!define PUBLISHER "Orvane Zentory developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneZentory"
!define FOLDER_VERB "Software\Classes\Directory\shell\OrvaneZentory"
!define BACKGROUND_VERB "Software\Classes\Directory\Background\shell\OrvaneZentory"
!define MARKER "installed-by-setup.txt"
!ifdef ZENTORY_WINDOW
  !define SHORTCUT "$SMPROGRAMS\${APP_NAME}.lnk"
!else
  ; Until the window is built the entry opens the help page.
  !define SHORTCUT "$SMPROGRAMS\${APP_NAME} help.lnk"
!endif

Name "${APP_NAME}"
OutFile "${ZENTORY_OUTFILE}"
BrandingText "${APP_NAME} ${ZENTORY_VERSION}"

!ifdef ZENTORY_ICON
  !if /FileExists "${ZENTORY_ICON}"
    !define MUI_ICON "${ZENTORY_ICON}"
    !define MUI_UNICON "${ZENTORY_ICON}"
  !endif
!endif
!define MUI_ABORTWARNING
!ifdef ZENTORY_WINDOW
  !define MUI_FINISHPAGE_RUN "$INSTDIR\zentory.exe"
!endif
!insertmacro MUI_PAGE_LICENSE "${ZENTORY_LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the one for any other system language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
; makensis reads the script in its own folder.
!include "zentory-strings.nsh"

VIProductVersion "${ZENTORY_FILE_VERSION}"
VIFileVersion "${ZENTORY_FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "${APP_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${ZENTORY_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "${APP_NAME} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${ZENTORY_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "Copyright © ${ZENTORY_YEAR} ${PUBLISHER}"

; " /ALLUSERS" for every user, "" for the current one: the uninstaller gets the
; same argument from its entry in Apps & features.
Var AllUsers
!macro AskForAllUsers
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${If} ${Errors}
    StrCpy $AllUsers ""
  ${Else}
    StrCpy $AllUsers " /ALLUSERS"
  ${EndIf}
!macroend

; Sets the shell folders and SHCTX (HKLM or HKCU) for $AllUsers; for every user
; that needs an administrator.
!macro UseScope NEEDS_ADMIN
  ${If} $AllUsers != ""
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "$(${NEEDS_ADMIN})" /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  !insertmacro AskForAllUsers
  !insertmacro UseScope InstallNeedsAdmin
  ; /D=FOLDER on the command line has set the folder already; else an
  ; installed copy's folder is the one to upgrade.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers != ""
      StrCpy $INSTDIR "$PROGRAMFILES64\${APP_NAME}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP_NAME}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro AskForAllUsers
  ; Started from its folder rather than from Apps & features: the machine's
  ; entry tells whether this copy is every user's.
  ${If} $AllUsers == ""
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 == $INSTDIR
      StrCpy $AllUsers " /ALLUSERS"
    ${EndIf}
  ${EndIf}
  !insertmacro UseScope RemoveNeedsAdmin
FunctionEnd

; Asks until no program of the copy in $INSTDIR runs: Windows lets no one
; write to the file of a running program (nor, under Wine, to one another
; process holds). Silently, or when the person cancels, it ends the setup or
; the uninstaller with exit code 2 before anything has changed.
!macro FindInUse NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $R0 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy $R1 "${NAME}"
    ${Else}
      FileClose $R0
    ${EndIf}
  ${EndIf}
!macroend
!macro DefineWaitUntilClosed UN
Function ${UN}WaitUntilClosed
  retry:
  StrCpy $R1 ""
  !insertmacro FindInUse "zentory.exe"
  !insertmacro FindInUse "zentory-cli.exe"
  ${If} $R1 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRuns)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineWaitUntilClosed ""
!insertmacro DefineWaitUntilClosed "un."

; Removes the copy that the entry in Apps & features names when it lies in
; another folder than $INSTDIR (/D= or the directory page chose another):
; one entry, one copy.
Function RemoveCopyElsewhere
  ReadRegStr $R3 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R3 == ""
  ${OrIf} $R3 == $INSTDIR
  ${OrIfNot} ${FileExists} "$R3\uninstall.exe"
    Return
  ${EndIf}
  ; _?= runs it in place and waits for it.
  ClearErrors
  ExecWait '"$R3\uninstall.exe" /S$AllUsers _?=$R3' $R4
  ${If} ${Errors}
  ${OrIf} $R4 != 0
    MessageBox MB_OK|MB_ICONSTOP "$(OtherCopyStays)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$R3\uninstall.exe"
  RMDir "$R3"
FunctionEnd

Section "Install"
  Call WaitUntilClosed
  Call RemoveCopyElsewhere
  !insertmacro ZentoryInstallFiles
  SetOutPath "$INSTDIR"
  ; Tells the programs that they are installed: settings in %APPDATA%.
  File "${ZENTORY_MARKER_SOURCE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start in the user's own folder, not in the install folder.
  SetOutPath "$PROFILE"
  ClearErrors
!ifdef ZENTORY_WINDOW
  CreateShortcut "${SHORTCUT}" "$INSTDIR\zentory.exe"
  WriteRegStr SHCTX "${FOLDER_VERB}" "" "$(ListWith)"
  WriteRegStr SHCTX "${FOLDER_VERB}" "Icon" "$INSTDIR\zentory.exe"
  WriteRegStr SHCTX "${FOLDER_VERB}\command" "" '"$INSTDIR\zentory.exe" "%V"'
  WriteRegStr SHCTX "${BACKGROUND_VERB}" "" "$(ListWith)"
  WriteRegStr SHCTX "${BACKGROUND_VERB}" "Icon" "$INSTDIR\zentory.exe"
  WriteRegStr SHCTX "${BACKGROUND_VERB}\command" "" '"$INSTDIR\zentory.exe" "%V"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zentory.exe"
!else
  CreateShortcut "${SHORTCUT}" "$INSTDIR\help.html"
!endif
  ${If} ${Errors}
    Abort "$(NotInExplorer)"
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ClearErrors
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${ZENTORY_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${ZENTORY_HOMEPAGE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"$AllUsers'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S$AllUsers'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${If} ${Errors}
    Abort "$(NotInWindows)"
  ${EndIf}
SectionEnd

; Removes what the setup made, file by file: a folder the person chose may hold
; files of their own, which stay (and the folder with them). The settings in
; %APPDATA%\Orvane\Zentory stay too. While a file of ours stays, so does the
; entry in Apps & features, to remove the rest later.
Section "Uninstall"
  Call un.WaitUntilClosed
  ClearErrors
  !insertmacro ZentoryRemoveFiles
  Delete "$INSTDIR\${MARKER}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(FilesStay)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  !insertmacro ZentoryRemoveFolders
  RMDir "$INSTDIR"
  ; The entries belong to the copy the entry names: an older copy left in
  ; another folder takes none of them with it.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "${SHORTCUT}"
    DeleteRegKey SHCTX "${FOLDER_VERB}"
    DeleteRegKey SHCTX "${BACKGROUND_VERB}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
