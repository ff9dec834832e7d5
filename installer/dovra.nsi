; The Windows installer: the program folder as the build's install step leaves it (STAGE, installed by
; the generated FILES), the server settings the program needs before its first login, shortcuts and an
; uninstaller. It is built for an IT person who installs silently and updates a running counter: no
; dialog ever appears under /S, and every refusal has an exit code of its own (README, "Exit codes").
; The merchant's settings and logs in C:\Tarnwick\ belong to the merchant: only keys that are missing or
; empty are filled in, and nothing there is ever removed.
;   makensis -DVERSION=1.0.0 -DBUILD=<number> -DSTAGE=<folder> -DFILES=<files.nsh> -DICON=<dovra.ico> -DOUTFILE=<setup.exe>
;            -DSERVER_HOST=<host> -DSERVER_PORT=<port> -DISSUE_CODE=<code> -DPUBLISHER=<name>
;            -DSUPPORT_PHONE=<number> [-DDEMO] [-DQUICK] [-DSIGN=<command signing the file it is given>] installer/dovra.nsi
Target amd64-unicode
!ifdef QUICK
    ; Made only to be installed in a check, it need not be small: zlib packs it in seconds.
    SetCompressor zlib
!else
    SetCompressor /SOLID lzma
!endif
ManifestDPIAware true

!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "TextFunc.nsh"
!include "WordFunc.nsh"
!include "WinVer.nsh"
!include "nsDialogs.nsh"
!include "Sections.nsh"
!include "${FILES}"

!define PRODUCT "도브라 승인 시스템"
!ifdef DEMO
    !define EDITION " (데모)"
!else
    !define EDITION ""
!endif
!define MENU "$SMPROGRAMS\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dovra"
!define SETTINGS "C:\Tarnwick"
; The program holds it while it runs; its files cannot be replaced then.
!define RUNNING_MUTEX "Global\DovraApprovalSystem"
; What this version installed, one path a line, read by its uninstaller and by the next version's
; installer through it.
!define FILE_LIST "installed-files.txt"

; Exit codes beside NSIS's own 1 (cancelled) and 2 (aborted).
!define EXIT_RUNNING 10
!define EXIT_NEWER_INSTALLED 11
!define EXIT_OLD_WINDOWS 12
!define EXIT_BAD_HOST 13
!define EXIT_BAD_PORT 14
!define EXIT_BAD_ISSUE_CODE 15
!define EXIT_EARLIER_NOT_REMOVED 16
!define EXIT_SETTINGS_NOT_WRITTEN 17

!define TEXT_RUNNING "${PRODUCT}이 실행 중입니다. 프로그램을 종료한 뒤 다시 시도하세요."

Name "${PRODUCT}${EDITION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}${EDITION}"
InstallDir "$PROGRAMFILES64\Dovra"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
!ifdef SIGN
; The uninstaller is written by the installer at install time, so it is signed as it is packed.
!uninstfinalize '${SIGN} "%1"' = 0
!finalize '${SIGN} "%1"' = 0
!endif
VIProductVersion "${VERSION}.${BUILD}"
VIAddVersionKey /LANG=1042 "ProductName" "${PRODUCT}${EDITION}"
VIAddVersionKey /LANG=1042 "ProductVersion" "${VERSION}.${BUILD}"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}.${BUILD}"
VIAddVersionKey /LANG=1042 "FileDescription" "${PRODUCT} 설치"
VIAddVersionKey /LANG=1042 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1042 "LegalCopyright" "${PUBLISHER}"

Var ServerHost
Var ServerPort
Var IssueCode
Var Replace ; "--replace" where the settings the installer was given win over those already there
Var Installed ; the version already installed, if any
Var HostField
Var PortField
Var IssueField

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT}${EDITION} ${VERSION}"
!ifdef DEMO
    !define MUI_WELCOMEPAGE_TEXT "데모 버전입니다. 데모 서버와 데모 암호 키로 만들어져 실제 카드 결제에는 쓸 수 없습니다.$\r$\n$\r$\n문의: ${SUPPORT_PHONE}"
