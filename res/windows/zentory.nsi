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
VIProductVersion "${ZENTORY_VERSION}.0.0"
VIAddVersionKey ProductName "${APP_NAME}"
VIAddVersionKey ProductVersion "${ZENTORY_VERSION}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${APP_NAME} setup"
VIAddVersionKey FileVersion "${ZENTORY_VERSION}"
VIAddVersionKey LegalCopyright "Copyright (c) ${PUBLISHER}"

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
!insertmacro MUI_LANGUAGE "English"

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
!macro UseScope DOING
  ${If} $AllUsers != ""
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "${DOING} $(^Name) for all users needs an administrator: \
          run this program as administrator." /SD IDOK
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
  !insertmacro UseScope "Installing"
  ; /D=FOLDER on the command line has set the folder already.
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
  !insertmacro UseScope "Removing"
FunctionEnd

Section "Install"
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
  WriteRegStr SHCTX "${FOLDER_VERB}" "" "List with ${APP_NAME}"
  WriteRegStr SHCTX "${FOLDER_VERB}" "Icon" "$INSTDIR\zentory.exe"
  WriteRegStr SHCTX "${FOLDER_VERB}\command" "" '"$INSTDIR\zentory.exe" "%V"'
  WriteRegStr SHCTX "${BACKGROUND_VERB}" "" "List with ${APP_NAME}"
  WriteRegStr SHCTX "${BACKGROUND_VERB}" "Icon" "$INSTDIR\zentory.exe"
  WriteRegStr SHCTX "${BACKGROUND_VERB}\command" "" '"$INSTDIR\zentory.exe" "%V"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zentory.exe"
!else
  CreateShortcut "${SHORTCUT}" "$INSTDIR\help.html"
!endif
  ${If} ${Errors}
    Abort "Could not register $(^Name) with Explorer."
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
    Abort "Could not register $(^Name) with Windows."
  ${EndIf}
SectionEnd

; Removes what the setup made, file by file: a folder the person chose may hold
; files of their own, which stay (and the folder with them). The settings in
; %APPDATA%\Orvane\Zentory stay too.
Section "Uninstall"
  !insertmacro ZentoryRemoveFiles
  Delete "$INSTDIR\${MARKER}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey SHCTX "${FOLDER_VERB}"
  DeleteRegKey SHCTX "${BACKGROUND_VERB}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
