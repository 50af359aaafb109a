; The setup program of the console, one script for both builds. The build
; passes ARCH (i686 or x86_64), PROGRAM_DIR (the built program folder),
; SOURCE_DIR, OUTFILE and, when the help document was built, HELP_DOCUMENT.
;
;   Setup /S          unattended install (the demo services stay out)
;   Setup /S /DEMO    unattended install with the demo services
;   Uninstall /S      unattended removal; the data folder is kept

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!searchparse /file "${SOURCE_DIR}/src/resources/version.h" `#define ZED_PRODUCT_NAME "` PRODUCT `"`
!searchparse /file "${SOURCE_DIR}/src/resources/version.h" `#define ZED_VERSION_TEXT "` VERSION `"`
!define CAPTION "${PRODUCT} (v${VERSION})"
!define FOLDER "ZedSMS Lite"
!define CONSOLE "SMSGWCFG.EXE"
!define HELP_FILE "ZedSMS Lite.pdf"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZedSMS Lite"
; The source the gateway services write to the Application log under.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\ZedSMS"
!define SHORTCUTS "$SMPROGRAMS\${FOLDER}"

; A 64-bit setup is itself a 64-bit program, so the program folder and the
; registry it sees are the 64-bit ones, as the console's.
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\${FOLDER}"
!else
  Target x86-unicode
  InstallDir "$PROGRAMFILES\${FOLDER}"
!endif
; An upgrade goes where the installed copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

Name "${CAPTION}"
OutFile "${OUTFILE}"
BrandingText "${CAPTION}"
!pragma warning disable 9100 ; no copyright line to give
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${SOURCE_DIR}/src/resources/smsgw.ico"
!define MUI_UNICON "${SOURCE_DIR}/src/resources/smsgw.ico"
!define MUI_COMPONENTSPAGE_NODESC
; A fresh machine has no modem configured, so the console opens its setup wizard.
!define MUI_FINISHPAGE_RUN "$INSTDIR\${CONSOLE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start the ZedSMS Lite console now"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var ServicesWereRunning

; Pushes the state of the service named on the stack as the service manager
; reports it (1 stopped, 4 running, ...), or 0 when it is not installed.
!macro SERVICE_STATE_FUNCTION PREFIX
Function ${PREFIX}ServiceState
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R3 0
  ; SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p .R1'
  ${If} $R1 P<> 0
    System::Call 'advapi32::OpenServiceW(p R1, w R0, i 4) p .R2'
    ${If} $R2 P<> 0
      System::Call '*(i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .R0'
      System::Call 'advapi32::QueryServiceStatus(p R2, p R0)'
      System::Call '*$R0(i, i .R3)'
      System::Free $R0
      ${If} $R3 = 0
        StrCpy $R3 1
      ${EndIf}
      System::Call 'advapi32::CloseServiceHandle(p R2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p R1)'
  ${EndIf}
  StrCpy $R0 $R3
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd
!macroend
!insertmacro SERVICE_STATE_FUNCTION ""
!insertmacro SERVICE_STATE_FUNCTION "un."

Function un.onInit
  SetShellVarContext all
FunctionEnd

; An upgrade replaces the programs the services run: stop them first with the
; installed console, and start them again once the new files are in place.
Function StopServicesForUpgrade
  StrCpy $ServicesWereRunning 0
  Push "ZedSMS"
  Call ServiceState
  Pop $0
  Push "ZedMMSC"
  Call ServiceState
  Pop $1
  ; The console's stop switch wants both services installed.
  ${If} $0 <> 0
  ${AndIf} $1 <> 0
  ${AndIf} ${FileExists} "$INSTDIR\${CONSOLE}"
    ${If} $0 <> 1
    ${OrIf} $1 <> 1
      StrCpy $ServicesWereRunning 1
      DetailPrint "Stopping the gateway services..."
      ExecWait '"$INSTDIR\${CONSOLE}" -STOPSERVICE'
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Console" SectionConsole
  SectionIn RO
  Call StopServicesForUpgrade
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/${CONSOLE}"
  File "${PROGRAM_DIR}/GWCORE.DLL"
  File "${PROGRAM_DIR}/MMSACCT.DLL"
  File "${PROGRAM_DIR}/GPRSLINK.DLL"
  File "${PROGRAM_DIR}/GWTLS.DLL"
  File "${PROGRAM_DIR}/FWRULE.EXE"
  File "${PROGRAM_DIR}/OPERATORS.INI"
  File "${PROGRAM_DIR}/MMSTEST.MMS"
