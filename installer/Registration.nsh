; Generated from src/mail_links/registration_table.inc, the registration's one table,
; by installer/registration_includes.cpp (build/native/registration_includes installer): do not edit.
; What a press of the program's push button writes, for installer/Inboxhop.nsi,
; which defines PROGRAM_PATH, the installed Inboxhop.exe, before it includes
; this. Each macro writes its rows in the order of the press.
!ifndef PROGRAM_PATH
  !error "Registration.nsh needs PROGRAM_PATH, the installed program's full path"
!endif

!define MAILTO_COMMAND_KEY "SOFTWARE\Classes\mailto\shell\open\command"
!define MAILTO_CLASS_KEY "SOFTWARE\Classes\mailto"
!define MAIL_CLIENTS_KEY "SOFTWARE\Clients\Mail"
!define CLIENT_KEY "SOFTWARE\Clients\Mail\Inboxhop"
!define CLIENT_PROTOCOL_COMMAND_KEY "SOFTWARE\Clients\Mail\Inboxhop\Protocols\mailto\shell\open\command"
!define CLIENT_SHELL_COMMAND_KEY "SOFTWARE\Clients\Mail\Inboxhop\Shell\open\command"
!define PROG_ID_KEY "SOFTWARE\Classes\Inboxhop.mailto"
!define PROG_ID_ICON_KEY "SOFTWARE\Classes\Inboxhop.mailto\DefaultIcon"
!define PROG_ID_COMMAND_KEY "SOFTWARE\Classes\Inboxhop.mailto\shell\open\command"
!define CAPABILITIES_KEY "SOFTWARE\Clients\Mail\Inboxhop\Capabilities"
!define URL_ASSOCIATIONS_KEY "SOFTWARE\Clients\Mail\Inboxhop\Capabilities\URLAssociations"
!define REGISTERED_APPLICATIONS_KEY "SOFTWARE\RegisteredApplications"
!define VENDOR_KEY "SOFTWARE\Kestrelon"
!define RECORD_KEY "SOFTWARE\Kestrelon\Inboxhop"
!define MAILTO_CLASS_NAME "URL:MailTo Protocol"
!define PROG_ID "Inboxhop.mailto"
!define PROG_ID_NAME "Inboxhop mail link"
!define APPLICATION_DESCRIPTION "Opens mail links in the web-mail service you choose."
!define REGISTERED_APPLICATION_NAME "Inboxhop"
!define RECORD_COMMAND "MailtoCommand"
!define RECORD_COMMAND_TYPE "MailtoCommandType"
!define RECORD_SAVED "MailtoCommandSaved"
!define LINK_COMMAND '"${PROGRAM_PATH}" "%1"'
!define PLAIN_COMMAND '"${PROGRAM_PATH}"'
!define ICON_PATH "${PROGRAM_PATH},0"

; The rows of the current user's registration alone.
!macro WriteUserOnlyRows
  WriteRegStr HKCU "SOFTWARE\Classes\mailto" "" "URL:MailTo Protocol"
  WriteRegStr HKCU "SOFTWARE\Classes\mailto" "URL Protocol" ""
!macroend

; The rows that write into a key the machine-wide registration never creates:
; it must be there already.
!macro WriteRowsIntoExistingKeys ROOT
  WriteRegStr ${ROOT} "SOFTWARE\Classes\mailto\shell\open\command" "" '"${PROGRAM_PATH}" "%1"'
!macroend

; Every other row: the keys the registration makes, and their values.
!macro WriteRowsOfOwnKeys ROOT
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop" "" "Inboxhop"
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Protocols\mailto\shell\open\command" "" '"${PROGRAM_PATH}" "%1"'
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Shell\open\command" "" '"${PROGRAM_PATH}"'
  WriteRegStr ${ROOT} "SOFTWARE\Classes\Inboxhop.mailto" "" "Inboxhop mail link"
  WriteRegStr ${ROOT} "SOFTWARE\Classes\Inboxhop.mailto" "FriendlyTypeName" "Inboxhop mail link"
  WriteRegDWORD ${ROOT} "SOFTWARE\Classes\Inboxhop.mailto" "EditFlags" 2
  WriteRegStr ${ROOT} "SOFTWARE\Classes\Inboxhop.mailto\DefaultIcon" "" "${PROGRAM_PATH},0"
  WriteRegStr ${ROOT} "SOFTWARE\Classes\Inboxhop.mailto\shell\open\command" "" '"${PROGRAM_PATH}" "%1"'
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Capabilities" "ApplicationName" "Inboxhop"
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Capabilities" "ApplicationDescription" "Opens mail links in the web-mail service you choose."
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Capabilities" "ApplicationIcon" "${PROGRAM_PATH},0"
  WriteRegStr ${ROOT} "SOFTWARE\Clients\Mail\Inboxhop\Capabilities\URLAssociations" "mailto" "Inboxhop.mailto"
  WriteRegStr ${ROOT} "SOFTWARE\RegisteredApplications" "Inboxhop" "SOFTWARE\Clients\Mail\Inboxhop\Capabilities"
!macroend
