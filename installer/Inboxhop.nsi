; The Inboxhop installer and uninstaller. The build's `package` target makes
; it (installer/make-setup.cmake) from the files that `cmake --install`
; stages:
;
;   makensis -DSTAGING=<staged files> -DRESOURCES=<resources folder>
;            -DOUTFILE=<setup.exe> Inboxhop.nsi
;
; It installs in one of two modes:
; - for anyone using this computer: into the 32-bit program folder, with the
;   administrator prompt; "Use Inboxhop for mail links" writes exactly what a
;   press of the program's push button writes under HKEY_LOCAL_MACHINE;
; - just for me: into %LOCALAPPDATA%\Programs\Inboxhop, without
;   administrator rights, everything under HKEY_CURRENT_USER; the option
;   writes the press's registration for the current user.
; The installer starts without administrator rights and starts itself again
; with them (the prompt) when the machine-wide mode is chosen.
; Silent use: setup.exe /S [/AllUsers | /CurrentUser] [/D=<folder>] and
; Uninstall.exe /S.

Unicode true
; Signed when the build signs: make-setup.cmake passes the script that signs
; a file (SIGN_SCRIPT, run by SIGN_CMAKE), which makensis runs on the
; uninstaller it makes and on the installer; a failed signature fails the
; build.
!ifdef SIGN_SCRIPT
  !uninstfinalize '"${SIGN_CMAKE}" -DNAME=Uninstall.exe "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
  !finalize '"${SIGN_CMAKE}" "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
!endif
; Elevation is asked for only when the machine-wide mode is chosen (see
; StartElevated), so that "just for me" needs no administrator rights.
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A file that cannot be written offers Retry and Cancel only, and silently
; cancels: the install fails instead of going on without the file.
AllowSkipFiles off

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include nsDialogs.nsh

; One version for the program and its installer: the header that the
; program's resource script reads.
!searchparse /file "${RESOURCES}/version.h" '#define INBOXHOP_VERSION_TEXT "' VERSION_TEXT '"'
!searchparse /file "${RESOURCES}/version.h" '#define INBOXHOP_VERSION_BINARY ' \
    VERSION_MAJOR ', ' VERSION_MINOR ', ' VERSION_PATCH ', ' VERSION_BUILD

