; The setup program of Kelvoria, made by makensis through the build's
; setup_program target (scripts/package.sh makes both). It installs for the
; current user alone, without administrator rights, into
; %LOCALAPPDATA%\Programs\Kelvoria, where Playlists\ beside the program stays
; writable; adds a Start-menu shortcut, "Open with Kelvoria" for the music and
; playlist kinds it plays, and an entry among the user's installed programs.
; Uninstall.exe takes all of that away again, but the playlists the user saved.
;
; makensis defines, given by cmake/Package.cmake:
;   VERSION   the project version, as 1.0.0
;   TARGET    x86-unicode (the 32-bit setup) or amd64-unicode (the 64-bit one)
;   WINDOWS   "32-bit Windows" or "64-bit Windows"
;   STAGE     the install tree the release zip is made of
;   FILES     the folder of the file lists made from it (cmake/SetupFiles.cmake)
;   OUTFILE   the setup program to write
;   ICON      the program's icon

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define APP "Kelvoria"
!define EXE "Kelvoria.exe"
!define PUBLISHER "Kelvoria"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define APPLICATION_KEY "Software\Classes\Applications\${EXE}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\${APP}"

; Calls MACRO for each kind "Open with" offers Kelvoria for: the music it
; plays, then its playlists.
!macro ForEachKind MACRO
    !insertmacro ${MACRO} ".mp3"
    !insertmacro ${MACRO} ".wav"
    !insertmacro ${MACRO} ".wma"
    !insertmacro ${MACRO} ".ogg"
    !insertmacro ${MACRO} ".flac"
    !insertmacro ${MACRO} ".m4a"
    !insertmacro ${MACRO} ".opus"
    !insertmacro ${MACRO} ".aac"
    !insertmacro ${MACRO} ".wv"
    !insertmacro ${MACRO} ".ape"
    !insertmacro ${MACRO} ".m3P"
    !insertmacro ${MACRO} ".m3u"
    !insertmacro ${MACRO} ".m3u8"
    !insertmacro ${MACRO} ".pls"
    !insertmacro ${MACRO} ".cue"
!macroend

; The program among the kind's "Open with" programs. The kind's key is made
; when it is missing, but its default value (its default program) is left
; as it is.
!macro AddKind KIND
    WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" "${KIND}" ""
    WriteRegStr HKCU "Software\Classes\${KIND}\OpenWithList\${EXE}" "" ""
!macroend

; Takes the program out of the kind's list, and the kind's keys with it only
; when nothing else (no value, no key) is left in them.
!macro RemoveKind KIND
    DeleteRegKey HKCU "Software\Classes\${KIND}\OpenWithList\${EXE}"
    DeleteRegKey /ifempty HKCU "Software\Classes\${KIND}\OpenWithList"
    DeleteRegKey /ifempty HKCU "Software\Classes\${KIND}"
!macroend

; Tells Explorer that the registered kinds changed (SHCNE_ASSOCCHANGED).
!macro TellShellOfKinds
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
; A second setup goes where the first one installed.
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION} for ${WINDOWS}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} ${VERSION} setup for ${WINDOWS}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "Kelvoria"
    ; The program's files and folders, from the release zip's tree
    ; (install.nsh holds a SetOutPath for each folder and a File for each file).
    !include "${FILES}/install.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ; Made anew each time: the working folder of the shortcut is $OUTDIR.
    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    ; "Open with": the program's registration, and the program in each
    ; kind's list. A kind's default program (its default value) is never
    ; written: Kelvoria is offered, not imposed.
    WriteRegStr HKCU "${APPLICATION_KEY}" "FriendlyAppName" "${APP}"
    WriteRegStr HKCU "${APPLICATION_KEY}\DefaultIcon" "" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    ; Explorer then opens a selection of any size, in as few starts as it
    ; can; the player gathers the starts of one moment into one list.
    WriteRegStr HKCU "${APPLICATION_KEY}\shell\open" "MultiSelectModel" "Player"
    !insertmacro ForEachKind AddKind

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    !insertmacro TellShellOfKinds
SectionEnd

; Leaves 1 on the stack when the text pushed first holds the text pushed
; second, in any case (StrCmp ignores case), and 0 when it does not.
Function un.Holds
    Exch $R1
    Exch
    Exch $R0
    Push $R2
    Push $R3
    Push $R4
    StrLen $R2 $R1
    StrCpy $R3 0
    loop:
        StrCpy $R4 $R0 $R2 $R3
        StrCmp $R4 "" no
        StrCmp $R4 $R1 yes
        IntOp $R3 $R3 + 1
        Goto loop
    yes:
        StrCpy $R0 1
        Goto done
    no:
        StrCpy $R0 0
    done:
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
    Exch $R0
FunctionEnd

Section "Uninstall"
    ; The log-on value the settings window writes, only when it starts this
    ; install's program (by its long or its short path): one that starts a
    ; copy elsewhere belongs to that copy.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${APP}"
    GetFullPathName /SHORT $1 "$INSTDIR\${EXE}"
    Push $0
    Push "$INSTDIR\${EXE}"
    Call un.Holds
    Pop $2
    ${If} $2 == 0
    ${AndIf} $1 != ""
        Push $0
        Push $1
        Call un.Holds
        Pop $2
    ${EndIf}
    ${If} $2 == 1
        DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    ${EndIf}
    DeleteRegKey HKCU "${SETTINGS_KEY}"

    !insertmacro ForEachKind RemoveKind
    DeleteRegKey HKCU "${APPLICATION_KEY}"
    !insertmacro TellShellOfKinds
    Delete "$SMPROGRAMS\${APP}.lnk"

    ; The files the setup put there, each by name, and the folders only when
    ; they are empty: the playlists the user saved stay.
    !include "${FILES}/uninstall.nsh"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
