; The Inboxhop installer and uninstaller. The build's `package` target makes
; it (installer/make-setup.cmake) from the files that `cmake --install`
; stages:
;
;   makensis -DSTAGING=<staged files> -DRESOURCES=<resources folder>
;            -DOUTFILE=<setup.exe> Inboxhop.nsi
;
; It installs for anyone using this computer or just for the user who runs
; it (InstallMode.nsh). "Use Inboxhop for mail links" writes exactly what a
; press of the program's set-up button writes, under HKEY_LOCAL_MACHINE or
; for the current user: the program's own registration, applied and removed
; by RestoreMailLinks.dll, all or nothing.
; Silent use: setup.exe /S [/AllUsers | /CurrentUser] [/MAILLINKS=0|1]
; [/D=<folder>] and Uninstall.exe /S.

Unicode true
; Signed when the build signs: make-setup.cmake passes the script that signs
; a file (SIGN_SCRIPT, run by SIGN_CMAKE), which makensis runs on the
; uninstaller it makes and on the installer; a failed signature fails the
; build.
!ifdef SIGN_SCRIPT
  !uninstfinalize '"${SIGN_CMAKE}" -DNAME=Uninstall.exe "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
  !finalize '"${SIGN_CMAKE}" "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
!endif
; Elevation is asked for only when the machine-wide mode is chosen
; (InstallMode.nsh), so that "just for me" needs no administrator rights.
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A file that cannot be written offers Retry and Cancel only, and silently
; cancels: the install fails instead of going on without the file.
AllowSkipFiles off

!include LogicLib.nsh
!include Sections.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinCore.nsh
!include Integration.nsh
!include MUI2.nsh

; The product's facts, the program's own (generated from src/base/product.h
; and resources/version.h): PRODUCT, PUBLISHER, PROGRAM_FILE, the version
; (VERSION_TEXT, VERSION_MAJOR, ...), the Windows Installer package's upgrade
; code (MSI_UPGRADE_CODE), and UNINSTALL_KEY, the Apps entry, in the mode's
; root: HKEY_LOCAL_MACHINE for anyone, HKEY_CURRENT_USER just for me (SHCTX,
; which follows SetShellVarContext).
!include Product.nsh
; The exit code of every failure of this script's own.
!define FAILED 2

; The names of a press's registration, for the program installed here: its
; keys and its commands (ICON_PATH, ...).
!define PROGRAM_PATH "$INSTDIR\${PROGRAM_FILE}"
!include Registration.nsh

; The mail-link registration, its record and its undo are the program's own,
; in RestoreMailLinks.dll (installer/mail_links_action_win.cpp), which the
; Windows Installer package uses too: unpacked into $PLUGINSDIR and called
; through the System plug-in, which unloads it after each call (?u) so that
; the plug-ins folder can be deleted. Each call answers 1 when it did its
; work, and a line for the details; a DLL that cannot be loaded answers
; "error", and the install or removal fails before it changes anything.
!define MAIL_LINKS_DLL "$PLUGINSDIR\RestoreMailLinks.dll"
!define MAIL_LINKS_DLL_MISSING "RestoreMailLinks.dll, which ${PRODUCT}'s installer and uninstaller need, cannot be loaded (a security policy or an antivirus may block it). Nothing was changed."
!macro MailLinksDll un
Function ${un}UnpackMailLinksDll
  InitPluginsDir
  ${IfNot} ${FileExists} "${MAIL_LINKS_DLL}"
    File "/oname=${MAIL_LINKS_DLL}" "${STAGING}/RestoreMailLinks.dll"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro MailLinksDll ""
!insertmacro MailLinksDll "un."