!define PRODUCT "Inboxhop"
; The Windows Installer package's upgrade code, the same for all its
; versions (makensis reads the WiX source from this script's folder).
!searchparse /file "Inboxhop.wxs" 'UpgradeCode="' MSI_UPGRADE_CODE '"'
!define PUBLISHER "Kestrelon"
; In the mode's root: HKEY_LOCAL_MACHINE for anyone, HKEY_CURRENT_USER just
; for me (SHCTX, which follows SetShellVarContext).
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Inboxhop"
; The installer's own notes: the mail-link command it found at install time.
!define VENDOR_KEY "SOFTWARE\Kestrelon"
!define STATE_KEY "SOFTWARE\Kestrelon\Inboxhop"
; The keys of a press of the push button.
!define MAILTO_CLASS_KEY "SOFTWARE\Classes\mailto"
!define MAILTO_COMMAND_KEY "SOFTWARE\Classes\mailto\shell\open\command"
!define CLIENTS_KEY "SOFTWARE\Clients"
!define MAIL_CLIENTS_KEY "SOFTWARE\Clients\Mail"
!define CLIENT_KEY "SOFTWARE\Clients\Mail\Inboxhop"
; The Default-apps registration.
!define PROGID "Inboxhop.mailto"
!define PROGID_KEY "SOFTWARE\Classes\Inboxhop.mailto"
!define CAPABILITIES_KEY "SOFTWARE\Clients\Mail\Inboxhop\Capabilities"
!define REGISTERED_APPS_KEY "SOFTWARE\RegisteredApplications"

!define HKEY_CURRENT_USER 0x80000001
!define HKEY_LOCAL_MACHINE 0x80000002
!define REG_SZ 1
!define REG_EXPAND_SZ 2
!define KEY_QUERY_VALUE 0x0001
!define KEY_WOW64_64KEY 0x0100
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0
!define SEE_MASK_NOCLOSEPROCESS 0x40
!define SEE_MASK_NOASYNC 0x100
!define ERROR_ELEVATION_REQUIRED 740
; The exit code of every failure of this script's own.
!define FAILED 2

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; No InstallDir: the folder depends on the mode (ChooseFolder), and an
; empty $INSTDIR in .onInit tells that /D= was not given.
BrandingText "${PRODUCT} ${VERSION_TEXT}"

; 1 just for me, 0 for anyone.
Var PerUser
; The mode's registry root as a handle, for the calls through System.
Var ModeRoot
; 1 when the folder came from /D= and no default may replace it.
Var FolderGiven
; 1 when this process runs with administrator rights.
Var Elevated
; 1 when the mode came from the command line or from the rights the user
; has: the mode page is not shown.
Var ModeFixed
; 1 when this run made the program folder, which a failed install removes.
Var FolderMade
Var AllUsersButton

!define MUI_ICON "${RESOURCES}/inboxhop.ico"
!define MUI_UNICON "${RESOURCES}/inboxhop.ico"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.${VERSION_BUILD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

; The commands the keys hold, as the program builds them.
!define LINK_COMMAND '"$INSTDIR\Inboxhop.exe" "%1"'
!define PLAIN_COMMAND '"$INSTDIR\Inboxhop.exe"'
!define ICON_REFERENCE "$INSTDIR\Inboxhop.exe,0"

; Ends the install or uninstall with a message (silently: without one) and
; a non-zero exit code.
!macro Fail message
  MessageBox MB_OK|MB_ICONSTOP "${message}" /SD IDOK
  SetErrorLevel ${FAILED}
  Abort
!macroend

; The mail-link keys are read and written where the 64-bit shell reads
; them: on 64-bit Windows, the 64-bit view of the registry, as a 32-bit
; program asking for KEY_WOW64_64KEY sees it. Since Windows 7, Windows
; shares SOFTWARE\Classes (but for its COM keys), SOFTWARE\Clients and
; SOFTWARE\RegisteredApplications between both views, so this is the key a
; 32-bit program sees anyway; Vista redirected SOFTWARE\Classes, and Wine
; redirects SOFTWARE\Clients and SOFTWARE\RegisteredApplications. The
; installer's own keys, the uninstall entry included, stay in the 32-bit
; view, as a 32-bit program's. HKEY_CURRENT_USER\Software has one view only.
!macro MailLinkView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend
!macro OwnView
  SetRegView default
!macroend

!macro Modes un
; The two modes: where the shell folders, SHCTX and $ModeRoot point.
Function ${un}UseAllUsers
  StrCpy $PerUser 0
  StrCpy $ModeRoot ${HKEY_LOCAL_MACHINE}
  SetShellVarContext all
FunctionEnd
Function ${un}UseCurrentUser
  StrCpy $PerUser 1
  StrCpy $ModeRoot ${HKEY_CURRENT_USER}
  SetShellVarContext current
FunctionEnd

; Whether this process has administrator rights: $Elevated.
Function ${un}ReadRights
  StrCpy $Elevated 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $Elevated 1
  ${EndIf}
FunctionEnd

; Starts this program again with administrator rights (Windows' prompt) and
; the arguments in $0, waits for it and ends with its exit code. Returns
; only when it could not be started: the prompt was refused.
Function ${un}StartElevated
  System::Call '*(&l4, i ${SEE_MASK_NOCLOSEPROCESS}|${SEE_MASK_NOASYNC}, p $HWNDPARENT, w "runas", w "$EXEPATH", w "$0", p 0, i ${SW_SHOWNORMAL}, p, p, p, p, i, p, p) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
  System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r3)'
  System::Free $1
  ${If} $2 = 0
  ${OrIf} $3 = 0
    Return
  ${EndIf}
  HideWindow
  System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
  System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4)'
  System::Call 'kernel32::CloseHandle(p r3)'
  SetErrorLevel $4
  Quit
FunctionEnd

; The default value of the mailto class's open command in the mode's root,
; read in the mail-link view: $0 is "key" when the key exists and "" when
; not, $1 the value's type (0 when there is no value), $2 its text.
Function ${un}ReadMailtoCommand
  StrCpy $0 ""
  StrCpy $1 0
  StrCpy $2 ""
  StrCpy $3 ${KEY_QUERY_VALUE}
  ${If} ${RunningX64}
    IntOp $3 $3 | ${KEY_WOW64_64KEY}
  ${EndIf}
  System::Call 'advapi32::RegOpenKeyExW(p $ModeRoot, w "${MAILTO_COMMAND_KEY}", i 0, i r3, *p .r4) i .r5'
  ${If} $5 = 0
    StrCpy $0 "key"
    System::Call 'advapi32::RegQueryValueExW(p r4, w "", p 0, *i .r1, p 0, p 0) i .r5'
    ${If} $5 <> 0
      StrCpy $1 0
    ${EndIf}
    System::Call 'advapi32::RegCloseKey(p r4)'
    ${If} $1 = ${REG_SZ}
    ${OrIf} $1 = ${REG_EXPAND_SZ}
      !insertmacro MailLinkView
      ReadRegStr $2 SHCTX "${MAILTO_COMMAND_KEY}" ""
      !insertmacro OwnView
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro Modes ""
!insertmacro Modes "un."

; The folder /D= names, from the process's own command line: NSIS drops a
; /D= folder it finds invalid (one below a file) before .onInit, and
; $CMDLINE never holds /D=; such a folder must fail the install instead of
; giving way to the default. "" when not given.
Function FolderOnCommandLine
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrCpy $1 ""
  StrLen $2 $0
  StrCpy $3 0
  ${Do}
    StrCpy $4 $0 4 $3
    ${If} $4 == " /D="
      IntOp $3 $3 + 4
      StrCpy $1 $0 "" $3
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
  ${LoopUntil} $3 >= $2
  Push $1
FunctionEnd

; The folder when /D= did not name one: the mode's earlier installation's,
; or the mode's default.
Function ChooseFolder
  ${If} $FolderGiven = 1
    Return
  ${EndIf}
  ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $INSTDIR == ""
  ${AndIf} $PerUser = 1
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${ElseIf} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
FunctionEnd

; The mode: /AllUsers or /CurrentUser; without either, an administrator's is
; for anyone, as it always was (interactively, the mode page asks), and a
; user without administrator rights installs just for themselves, unasked.
Function .onInit
  Call ReadRights
  StrCpy $FolderGiven 0
  Call FolderOnCommandLine
  Pop $0
  ${If} $0 != ""
    StrCpy $INSTDIR $0
    StrCpy $FolderGiven 1
  ${EndIf}

  StrCpy $ModeFixed 1
  UserInfo::GetOriginalAccountType
  Pop $1
  ${GetParameters} $2
  ClearErrors
  ${GetOptions} $2 "/CurrentUser" $3
  ${IfNot} ${Errors}
    Call UseCurrentUser
  ${Else}
    ClearErrors
    ${GetOptions} $2 "/AllUsers" $3
    ${IfNot} ${Errors}
      Call UseAllUsers
    ${ElseIf} $Elevated = 1
    ${OrIf} $1 == "Admin"
      Call UseAllUsers
      ${IfNot} ${Silent}
        StrCpy $ModeFixed 0
      ${EndIf}
    ${Else}
      Call UseCurrentUser
    ${EndIf}
  ${EndIf}
  Call ChooseFolder

  ; For anyone, chosen on the command line or silently: the prompt now.
  ${If} $PerUser = 0
  ${AndIf} $Elevated = 0
  ${AndIf} $ModeFixed = 1
    Call StartElevatedForAnyone
    MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for anyone using this computer needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
  ; One program, one owner of its files and keys: not over an installation
  ; of the MSI package, whose removal would take this one's files away.
  System::Call 'msi::MsiEnumRelatedProductsW(w "{${MSI_UPGRADE_CODE}}", i 0, i 0, w .r1) i .r0'
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is already installed on this computer by its Windows Installer package (MSI). Uninstall that installation first (Apps > ${PRODUCT}), or upgrade it with a newer MSI package." /SD IDOK
    SetErrorLevel 1638 ; ERROR_PRODUCT_VERSION: another installation of the product
    Quit
  ${EndIf}
FunctionEnd

; This installer again, with administrator rights, for anyone; silent when
; this one is, into the folder /D= named.
Function StartElevatedForAnyone
  StrCpy $0 "/AllUsers"
  ${If} ${Silent}
    StrCpy $0 "/S $0"
  ${EndIf}
  ${If} $FolderGiven = 1
    StrCpy $0 "$0 /D=$INSTDIR"
  ${EndIf}
  Call StartElevated
FunctionEnd

Function ModePage
  ${If} $ModeFixed = 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose who can use ${PRODUCT}" "Install ${PRODUCT} for every user of this computer or for you alone."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "Install for &anyone using this computer"
  Pop $AllUsersButton
  ${NSD_CreateLabel} 12u 13u -12u 20u "Every user account gets it. Windows asks for administrator rights."
  Pop $0
  ${NSD_CreateRadioButton} 0 36u 100% 12u "Install just for &me"
  Pop $1
  ${NSD_CreateLabel} 12u 49u -12u 20u "Only your account gets it. No administrator rights needed."
  Pop $0
  ${If} $PerUser = 1
    ${NSD_Check} $1
  ${Else}
    ${NSD_Check} $AllUsersButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

; For anyone without administrator rights: the elevated installer takes
; over from here, and this one ends with its exit code; a refused prompt
; stays on the page.
Function ModePageLeave
  ${NSD_GetState} $AllUsersButton $0
  ${If} $0 = ${BST_CHECKED}
    Call UseAllUsers
  ${Else}
    Call UseCurrentUser
  ${EndIf}
  Call ChooseFolder
  ${If} $PerUser = 0
  ${AndIf} $Elevated = 0
    Call StartElevatedForAnyone
    MessageBox MB_OK|MB_ICONEXCLAMATION "Installing ${PRODUCT} for anyone using this computer needs administrator rights. Choose $\"Install just for me$\" to install without them."
    Abort
  ${EndIf}
FunctionEnd

; "Run Inboxhop" on the Finish page: as the signed-in user, never with the
; installer's administrator rights, so that the program's press and its
; Default-apps page act for that user. An elevated installer hands the
; program to the running shell (Explorer), which starts it unelevated.
Function RunProgram
  ${If} $Elevated = 1
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Inboxhop.exe"'
  ${Else}
    ExecShell "" "$INSTDIR\Inboxhop.exe"
  ${EndIf}
FunctionEnd

; Notes the mode's mailto command found now, so that the uninstaller can put
; it back: once, at the first install (an upgrade keeps the first note), and
; only a command of another program (a command naming this Inboxhop.exe is
; noted as no command). Just for me, it also notes whether the user had a
; mailto class of his own.
Function SaveMailtoCommand
  ReadRegDWORD $3 SHCTX "${STATE_KEY}" "MailtoCommandSaved"
  ${If} $3 = 1
    Return
  ${EndIf}
  ${If} $PerUser = 1
    ClearErrors
    EnumRegKey $3 HKCU "${MAILTO_CLASS_KEY}" 0
    ${If} ${Errors}
      WriteRegDWORD HKCU "${STATE_KEY}" "MailtoClassMade" 1
    ${EndIf}
  ${EndIf}
  Call ReadMailtoCommand
  ${If} $1 <> ${REG_SZ}
  ${AndIf} $1 <> ${REG_EXPAND_SZ}
    StrCpy $1 0
  ${EndIf}
  ${If} $2 == '${LINK_COMMAND}'
    StrCpy $1 0
  ${EndIf}
  ${If} $1 <> 0
    WriteRegStr SHCTX "${STATE_KEY}" "MailtoCommand" $2
  ${EndIf}
  WriteRegDWORD SHCTX "${STATE_KEY}" "MailtoCommandType" $1
  WriteRegDWORD SHCTX "${STATE_KEY}" "MailtoCommandSaved" 1
FunctionEnd

; The other mode's installation folder ($0), which this one leaves alone.
!define OTHER_MODES_FOLDER_TEXT "$INSTDIR holds the other installation of ${PRODUCT} (for anyone, or just for you). Choose another folder."
Function OtherModesFolder
  ${If} $PerUser = 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
FunctionEnd

Function DirectoryPageLeave
  Call OtherModesFolder
  ${If} $0 == $INSTDIR
    MessageBox MB_OK|MB_ICONEXCLAMATION "${OTHER_MODES_FOLDER_TEXT}"
    Abort
  ${EndIf}
FunctionEnd

; What this run wrote into a folder it made, taken away again.
Function RemoveFilesWritten
  ${If} $FolderMade = 1
    Delete "$INSTDIR\Inboxhop.exe"
    Delete "$INSTDIR\HAND-M.CUR"
    Delete "$INSTDIR\InboxhopAssociations.xml"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}
