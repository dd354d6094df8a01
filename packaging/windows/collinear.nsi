; The Windows installer. deploy.sh gives it the version, the lists of files
; to install and to remove, the icon, the licence and the output name.
;
; Run by anyone, it installs for that user alone, without administrator
; rights, under %LOCALAPPDATA%\Programs. Run as an administrator, it
; installs for all users under Program Files. /S installs silently; the
; uninstaller in "Apps and features" removes every file it installed.

; The program is 64-bit only, and so is its installer: it runs wherever the
; program can, writes the 64-bit registry view and needs no 32-bit
; subsystem (which Wine, for one, may not have).
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define APP_ID "org.example.Collinear"
!define APP_NAME "Collinear"
!define APP_TITLE "Геометрия - точки, лежащи на права"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_ID}"

Name "${APP_NAME} ${VERSION}"
Caption "${APP_NAME} ${VERSION}: ${APP_TITLE}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\${APP_NAME}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1026 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1026 "FileDescription" "${APP_NAME} ${VERSION}: ${APP_TITLE}"
VIAddVersionKey /LANG=1026 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1026 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1026 "LegalCopyright" "Collinear developers, MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\collinear.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Bulgarian"

Var AllUsers

; The registry's uninstall entry and the Start menu go where the install
; went: the user's own, or every user's.
!macro UseInstallContext
    ${If} $AllUsers == 1
        SetShellVarContext all
        SetRegView 64
    ${Else}
        SetShellVarContext current
    ${EndIf}
!macroend

Function .onInit
    StrCpy $AllUsers 0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $AllUsers 1
        ${If} ${RunningX64}
            StrCpy $INSTDIR "$PROGRAMFILES64\${APP_NAME}"
        ${Else}
            StrCpy $INSTDIR "$PROGRAMFILES\${APP_NAME}"
        ${EndIf}
    ${EndIf}
FunctionEnd

!macro WriteUninstallEntry ROOT
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}: ${APP_TITLE}"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\collinear.exe,0"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "Publisher" "Collinear developers"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoRepair" 1
!macroend

Section "Collinear"
    !insertmacro UseInstallContext
    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\collinear.exe" "" "$INSTDIR\collinear.exe" 0 \
        SW_SHOWNORMAL "" "${APP_TITLE}"
    ${If} $AllUsers == 1
        !insertmacro WriteUninstallEntry HKLM
    ${Else}
        !insertmacro WriteUninstallEntry HKCU
    ${EndIf}
SectionEnd

Function un.onInit
    ; The uninstaller removes the install it belongs to: the every-user one
    ; when its entry there names this folder.
    StrCpy $AllUsers 0
    SetRegView 64
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView lastused
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    !insertmacro UseInstallContext
    !include "${UNINSTALL_FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${APP_NAME}.lnk"
    ${If} $AllUsers == 1
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${Else}
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
