; The Windows installer: the program folder as the build's install step leaves it (STAGE), a
; Start-menu entry and an uninstaller. The merchant's settings and logs in C:\Tarnwick\ belong to the
; merchant: neither step ever touches them.
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DICON=<dovra.ico> -DOUTFILE=<setup.exe> installer/dovra.nsi
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "도브라 승인 시스템"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MENU "$SMPROGRAMS\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dovra"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Dovra"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1042 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "FileDescription" "${PRODUCT} 설치"
VIAddVersionKey /LANG=1042 "LegalCopyright" "Tarnwick"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "${MENU}"
    CreateShortcut "${MENU}\${PRODUCT}.lnk" "$INSTDIR\dovra.exe"
    CreateShortcut "${MENU}\${PRODUCT} 제거.lnk" "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dovra.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; What the installer put there and nothing else, so a folder chosen by hand keeps whatever it held.
Section "Uninstall"
    SetShellVarContext all
    Delete "${MENU}\${PRODUCT}.lnk"
    Delete "${MENU}\${PRODUCT} 제거.lnk"
    RMDir "${MENU}"
    Delete "$INSTDIR\dovra.exe"
    Delete "$INSTDIR\TSeed.dll"
    Delete "$INSTDIR\Qt6*.dll"
    Delete "$INSTDIR\libstdc++-6.dll"
    Delete "$INSTDIR\libgcc_s_seh-1.dll"
    Delete "$INSTDIR\libwinpthread-1.dll"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\fonts"
    RMDir /r "$INSTDIR\licences"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