FunctionEnd

Function .onInstFailed
  Call RemoveFilesWritten
FunctionEnd

; An earlier installation of the same mode in another folder goes once the
; new files are in place, so that no copy is left behind without an
; uninstall entry. When it cannot go (it is running), the install fails.
Function RemoveInstallationElsewhere
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
  ${OrIfNot} ${FileExists} "$0\Uninstall.exe"
    Return
  ${EndIf}
  StrCpy $1 "/AllUsers"
  ${If} $PerUser = 1
    StrCpy $1 "/CurrentUser"
  ${EndIf}
  ; _?= runs the uninstaller in place and waits for it; it cannot delete
  ; itself from there.
  ClearErrors
  ExecWait '"$0\Uninstall.exe" /S $1 _?=$0' $2
  ${If} ${Errors}
  ${OrIf} $2 <> 0
    !insertmacro Fail "${PRODUCT} in $0 could not be removed: close it, then install again."
  ${EndIf}
  Delete "$0\Uninstall.exe"
  RMDir "$0"
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  StrCpy $FolderMade 0
  Call OtherModesFolder
  ${If} $0 == $INSTDIR
    !insertmacro Fail "${OTHER_MODES_FOLDER_TEXT}"
  ${EndIf}

  ; The folder given, or none: never another one.
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $FolderMade 1
  ${EndIf}
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $FolderMade 0
    !insertmacro Fail "The folder $INSTDIR cannot be made. Choose another folder."
  ${EndIf}

  ; The files first: nothing is registered until they are in place.
  SetOutPath "$INSTDIR"
  File "${STAGING}/Inboxhop.exe"
  File "${STAGING}/HAND-M.CUR"
  File "${STAGING}/InboxhopAssociations.xml"
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    !insertmacro Fail "$INSTDIR\Uninstall.exe cannot be written."
  ${EndIf}

  Call RemoveInstallationElsewhere
  Call SaveMailtoCommand

  ClearErrors
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Inboxhop.exe" "" "$INSTDIR\Inboxhop.exe" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "${ICON_REFERENCE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; Just for me, the uninstaller is told so, whatever became of the entry.
  StrCpy $0 ""
  ${If} $PerUser = 1
    StrCpy $0 " /CurrentUser"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"$0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe"$0 /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${Errors}
    !insertmacro Fail "${PRODUCT}'s Start menu shortcut or its entry in Apps cannot be written."
  ${EndIf}
SectionEnd

Section "Use Inboxhop for mail links" SecMailLinks
  Call ReadMailtoCommand
  ClearErrors
  !insertmacro MailLinkView

  ; What a press of the program's push button writes, value for value: the
  ; shell's command for mail links and the mail client Inboxhop. For
  ; anyone, the command goes only where the system's key is there (the
  ; press never creates it); just for me, into a mailto class of the user's
  ; own, complete in itself, which comes before the machine's.
  ${If} $PerUser = 1
    WriteRegStr HKCU "${MAILTO_CLASS_KEY}" "" "URL:MailTo Protocol"
    WriteRegStr HKCU "${MAILTO_CLASS_KEY}" "URL Protocol" ""
    WriteRegStr HKCU "${MAILTO_COMMAND_KEY}" "" '${LINK_COMMAND}'
  ${ElseIf} $0 == "key"
    WriteRegStr HKLM "${MAILTO_COMMAND_KEY}" "" '${LINK_COMMAND}'
  ${EndIf}
  WriteRegStr SHCTX "${CLIENT_KEY}" "" "${PRODUCT}"
  WriteRegStr SHCTX "${CLIENT_KEY}\Protocols\mailto\shell\open\command" "" '${LINK_COMMAND}'
  WriteRegStr SHCTX "${CLIENT_KEY}\Shell\open\command" "" '${PLAIN_COMMAND}'

  ; The Default-apps registration, which lists Inboxhop under Default apps
  ; (Windows 10 and 11) and Default Programs (Windows 7 to 8.1): a ProgID
  ; for mail links, the client's capabilities, and its entry among the
  ; registered applications.
  WriteRegStr SHCTX "${PROGID_KEY}" "" "Inboxhop mail link"
  WriteRegStr SHCTX "${PROGID_KEY}" "FriendlyTypeName" "Inboxhop mail link"
  WriteRegDWORD SHCTX "${PROGID_KEY}" "EditFlags" 2
  WriteRegStr SHCTX "${PROGID_KEY}\DefaultIcon" "" "${ICON_REFERENCE}"
  WriteRegStr SHCTX "${PROGID_KEY}\shell\open\command" "" '${LINK_COMMAND}'
  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationName" "${PRODUCT}"
  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationDescription" \
      "Opens mail links in the web-mail service you choose."
  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationIcon" "${ICON_REFERENCE}"
  WriteRegStr SHCTX "${CAPABILITIES_KEY}\URLAssociations" "mailto" "${PROGID}"
  WriteRegStr SHCTX "${REGISTERED_APPS_KEY}" "${PRODUCT}" "${CAPABILITIES_KEY}"

  !insertmacro OwnView
  ${If} ${Errors}
    !insertmacro Fail "${PRODUCT} cannot be registered for mail links: the registry refused a key."
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its Start menu shortcut and its entry in Apps."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMailLinks} "Makes ${PRODUCT} open mail links, as its push button does, and lists it under Default apps."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The uninstaller's mode: just for me when told so, or when the user's own
; uninstall entry names this folder; otherwise for anyone, which needs
; administrator rights: the uninstaller starts itself again with them.
Function un.onInit
  Call un.ReadRights
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CurrentUser" $1
  StrCpy $1 1
  ${If} ${Errors}
    StrCpy $1 0
  ${EndIf}
  ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 = 1
  ${OrIf} $2 == $INSTDIR
    Call un.UseCurrentUser
    Return
  ${EndIf}
  Call un.UseAllUsers
  ${If} $Elevated = 0
    StrCpy $0 "/AllUsers _?=$INSTDIR"
    ${If} ${Silent}
      StrCpy $0 "/S $0"
    ${EndIf}
    Call un.StartElevated
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was installed for anyone using this computer. Removing it needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd

