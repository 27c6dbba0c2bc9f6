; The Inboxhop installer and uninstaller. The build's `package` target makes
; it (installer/make-setup.cmake) from the files that `cmake --install`
; stages:
;
;   makensis -DSTAGING=<staged files> -DRESOURCES=<resources folder>
;            -DOUTFILE=<setup.exe> Inboxhop.nsi
;
; It installs for every user of the machine into the 32-bit program folder,
; and can register Inboxhop for mail links exactly as a press of the
; program's push button does. Silent use: setup.exe /S [/D=<folder>] and
; Uninstall.exe /S.

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include MUI2.nsh

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
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Inboxhop"
; The installer's own notes: the mail-link command it found at install time.
!define VENDOR_KEY "SOFTWARE\Kestrelon"
!define STATE_KEY "SOFTWARE\Kestrelon\Inboxhop"
; The keys of a press of the push button.
!define MAILTO_COMMAND_KEY "SOFTWARE\Classes\mailto\shell\open\command"
!define CLIENT_KEY "SOFTWARE\Clients\Mail\Inboxhop"
; The Default-apps registration.
!define PROGID "Inboxhop.mailto"
!define PROGID_KEY "SOFTWARE\Classes\Inboxhop.mailto"
!define CAPABILITIES_KEY "SOFTWARE\Clients\Mail\Inboxhop\Capabilities"
!define REGISTERED_APPS_KEY "SOFTWARE\RegisteredApplications"

!define REG_SZ 1
!define REG_EXPAND_SZ 2
!define KEY_QUERY_VALUE 0x0001
!define KEY_WOW64_64KEY 0x0100
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION_TEXT}"

!define MUI_ICON "${RESOURCES}/inboxhop.ico"
!define MUI_UNICON "${RESOURCES}/inboxhop.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
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

; The mail-link keys are read and written where the 64-bit shell reads
; them: on 64-bit Windows, the 64-bit view of the registry, as a 32-bit
; program asking for KEY_WOW64_64KEY sees it. Since Windows 7, Windows
; shares SOFTWARE\Classes (but for its COM keys), SOFTWARE\Clients and
; SOFTWARE\RegisteredApplications between both views, so this is the key a
; 32-bit program sees anyway; Vista redirected SOFTWARE\Classes, and Wine
; redirects SOFTWARE\Clients and SOFTWARE\RegisteredApplications. The
; installer's own keys, the uninstall entry included, stay in the 32-bit
; view, as a 32-bit program's.
!macro MailLinkView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend
!macro OwnView
  SetRegView default
!macroend

; The default value of the mailto class's open command, read in the
; mail-link view: $0 is "key" when the key exists and "" when not, $1 the
; value's type (0 when there is no value), $2 its text.
!macro ReadMailtoCommand un
Function ${un}ReadMailtoCommand
  StrCpy $0 ""
  StrCpy $1 0
  StrCpy $2 ""
  StrCpy $3 ${KEY_QUERY_VALUE}
  ${If} ${RunningX64}
    IntOp $3 $3 | ${KEY_WOW64_64KEY}
  ${EndIf}
  System::Call 'advapi32::RegOpenKeyExW(p 0x80000002, w "${MAILTO_COMMAND_KEY}", i 0, i r3, *p .r4) i .r5'
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
      ReadRegStr $2 HKLM "${MAILTO_COMMAND_KEY}" ""
      !insertmacro OwnView
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ReadMailtoCommand ""
!insertmacro ReadMailtoCommand "un."

Function .onInit
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is installed for every user of this computer. Start the installer as an administrator." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
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

Function un.onInit
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was installed for every user of this computer. Start the uninstaller as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
FunctionEnd

; Notes the mailto command found now, so that the uninstaller can put it
; back: once, at the first install (an upgrade keeps the first note), and
; only a command of another program (a command naming this Inboxhop.exe is
; noted as no command).
Function SaveMailtoCommand
  ReadRegDWORD $3 HKLM "${STATE_KEY}" "MailtoCommandSaved"
  ${If} $3 = 1
    Return
  ${EndIf}
  Call ReadMailtoCommand
  ${If} $0 != "key"
    Return
  ${EndIf}
  ${If} $1 <> ${REG_SZ}
  ${AndIf} $1 <> ${REG_EXPAND_SZ}
    StrCpy $1 0
  ${EndIf}
  ${If} $2 == '${LINK_COMMAND}'
    StrCpy $1 0
  ${EndIf}
  ${If} $1 <> 0
    WriteRegStr HKLM "${STATE_KEY}" "MailtoCommand" $2
  ${EndIf}
  WriteRegDWORD HKLM "${STATE_KEY}" "MailtoCommandType" $1
  WriteRegDWORD HKLM "${STATE_KEY}" "MailtoCommandSaved" 1
FunctionEnd