!else
    !define MUI_WELCOMEPAGE_TEXT "특수교육지원 카드 승인 프로그램을 설치합니다. 설치하거나 업데이트하기 전에 실행 중인 프로그램을 종료해주세요.$\r$\n$\r$\n문의: ${SUPPORT_PHONE}"
!endif
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
Page custom SettingsPage SettingsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

; Refuses while the program runs, asking again until it has been closed or the person gives up. STOP is
; Quit before anything is done, Abort once the installation has begun.
!macro REFUSE_WHILE_RUNNING STOP
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        ${If} ${Silent}
        ${OrIfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${TEXT_RUNNING}" IDRETRY`
            SetErrorLevel ${EXIT_RUNNING}
            ${STOP}
        ${EndIf}
    ${Loop}
!macroend

; Stops with an exit code, and with a message where someone is there to read it.
!macro REFUSE CODE TEXT
    ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP "${TEXT}"
    ${EndIf}
    SetErrorLevel ${CODE}
    Quit
!macroend

; $R0 = "host:port" -> $ServerHost and $ServerPort, split at the last colon.
Function SplitServer
    StrLen $R1 $R0
    ${Do}
        IntOp $R1 $R1 - 1
        ${If} $R1 < 0
            StrCpy $ServerHost $R0
            StrCpy $ServerPort ""
            Return
        ${EndIf}
        StrCpy $R2 $R0 1 $R1
        ${If} $R2 == ":"
            StrCpy $ServerHost $R0 $R1
            IntOp $R1 $R1 + 1
            StrCpy $ServerPort $R0 "" $R1
            Return
        ${EndIf}
    ${Loop}
FunctionEnd

; The values are checked by the program's own settings tool, so that the installer and the program never
; disagree on what is usable. Leaves the tool's exit code in $0, the message for it in $1 and the
; installer's exit code for it in $2.
Function CheckSettings
    nsExec::Exec '"$PLUGINSDIR\dovra-settings.exe" --check --server "$ServerHost:$ServerPort" --issue "$IssueCode"'
    Pop $0
    ${Select} $0
        ${Case} 0
            StrCpy $1 ""
            StrCpy $2 0
        ${Case} 3
            StrCpy $1 "승인 서버 주소를 확인해주세요. 호스트 이름이나 IPv4 주소여야 합니다."
            StrCpy $2 ${EXIT_BAD_HOST}
        ${Case} 4
            StrCpy $1 "승인 서버 포트는 1에서 65535 사이의 숫자여야 합니다."
            StrCpy $2 ${EXIT_BAD_PORT}
        ${Case} 5
            StrCpy $1 "발급사 코드는 숫자 4자리여야 합니다."
            StrCpy $2 ${EXIT_BAD_ISSUE_CODE}
        ${CaseElse}
            StrCpy $1 "설정 값을 확인하지 못했습니다. ($0)"
            StrCpy $2 ${EXIT_BAD_ISSUE_CODE}
    ${EndSelect}
FunctionEnd

; An earlier installation goes first, by its own uninstaller and its own list of files, so that nothing
; of it is left beside the new files; a copy of it runs, so that it can remove itself too.
Function RemoveEarlier
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 == ""
    ${OrIfNot} ${FileExists} "$R0\uninstall.exe"
        Return
    ${EndIf}
    DetailPrint "이전 버전($Installed)을 제거합니다: $R0"
    CopyFiles /SILENT "$R0\uninstall.exe" "$PLUGINSDIR\earlier-uninstall.exe"
    ClearErrors
    ExecWait '"$PLUGINSDIR\earlier-uninstall.exe" /S _?=$R0' $0
    ${If} ${Errors}
    ${OrIf} $0 != 0
        SetErrorLevel ${EXIT_EARLIER_NOT_REMOVED}
        ${IfNot} ${Silent}
            MessageBox MB_OK|MB_ICONSTOP "이전 버전을 제거하지 못했습니다. ($0)"
        ${EndIf}
        Abort "이전 버전을 제거하지 못했습니다. ($0)"
    ${EndIf}
    Delete "$R0\uninstall.exe"
    RMDir "$R0"
FunctionEnd

Section "-프로그램"
    ; The program may have been started while the pages were open.
    !insertmacro REFUSE_WHILE_RUNNING Abort
    Call RemoveEarlier
    SetOutPath "$INSTDIR"
    FileOpen $9 "$INSTDIR\${FILE_LIST}" w
    !insertmacro INSTALL_FILES $9
    FileClose $9
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${MENU}"
    CreateShortcut "${MENU}\${PRODUCT}.lnk" "$INSTDIR\dovra.exe"
    CreateShortcut "${MENU}\로그 폴더 열기.lnk" "${SETTINGS}\Log"
    CreateShortcut "${MENU}\${PRODUCT} 제거.lnk" "$INSTDIR\uninstall.exe"

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}${EDITION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpTelephone" "${SUPPORT_PHONE}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dovra.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ; In place, so that a deployment tool waits for the uninstaller and receives its exit code.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "DesktopShortcut" 0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StartAtSignIn" 0

    nsExec::ExecToLog '"$INSTDIR\dovra-settings.exe" --server "$ServerHost:$ServerPort" --issue "$IssueCode" $Replace'
    Pop $0
    ${If} $0 != 0
        SetErrorLevel ${EXIT_SETTINGS_NOT_WRITTEN}
        DetailPrint "설정을 저장하지 못했습니다: ${SETTINGS}\Dovra_setting.ini ($0)"
        ${IfNot} ${Silent}
            MessageBox MB_OK|MB_ICONEXCLAMATION "프로그램은 설치되었지만 설정을 저장하지 못했습니다. ${SETTINGS} 폴더의 권한을 확인해주세요."
        ${EndIf}
    ${EndIf}
SectionEnd

Section "바탕 화면 바로 가기" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\dovra.exe"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "DesktopShortcut" 1
SectionEnd

; At the counter the program waits in the tray from the moment the merchant signs in.
Section "Windows에 로그인하면 자동 실행" SecAutostart
    CreateShortcut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\dovra.exe"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StartAtSignIn" 1
SectionEnd

Function .onInit
    SetRegView 64
    SetShellVarContext all
    ${IfNot} ${AtLeastBuild} 17763
        !insertmacro REFUSE ${EXIT_OLD_WINDOWS} "이 프로그램은 Windows 10 버전 1809 이상에서 실행됩니다."
    ${EndIf}

    ReadRegStr $Installed HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${GetParameters} $R9
    ${If} $Installed != ""
        ${VersionCompare} "${VERSION}" "$Installed" $R0
        ClearErrors
        ${GetOptions} $R9 "/DOWNGRADE" $R1
        ${If} $R0 == 2
        ${AndIf} ${Errors}
            !insertmacro REFUSE ${EXIT_NEWER_INSTALLED} "더 새로운 버전($Installed)이 이미 설치되어 있습니다. 이전 버전으로 되돌리려면 /DOWNGRADE를 붙여 설치하세요."
        ${EndIf}
    ${EndIf}
    !insertmacro REFUSE_WHILE_RUNNING Quit

    ; The release's values, then what the command line says, then (for the page) what is already set.
    StrCpy $ServerHost "${SERVER_HOST}"
    StrCpy $ServerPort "${SERVER_PORT}"
    StrCpy $IssueCode "${ISSUE_CODE}"
    ClearErrors
    ${GetOptions} $R9 "/SERVER=" $R0
    ${IfNot} ${Errors}
        Call SplitServer
    ${EndIf}
    ClearErrors
    ${GetOptions} $R9 "/ISSUE=" $R0
    ${IfNot} ${Errors}
        StrCpy $IssueCode $R0
    ${EndIf}
    ClearErrors
    ${GetOptions} $R9 "/RECONFIGURE" $R0
    ${IfNot} ${Errors}
        StrCpy $Replace "--replace"
    ${EndIf}

    ; The shortcuts as the last installation left them, unless told otherwise.
    ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "DesktopShortcut"
    ClearErrors
    ${GetOptions} $R9 "/NODESKTOP" $R1
    ${IfNot} ${Errors}
    ${OrIf} $R0 == "0"
        !insertmacro UnselectSection ${SecDesktop}
    ${EndIf}
    ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "StartAtSignIn"
    ClearErrors
    ${GetOptions} $R9 "/NOAUTOSTART" $R1
    ${IfNot} ${Errors}
    ${OrIf} $R0 == "0"
        !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}

    InitPluginsDir
    File "/oname=$PLUGINSDIR\dovra-settings.exe" "${STAGE}/dovra-settings.exe"
    ${If} ${Silent}
        Call CheckSettings
        ${If} $0 != 0
            SetErrorLevel $2
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Function SettingsPage
    ; On a counter that is already set up the page shows what is there; what is changed on it is written.
    ReadINIStr $R0 "${SETTINGS}\Dovra_setting.ini" "PellumInfo" "dovra_Ip"
    ${If} $R0 != ""
        StrCpy $ServerHost $R0
    ${EndIf}
    ReadINIStr $R0 "${SETTINGS}\Dovra_setting.ini" "PellumInfo" "dovra_Port"
    ${If} $R0 != ""
        StrCpy $ServerPort $R0
    ${EndIf}
    ReadINIStr $R0 "${SETTINGS}\Dovra_setting.ini" "PellumInfo" "dovra_Issue_code"
    ${If} $R0 != ""
        StrCpy $IssueCode $R0
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "승인 서버 설정${EDITION}" "이 컴퓨터가 접속할 승인 서버와 발급사 코드입니다."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 20u "설정은 ${SETTINGS}\Dovra_setting.ini에 저장됩니다. 모르는 값은 고객센터(${SUPPORT_PHONE})에 문의하세요."
    Pop $0
    ${NSD_CreateLabel} 0 30u 35% 12u "승인 서버 주소"
    Pop $0
    ${NSD_CreateText} 37% 28u 60% 12u "$ServerHost"
    Pop $HostField
    ${NSD_CreateLabel} 0 50u 35% 12u "승인 서버 포트"
    Pop $0
    ${NSD_CreateNumber} 37% 48u 20% 12u "$ServerPort"
    Pop $PortField
    ${NSD_CreateLabel} 0 70u 35% 12u "발급사 코드"
    Pop $0
    ${NSD_CreateNumber} 37% 68u 20% 12u "$IssueCode"
    Pop $IssueField
    nsDialogs::Show