; In the registry view in use: the client key and the ProgID when their
; commands name this installation's Inboxhop.exe, the registered
; application's entry when the capabilities key it names has gone, and the
; registered applications' key when nothing else is left in it.
Function un.RemoveClientKeys
  ReadRegStr $0 SHCTX "${CLIENT_KEY}\Shell\open\command" ""
  ReadRegStr $1 SHCTX "${CLIENT_KEY}\Protocols\mailto\shell\open\command" ""
  ${If} $0 == '${PLAIN_COMMAND}'
  ${OrIf} $1 == '${LINK_COMMAND}'
    DeleteRegKey SHCTX "${CLIENT_KEY}"
  ${EndIf}
  ReadRegStr $0 SHCTX "${PROGID_KEY}\shell\open\command" ""
  ${If} $0 == '${LINK_COMMAND}'
    DeleteRegKey SHCTX "${PROGID_KEY}"
  ${EndIf}
  ClearErrors
  EnumRegKey $0 SHCTX "${CAPABILITIES_KEY}" 0
  ${If} ${Errors}
    ReadRegStr $0 SHCTX "${REGISTERED_APPS_KEY}" "${PRODUCT}"
    ${If} $0 == "${CAPABILITIES_KEY}"
      DeleteRegValue SHCTX "${REGISTERED_APPS_KEY}" "${PRODUCT}"
    ${EndIf}
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "${REGISTERED_APPS_KEY}"
FunctionEnd