; An earlier installation in another folder goes first, so that no copy is
; left behind without an uninstall entry.
Function RemoveInstallationElsewhere
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    Return
  ${EndIf}
  ${If} ${FileExists} "$0\Uninstall.exe"
    ; _?= runs the uninstaller in place and waits for it; it cannot delete
    ; itself from there.
    ExecWait '"$0\Uninstall.exe" /S _?=$0'
    Delete "$0\Uninstall.exe"
    RMDir "$0"
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call RemoveInstallationElsewhere
  Call SaveMailtoCommand

  SetOutPath "$INSTDIR"
  File "${STAGING}/Inboxhop.exe"
  File "${STAGING}/HAND-M.CUR"
  File "${STAGING}/InboxhopAssociations.xml"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Inboxhop.exe" "" "$INSTDIR\Inboxhop.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${ICON_REFERENCE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Use Inboxhop for mail links" SecMailLinks
  Call ReadMailtoCommand
  !insertmacro MailLinkView

  ; What a press of the program's push button writes, value for value: the
  ; shell's command for mail links, only where the system's key is there
  ; (the press never creates it), and the mail client Inboxhop.
  ${If} $0 == "key"
    WriteRegStr HKLM "${MAILTO_COMMAND_KEY}" "" '${LINK_COMMAND}'
  ${EndIf}
  WriteRegStr HKLM "${CLIENT_KEY}" "" "${PRODUCT}"
  WriteRegStr HKLM "${CLIENT_KEY}\Protocols\mailto\shell\open\command" "" '${LINK_COMMAND}'
  WriteRegStr HKLM "${CLIENT_KEY}\Shell\open\command" "" '${PLAIN_COMMAND}'

  ; The Default-apps registration, which lists Inboxhop under Default apps
  ; (Windows 10 and 11) and Default Programs (Windows 7 to 8.1): a ProgID
  ; for mail links, the client's capabilities, and its entry among the
  ; registered applications.
  WriteRegStr HKLM "${PROGID_KEY}" "" "Inboxhop mail link"
  WriteRegStr HKLM "${PROGID_KEY}" "FriendlyTypeName" "Inboxhop mail link"
  WriteRegDWORD HKLM "${PROGID_KEY}" "EditFlags" 2
  WriteRegStr HKLM "${PROGID_KEY}\DefaultIcon" "" "${ICON_REFERENCE}"
  WriteRegStr HKLM "${PROGID_KEY}\shell\open\command" "" '${LINK_COMMAND}'
  WriteRegStr HKLM "${CAPABILITIES_KEY}" "ApplicationName" "${PRODUCT}"
  WriteRegStr HKLM "${CAPABILITIES_KEY}" "ApplicationDescription" \
      "Opens mail links in the web-mail service you choose."
  WriteRegStr HKLM "${CAPABILITIES_KEY}" "ApplicationIcon" "${ICON_REFERENCE}"
  WriteRegStr HKLM "${CAPABILITIES_KEY}\URLAssociations" "mailto" "${PROGID}"
  WriteRegStr HKLM "${REGISTERED_APPS_KEY}" "${PRODUCT}" "${CAPABILITIES_KEY}"

  !insertmacro OwnView
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
SectionEnd

; In the registry view in use: the client key and the ProgID when their
; commands name this installation's Inboxhop.exe, and the registered
; application's entry when the capabilities key it names has gone.
Function un.RemoveClientKeys
  ReadRegStr $0 HKLM "${CLIENT_KEY}\Shell\open\command" ""
  ReadRegStr $1 HKLM "${CLIENT_KEY}\Protocols\mailto\shell\open\command" ""
  ${If} $0 == '${PLAIN_COMMAND}'
  ${OrIf} $1 == '${LINK_COMMAND}'
    DeleteRegKey HKLM "${CLIENT_KEY}"
  ${EndIf}
  ReadRegStr $0 HKLM "${PROGID_KEY}\shell\open\command" ""
  ${If} $0 == '${LINK_COMMAND}'
    DeleteRegKey HKLM "${PROGID_KEY}"
  ${EndIf}
  ClearErrors
  EnumRegKey $0 HKLM "${CAPABILITIES_KEY}" 0
  ${If} ${Errors}
    ReadRegStr $0 HKLM "${REGISTERED_APPS_KEY}" "${PRODUCT}"
    ${If} $0 == "${CAPABILITIES_KEY}"
      DeleteRegValue HKLM "${REGISTERED_APPS_KEY}" "${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Removes every mail-link key that still names this installation's
; Inboxhop.exe; keys another program (or another copy of Inboxhop) has
; written since stay as they are.
Function un.RemoveMailLinkKeys
  Call un.ReadMailtoCommand
  ${If} $2 == '${LINK_COMMAND}'
    ; Back to the command noted at install time; none noted: no command.
    ReadRegDWORD $3 HKLM "${STATE_KEY}" "MailtoCommandType"
    ReadRegStr $4 HKLM "${STATE_KEY}" "MailtoCommand"
    !insertmacro MailLinkView
    ${If} $3 = ${REG_SZ}
      WriteRegStr HKLM "${MAILTO_COMMAND_KEY}" "" $4
    ${ElseIf} $3 = ${REG_EXPAND_SZ}
      WriteRegExpandStr HKLM "${MAILTO_COMMAND_KEY}" "" $4
    ${Else}
      DeleteRegValue HKLM "${MAILTO_COMMAND_KEY}" ""
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
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
FunctionEnd

Section "Uninstall"
  Call un.RemoveMailLinkKeys

  Delete "$INSTDIR\Inboxhop.exe"
  Delete "$INSTDIR\HAND-M.CUR"
  Delete "$INSTDIR\InboxhopAssociations.xml"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files of the user's own (a skin) stay.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${STATE_KEY}"
  DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
SectionEnd
