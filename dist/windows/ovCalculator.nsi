; The Windows installer of Orvandale Calculator, built with makensis:
;   makensis -DVERSION=<x.y.z> -DBIN=<folder of the programs> -DOUT=<setup.exe> ovCalculator.nsi
; Installs into Program Files, with a Start menu entry, the help and an
; uninstaller. The marker file ovCalculator.installed makes the program keep
; each user's settings in %APPDATA%\ovCalculator; the uninstaller leaves them.
; "setup.exe /S" installs silently, "uninstall.exe /S" removes it.

; A 64-bit installer: the programs are 64-bit, and so is the Windows they need.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Orvandale Calculator"
!define COMPANY "Orvandale Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ovCalculator"

Name "${PRODUCT}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${COMPANY}\ovCalculator" "InstallDir"
Icon "${ICON}"
UninstallIcon "${ICON}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Install"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${BIN}\ovCalculator.exe"
    File "${BIN}\ovcalc.exe"
    File "${BIN}\ovCalculator.installed"
    SetOutPath "$INSTDIR\Help"
    File "${BIN}\Help\ovCalculator*.htb"
    SetOutPath "$INSTDIR\locale"
    File /r "${BIN}\locale\*.*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\ovCalculator.exe"

    WriteRegStr HKLM "Software\${COMPANY}\ovCalculator" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ovCalculator.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\Help\ovCalculator*.htb"
    RMDir "$INSTDIR\Help"
    RMDir /r "$INSTDIR\locale"
    Delete "$INSTDIR\ovCalculator.exe"
    Delete "$INSTDIR\ovcalc.exe"
    Delete "$INSTDIR\ovCalculator.installed"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\${COMPANY}\ovCalculator"
    DeleteRegKey /ifempty HKLM "Software\${COMPANY}"
SectionEnd