; Removes every mail-link key that still names this installation's
; Inboxhop.exe; keys another program (or another copy of Inboxhop) has
; written since stay as they are.
Function un.RemoveMailLinkKeys
  Call un.ReadMailtoCommand
  ${If} $2 == '${LINK_COMMAND}'
    ; Back to the command noted at install time. None noted: no command,
    ; and just for me, no mailto class if the user had none before.
    ReadRegDWORD $3 SHCTX "${STATE_KEY}" "MailtoCommandType"
    ReadRegStr $4 SHCTX "${STATE_KEY}" "MailtoCommand"
    ReadRegDWORD $5 SHCTX "${STATE_KEY}" "MailtoClassMade"
    !insertmacro MailLinkView
    ${If} $3 = ${REG_SZ}
      WriteRegStr SHCTX "${MAILTO_COMMAND_KEY}" "" $4
    ${ElseIf} $3 = ${REG_EXPAND_SZ}
      WriteRegExpandStr SHCTX "${MAILTO_COMMAND_KEY}" "" $4
    ${ElseIf} $PerUser = 1
    ${AndIf} $5 = 1
      DeleteRegKey HKCU "${MAILTO_CLASS_KEY}"
    ${Else}
      DeleteRegValue SHCTX "${MAILTO_COMMAND_KEY}" ""
      ${If} $PerUser = 1
        DeleteRegKey /ifempty HKCU "${MAILTO_COMMAND_KEY}"
        DeleteRegKey /ifempty HKCU "${MAILTO_CLASS_KEY}\shell\open"
        DeleteRegKey /ifempty HKCU "${MAILTO_CLASS_KEY}\shell"
      ${EndIf}
    ${EndIf}
    !insertmacro OwnView
  ${EndIf}

  ; The client, the ProgID and the registered application: in the 64-bit
  ; view, and on 64-bit systems in the 32-bit view too, where a press of
  ; the 32-bit program lands when the system keeps the views apart (Wine
  ; does for SOFTWARE\Clients; Windows shares these keys).
  !insertmacro MailLinkView
  Call un.RemoveClientKeys
  ${If} ${RunningX64}
    SetRegView 32
    Call un.RemoveClientKeys
  ${EndIf}
  !insertmacro OwnView
  ; The user's own keys above the client, when the installer made them.
  ${If} $PerUser = 1
    DeleteRegKey /ifempty HKCU "${MAIL_CLIENTS_KEY}"
    DeleteRegKey /ifempty HKCU "${CLIENTS_KEY}"
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
FunctionEnd

Section "Uninstall"
  ; The program first: while it runs, Windows keeps it, and nothing else is
  ; removed either, so that the installation stays whole.
  ${Do}
    Delete "$INSTDIR\Inboxhop.exe"
    ${IfNot} ${FileExists} "$INSTDIR\Inboxhop.exe"
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running from $INSTDIR. Close it, then choose Retry. Cancel leaves ${PRODUCT} installed." /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${FAILED}
      Abort
    ${EndIf}
  ${Loop}

  Call un.RemoveMailLinkKeys

  Delete "$INSTDIR\HAND-M.CUR"
  Delete "$INSTDIR\InboxhopAssociations.xml"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files of the user's own (a skin) stay.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "${STATE_KEY}"
  DeleteRegKey /ifempty SHCTX "${VENDOR_KEY}"
SectionEnd