FunctionEnd

Function SettingsPageLeave
    ${NSD_GetText} $HostField $ServerHost
    ${NSD_GetText} $PortField $ServerPort
    ${NSD_GetText} $IssueField $IssueCode
    Call CheckSettings
    ${If} $0 != 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "$1"
        Abort
    ${EndIf}
    StrCpy $Replace "--replace"
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
    !insertmacro REFUSE_WHILE_RUNNING Quit
FunctionEnd

; What the list says this version put there and nothing else, so a folder chosen by hand keeps whatever
; else it held. Folders end with a backslash and come after what they held.
Section "Uninstall"
    ClearErrors
    FileOpen $9 "$INSTDIR\${FILE_LIST}" r
    ${IfNot} ${Errors}
        ${Do}
            ClearErrors
            FileRead $9 $0
            ${If} ${Errors}
                ${Break}
            ${EndIf}
            ${TrimNewLines} $0 $0
            ; Only names below the program folder.
            ${WordFind} $0 ".." "E+1" $1
            ${If} ${Errors}
            ${AndIf} $0 != ""
                StrCpy $1 $0 1 -1
                ${If} $1 == "\"
                    RMDir "$INSTDIR\$0"
                ${Else}
                    Delete "$INSTDIR\$0"
                ${EndIf}
            ${EndIf}
        ${Loop}
        FileClose $9
        Delete "$INSTDIR\${FILE_LIST}"
    ${EndIf}
    Delete "${MENU}\${PRODUCT}.lnk"
    Delete "${MENU}\로그 폴더 열기.lnk"
    Delete "${MENU}\${PRODUCT} 제거.lnk"
    RMDir "${MENU}"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    Delete "$SMSTARTUP\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Run in place (_?=) the uninstaller cannot remove itself until Windows starts again.
    Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"
SectionEnd