; The folder in $0 in its full form: "\\", "\.\" and a trailing "\" go, so
; that it is the folder the installed program reports as its own. The first
; call of the DLL: one that cannot be loaded ends the installer here.
Function FullFolderPath
  Call UnpackMailLinksDll
  System::Call '${MAIL_LINKS_DLL}::FullFolderPathFor(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2 ?u'
  ${If} $2 == "error"
    MessageBox MB_OK|MB_ICONSTOP "${MAIL_LINKS_DLL_MISSING}" /SD IDOK
    SetErrorLevel ${FAILED}
    Quit
  ${EndIf}
  ${If} $2 = 1
  ${AndIf} $1 != ""
    StrCpy $0 $1
  ${EndIf}
FunctionEnd
Function FullInstallFolder
  StrCpy $0 $INSTDIR
  Call FullFolderPath
  StrCpy $INSTDIR $0
FunctionEnd
!include InstallMode.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; No InstallDir: the folder depends on the mode (ChooseFolder), and an
; empty $INSTDIR in .onInit tells that /D= was not given.
; One version text wherever the installer shows it and in every Apps entry:
; the one Windows Installer shows for the MSI package (major.minor.patch).
!define VERSION_SHOWN "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}"
BrandingText "${PRODUCT} ${VERSION_SHOWN}"

; 1 when this run made the program folder, the Start menu shortcut, the
; Apps entry: a failed install removes what it made.
Var FolderMade
Var ShortcutMade
Var AppsEntryMade

!define MUI_ICON "${RESOURCES}/inboxhop.ico"
!define MUI_UNICON "${RESOURCES}/inboxhop.ico"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
; Inboxhop's own picture on the Welcome and Finish pages (drawn by
; tools/draw_art.py from resources/art/welcome.art).
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RESOURCES}/welcome.bmp"
; The components list as wide as the page, its descriptions below it, so
; that each option shows whole.
!define MUI_COMPONENTSPAGE_SMALLDESC
; The Welcome and Finish pages and the header in the scheme's window colours,
; so that a high-contrast scheme is followed there too (installer/PageColours.nsh
; does the other texts).
!define MUI_BGCOLOR SYSCLR:WINDOW
!define MUI_TEXTCOLOR SYSCLR:WINDOWTEXT
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!include PageColours.nsh
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

; Ends the install or uninstall with a message (silently: without one) and
; a non-zero exit code.
!macro Fail message
  MessageBox MB_OK|MB_ICONSTOP "${message}" /SD IDOK
  SetErrorLevel ${FAILED}
  Abort
!macroend

Function .onInit
  Call MailLinksOption
  Call InstallModeInit
  Call FullInstallFolder
  ; One program, one owner of its files and keys: not over an installation
  ; of the MSI package, whose removal would take this one's files away.
  System::Call 'msi::MsiEnumRelatedProductsW(w "{${MSI_UPGRADE_CODE}}", i 0, i 0, w .r1) i .r0'
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is already installed on this computer by its Windows Installer package (MSI). Uninstall that installation first (Apps > ${PRODUCT}), or upgrade it with a newer MSI package." /SD IDOK
    SetErrorLevel ${ERROR_PRODUCT_VERSION}
    Quit
  ${EndIf}
FunctionEnd

; "Run Inboxhop" on the Finish page: as the signed-in user, never with the
; installer's administrator rights, so that the program's press and its
; Default-apps page act for that user. An elevated installer hands the
; program to the running shell (Explorer), which starts it unelevated.
Function RunProgram
  ${If} $Elevated = 1
    Exec '"$WINDIR\explorer.exe" "${PROGRAM_PATH}"'
  ${Else}
    ExecShell "" "${PROGRAM_PATH}"
  ${EndIf}
FunctionEnd

