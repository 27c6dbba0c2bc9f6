; The two modes of installer/Inboxhop.nsi and how one is chosen: for anyone
; using this computer (HKEY_LOCAL_MACHINE, all users' shell folders, the
; 32-bit program folder; administrator rights) or just for me
; (HKEY_CURRENT_USER, the user's own, %LOCALAPPDATA%\Programs; none). The
; installer starts without administrator rights and starts itself again with
; them (Windows' prompt) only when the mode for anyone is chosen; NSIS's
; MultiUser.nsh would ask for them at start, whatever the mode.
;
; The including script defines PRODUCT and UNINSTALL_KEY (the Apps entry in
; the mode's root), calls InstallModeInit from .onInit and
; un.InstallModeInit from un.onInit, and shows Page custom ModePage
; ModePageLeave. Then: $PerUser (1 just for me), $ModeRoot (the mode's root
; as a handle, for System calls), SHCTX and the shell folders follow the
; mode; $Elevated is 1 with administrator rights; $INSTDIR is /D='s folder,
; the mode's earlier installation's or its default.

!include LogicLib.nsh
!include FileFunc.nsh
!include WinCore.nsh
!include MUI2.nsh
!include nsDialogs.nsh

Var PerUser
Var ModeRoot
Var Elevated
; 1 when the mode came from the command line or from the rights the user
; has: the mode page is not shown.
Var ModeFixed
; 1 when the folder came from /D= and no default may replace it.
Var FolderGiven
Var AllUsersButton

; ShellExecuteEx's structure and flags, which no NSIS header has: neither
; ExecShellWait nor a plug-in of NSIS 3.08 hands back the exit code of the
; program it started, and the elevated installer's exit code is this one's.
!define SEE_MASK_NOCLOSEPROCESS 0x40
!define SEE_MASK_NOASYNC 0x100
; cbSize, fMask, hwnd, lpVerb, lpFile, lpParameters, lpDirectory, nShow,
; hInstApp, lpIDList, lpClass, hkeyClass, dwHotKey, hIcon, hProcess.
!define SYSSTRUCT_SHELLEXECUTEINFO (&l4,i,p,w,w,w,w,i,p,p,p,p,i,p,p)

!macro InstallModeFunctions un
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
  System::Call '*${SYSSTRUCT_SHELLEXECUTEINFO}(, ${SEE_MASK_NOCLOSEPROCESS}|${SEE_MASK_NOASYNC}, $HWNDPARENT, "runas", "$EXEPATH", "$0", , ${SW_SHOWNORMAL}) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
  System::Call '*$1${SYSSTRUCT_SHELLEXECUTEINFO}(,,,,,,,,,,,,,, .r3)'
  System::Free $1
  ${If} $2 = 0
  ${OrIf} $3 = 0
    Return
  ${EndIf}
  HideWindow
  System::Call 'kernel32::WaitForSingleObject(p r3, i ${INFINITE})'
  System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4)'
  System::Call 'kernel32::CloseHandle(p r3)'
  SetErrorLevel $4
  Quit
FunctionEnd
!macroend
!insertmacro InstallModeFunctions ""
!insertmacro InstallModeFunctions "un."

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
      ; An empty /D= (a script's empty variable) names no folder: an error,
      ; never the default folder.
      ${If} $1 == ""
        MessageBox MB_OK|MB_ICONSTOP "/D= names no folder. Give the folder after it, or leave /D= out." /SD IDOK
        SetErrorLevel ${FAILED}
        Abort
      ${EndIf}
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

; This installer again, with administrator rights, for anyone; silent when
; this one is, with the /MAILLINKS= this one was given, into the folder /D=
; named.
Function StartElevatedForAnyone
  StrCpy $0 "/AllUsers"
  ${If} ${Silent}
    StrCpy $0 "/S $0"
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/MAILLINKS=" $2
  ${IfNot} ${Errors}
    StrCpy $0 "$0 /MAILLINKS=$2"
  ${EndIf}
  ${If} $FolderGiven = 1
    StrCpy $0 "$0 /D=$INSTDIR"
  ${EndIf}
  Call StartElevated
FunctionEnd

; The mode: /AllUsers or /CurrentUser; without either, an administrator's is
; for anyone, as it always was (interactively, the mode page asks), and a
; user without administrator rights installs just for themselves, unasked.
; For anyone, chosen on the command line or silently, without administrator
; rights: the prompt now.
Function InstallModeInit
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

  ${If} $PerUser = 0
  ${AndIf} $Elevated = 0
  ${AndIf} $ModeFixed = 1
    Call StartElevatedForAnyone
    MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for anyone using this computer needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
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

; The uninstaller's mode: just for me when told so, or when the user's own
; uninstall entry names this folder; otherwise for anyone, which needs
; administrator rights: the uninstaller starts itself again with them.
Function un.InstallModeInit
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