!ifdef HELP_DOCUMENT
  File "/oname=${HELP_FILE}" "${HELP_DOCUMENT}"
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${SHORTCUTS}\ZedSMS Lite Console.lnk" "$INSTDIR\${CONSOLE}"
!ifdef HELP_DOCUMENT
  CreateShortcut "${SHORTCUTS}\ZedSMS Lite Help.lnk" "$INSTDIR\${HELP_FILE}"
!endif
  CreateShortcut "${SHORTCUTS}\Uninstall ZedSMS Lite.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${CONSOLE}"
  ; Error, warning and information events.
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${CAPTION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${CONSOLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Demo services (stand-ins for the gateway services)" SectionDemo
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/SMSGWSVC.EXE"
  File "${PROGRAM_DIR}/MMSCSVC.EXE"
SectionEnd

Function .onInit
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DEMO" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionDemo}
  ${EndIf}
FunctionEnd

Section "-Finish"
  ${If} $ServicesWereRunning = 1
    DetailPrint "Starting the gateway services..."
    ExecWait '"$INSTDIR\${CONSOLE}" -QUIET -INSTALLSERVICE'
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; The console's remove switch wants the services installed: without them it
  ; would report missing rights.
  Push "ZedSMS"
  Call un.ServiceState
  Pop $0
  Push "ZedMMSC"
  Call un.ServiceState
  Pop $1
  ${If} $0 <> 0
  ${OrIf} $1 <> 0
    DetailPrint "Removing the gateway services..."
    ExecWait '"$INSTDIR\${CONSOLE}" -REMOVESERVICE -QUIET'
  ${EndIf}
  ; The console asks whether to delete the configuration; unattended, it stays.
  ${IfNot} ${Silent}
    ExecWait '"$INSTDIR\${CONSOLE}" -DELETEDATADIR'
  ${EndIf}

  ; The console had the firewall let the gateway's programs in, under the
  ; services' display names.
  nsExec::Exec '"$INSTDIR\FWRULE.EXE" /REMOVE "Zed SMS Gateway Lite Edition"'
  Pop $0
  nsExec::Exec '"$INSTDIR\FWRULE.EXE" /REMOVE "Zed MMS Gateway Lite Edition"'
  Pop $0

  Delete "$INSTDIR\${CONSOLE}"
  Delete "$INSTDIR\GWCORE.DLL"
  Delete "$INSTDIR\MMSACCT.DLL"
  Delete "$INSTDIR\GPRSLINK.DLL"
  Delete "$INSTDIR\GWTLS.DLL"
  Delete "$INSTDIR\FWRULE.EXE"
  Delete "$INSTDIR\OPERATORS.INI"
  Delete "$INSTDIR\MMSTEST.MMS"
  Delete "$INSTDIR\${HELP_FILE}"
  Delete "$INSTDIR\SMSGWSVC.EXE"
  Delete "$INSTDIR\MMSCSVC.EXE"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not recursive: whatever else someone keeps in the folder stays.
  RMDir "$INSTDIR"

  Delete "${SHORTCUTS}\ZedSMS Lite Console.lnk"
  Delete "${SHORTCUTS}\ZedSMS Lite Help.lnk"
  Delete "${SHORTCUTS}\Uninstall ZedSMS Lite.lnk"
  RMDir "${SHORTCUTS}"

  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