; The Apps entry's uninstall commands, $0 and $1 (silent), such that whoever
; runs them gets the uninstaller's exit code when everything is done. Started
; plainly, an NSIS uninstaller copies itself to the temporary folder, starts
; the copy and returns 0 at once; run in place (_?=), it waits but cannot
; delete itself or its folder. So the command makes the copy itself, with the
; system's command processor, in the temporary folder, runs the copy in place
; and waits: the copy removes everything, Uninstall.exe and the folder
; included. Then the command deletes the copy and ends with the copy's exit
; code: 0, 1, 2 (nothing removed: Inboxhop runs, or its mail links could not
; be removed) or 740 (administrator rights needed), told apart with "if
; errorlevel", as deleting may reset the code. A copy that crashed ends with
; a negative code, which no "if errorlevel 1" catches: it ends the command
; with 2. Just for me, the uninstaller is told so, whatever became of the
; entry; each mode's copy has its own name.
;
; The folder's name may hold what the command processor reads as its own.
; Inside quotes (the copy's source) only % matters; outside (after _?=, which
; takes the folder unquoted) & ^ ( ) are escaped with ^. ! is a letter, as
; delayed expansion is off (/v:off). A % cannot be escaped on a command line,
; but a %name% whose name nobody has defined is left as it is: the %TEMP%
; that must be expanded comes first, each % of the name is written "%"
; inside quotes and ^% outside, so that every name between two of them holds
; a quote or a caret, and an odd count in the source is made even (a
; harmless set), so that no such name runs from the source into _?=.
Function UninstallCommands
  StrCpy $2 "${PRODUCT}-uninstall.exe"
  StrCpy $3 ""
  ${If} $PerUser = 1
    StrCpy $2 "${PRODUCT}-uninstall-user.exe"
    StrCpy $3 " /CurrentUser"
  ${EndIf}
  StrCpy $4 ""  ; the folder, unquoted
  StrCpy $7 ""  ; the folder, inside quotes
  StrCpy $8 ""  ; the set that makes the count of % in the source even
  StrCpy $5 0
  ${Do}
    StrCpy $6 $INSTDIR 1 $5
    ${If} $6 == ""
      ${Break}
    ${EndIf}
    ${If} $6 == "%"
      StrCpy $4 "$4^%"
      StrCpy $7 '$7"%"'
      ${If} $8 == ""
        StrCpy $8 " && set INBOXHOP_PERCENT=^%"
      ${Else}
        StrCpy $8 ""
      ${EndIf}
    ${Else}
      ${If} $6 == "&"
      ${OrIf} $6 == "^"
      ${OrIf} $6 == "("
      ${OrIf} $6 == ")"
        StrCpy $4 "$4^"
      ${EndIf}
      StrCpy $4 "$4$6"
      StrCpy $7 "$7$6"
    ${EndIf}
    IntOp $5 $5 + 1
  ${Loop}
  StrCpy $5 '"$SYSDIR\cmd.exe" /d /v:off /c cd /d "%TEMP%" && copy /b /y "$7\Uninstall.exe" $2 >nul$8 && .\$2$3'
  StrCpy $6 'del /f /q .\$2 >nul 2>&1'
  StrCpy $6 '& (if not errorlevel 0 ($6& exit 2))& (if errorlevel 740 ($6& exit 740))& (if errorlevel 2 ($6& exit 2))& (if errorlevel 1 ($6& exit 1))& $6& exit 0'
  StrCpy $0 '$5 _?=$4$6'
  StrCpy $1 '$5 /S _?=$4$6'
FunctionEnd

; Whether $INSTDIR may take this installation: $0 is "" when it may, else
; the message saying why not. Not a folder whose name holds a % (the shell
; could read the mail-link command there as naming another folder), nor the
; other mode's installation folder, however it is spelled (the DLL compares
; the folders themselves).
Function CheckInstallFolder
  ${If} $PerUser = 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  Call UnpackMailLinksDll
  System::Call '${MAIL_LINKS_DLL}::CheckInstallFolder(w "$INSTDIR", w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2 ?u'
  StrCpy $0 ""
  ${If} $2 == "error"
    StrCpy $0 "${MAIL_LINKS_DLL_MISSING}"
  ${ElseIf} $2 <> 1
    StrCpy $0 $1
  ${EndIf}
FunctionEnd

Function DirectoryPageLeave
  Call FullInstallFolder
  Call CheckInstallFolder
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$0"
    Abort
  ${EndIf}
  ; The folder is tried now, while the user can still choose another.
  Call TryFolder
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$0"
    Abort
  ${EndIf}
FunctionEnd

; Whether $INSTDIR can be made and written: $0 is "" when it can, else the
; message saying why not. Leaves nothing behind: the folders it made for the
; test go again, and so does its test file.
Function TryFolder
  StrCpy $0 ""
  ; The nearest folder above that is there already: what the test made is
  ; below it.
  StrCpy $1 $INSTDIR
  ${DoUntil} ${FileExists} "$1\*.*"
    ${GetParent} $1 $2
    ${If} $2 == $1
    ${OrIf} $2 == ""
      ${Break}
    ${EndIf}
    StrCpy $1 $2
  ${Loop}
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $0 "The folder $INSTDIR cannot be made. Choose another folder."
  ${Else}
    ClearErrors
    FileOpen $2 "$INSTDIR\${PRODUCT}-setup.tmp" w
    ${If} ${Errors}
      StrCpy $0 "The folder $INSTDIR cannot be written. Choose another folder."
    ${Else}
      FileClose $2
      Delete "$INSTDIR\${PRODUCT}-setup.tmp"
    ${EndIf}
  ${EndIf}
  ; Only empty folders go: never a folder that was there.
  StrCpy $2 $INSTDIR
  ${Do}
    ${If} $2 == $1
    ${OrIf} $2 == ""
      ${Break}
    ${EndIf}
    RMDir $2
    ${GetParent} $2 $2
  ${Loop}
FunctionEnd

; What this run made, taken away again: the shortcut and the Apps entry it
; made, and what it wrote into a folder it made. (The mail-link registration
; takes back its own changes when it fails.)
Function RemoveFilesWritten
  ; Out of the folder first: the working folder cannot be removed.
  SetOutPath "$TEMP"
  ${If} $ShortcutMade = 1
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ${EndIf}
  ${If} $AppsEntryMade = 1
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}
  ${If} $FolderMade = 1
    Delete "${PROGRAM_PATH}"
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
  ; (An older installer kept the folder as /D= gave it.)
  ${If} $0 != ""
    Call FullFolderPath
  ${EndIf}
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
  StrCpy $ShortcutMade 0
  StrCpy $AppsEntryMade 0
  Call CheckInstallFolder
  ${If} $0 != ""
    !insertmacro Fail "$0"
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
  File "${STAGING}/${PROGRAM_FILE}"
  File "${STAGING}/HAND-M.CUR"
  File "${STAGING}/InboxhopAssociations.xml"
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    !insertmacro Fail "$INSTDIR\Uninstall.exe cannot be written."
  ${EndIf}

  Call RemoveInstallationElsewhere

  ${IfNot} ${FileExists} "$SMPROGRAMS\${PRODUCT}.lnk"
    StrCpy $ShortcutMade 1
  ${EndIf}
  ClearErrors
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "DisplayName"
  ${If} ${Errors}
    StrCpy $AppsEntryMade 1
  ${EndIf}
  ClearErrors
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "${PROGRAM_PATH}" "" "${PROGRAM_PATH}" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_SHOWN}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "${ICON_PATH}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  Call UninstallCommands
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" $0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" $1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${Errors}
    !insertmacro Fail "${PRODUCT}'s Start menu shortcut or its entry in Apps cannot be written."
  ${EndIf}
SectionEnd

Section "Use ${PRODUCT} for mail links" SecMailLinks
  ; What a press of the program's set-up button writes, value for value, as
  ; one transaction that puts back everything it wrote when any key is
  ; refused: the record of the mailto command it replaces, the shell's
  ; command for mail links and the mail client Inboxhop, and the Default-apps
  ; registration, which lists Inboxhop under Default apps (Windows 10 and 11)
  ; and Default Programs (Windows 7 to 8.1). For anyone, the command goes
  ; only where the system's key is there (the press never creates it); just
  ; for me, into a mailto class of the user's own, complete in itself, which
  ; comes before the machine's.
  Call UnpackMailLinksDll
  System::Call '${MAIL_LINKS_DLL}::ApplyMailLinksIn(p $ModeRoot, w "$INSTDIR", w .r1, i ${NSIS_MAX_STRLEN}) i .r0 ?u'
  ${If} $0 == "error"
    StrCpy $1 "${MAIL_LINKS_DLL_MISSING}"
  ${EndIf}
  DetailPrint "Mail links: $1"
  ${If} $0 <> 1
    !insertmacro Fail "${PRODUCT} cannot be registered for mail links: $1."
  ${EndIf}
  ${NotifyShell_AssocChanged}
SectionEnd

; /MAILLINKS=0 turns "Use Inboxhop for mail links" off, as the MSI's
; MAILLINKS=0 does: the program and its shortcut, no mail-link registration.
; /MAILLINKS=1, the default, leaves it on. Any other value ends the installer
; before anything is installed or elevated.
Function MailLinksOption
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/MAILLINKS=" $1
  ${If} ${Errors}
    Return
  ${EndIf}
  ${If} $1 == "0"
    !insertmacro UnselectSection ${SecMailLinks}
  ${ElseIf} $1 != "1"
    MessageBox MB_OK|MB_ICONSTOP "/MAILLINKS= must be 0 or 1; it was $1." /SD IDOK
    SetErrorLevel ${FAILED}
    Quit
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its Start menu shortcut and its entry in Apps."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMailLinks} "Makes ${PRODUCT} open mail links, as its push button does, and lists it under Default apps."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  Call un.InstallModeInit
FunctionEnd

; Gives the mail links back, all or nothing (the DLL: the recorded command
; while its program is there, else no command; away with every Default-apps
; key that names this installation's program and with what the registration
; added to the user's mailto class; the record's fate; for anyone, the
; uninstalling user's own registration too). $0 is 1 when it did.
Function un.RemoveMailLinks
  Call un.UnpackMailLinksDll
  System::Call '${MAIL_LINKS_DLL}::RemoveMailLinksIn(p $ModeRoot, w "$INSTDIR", w .r1, i ${NSIS_MAX_STRLEN}) i .r0 ?u'
  ${If} $0 == "error"
    StrCpy $1 "${MAIL_LINKS_DLL_MISSING}"
  ${EndIf}
  DetailPrint "Mail links: $1"
  ${NotifyShell_AssocChanged}
FunctionEnd

Section "Uninstall"
  ; The program first: while it runs, Windows keeps it, and nothing else is
  ; removed either, so that the installation stays whole. A copy is kept
  ; until the mail links are removed, so that an installation whose mail
  ; links cannot be removed stays whole too, for another try.
  InitPluginsDir
  CopyFiles /SILENT "${PROGRAM_PATH}" "$PLUGINSDIR\${PROGRAM_FILE}"
  ${Do}
    Delete "${PROGRAM_PATH}"
    ${IfNot} ${FileExists} "${PROGRAM_PATH}"
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running from $INSTDIR. Close it, then choose Retry. Cancel leaves ${PRODUCT} installed." /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${FAILED}
      Abort
    ${EndIf}
  ${Loop}

  Call un.RemoveMailLinks
  ${If} $0 <> 1
    CopyFiles /SILENT "$PLUGINSDIR\${PROGRAM_FILE}" "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} stays installed: $1." /SD IDOK
    SetErrorLevel ${FAILED}
    Abort
  ${EndIf}

  Delete "$INSTDIR\HAND-M.CUR"
  Delete "$INSTDIR\InboxhopAssociations.xml"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files of the user's own (a skin) stay.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
