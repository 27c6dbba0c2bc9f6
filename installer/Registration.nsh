; Generated from src/mail_links/registration_table.inc, the registration's one table,
; by installer/registration_includes.cpp (build/native/registration_includes installer): do not edit.
; The registration's names, for installer/Inboxhop.nsi, which defines
; PROGRAM_PATH, the installed Inboxhop.exe, before it includes this. What
; the registration writes, the installer leaves to RestoreMailLinks.dll.
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
!define CLASS_NOTES_SAVED "MailtoClassSaved"
!define CLASS_MADE "MailtoClassMade"
!define CLASS_NAME_MADE "MailtoClassNameMade"
!define URL_PROTOCOL_MADE "MailtoUrlProtocolMade"
!define URL_PROTOCOL_VALUE "URL Protocol"
!define LINK_COMMAND '"${PROGRAM_PATH}" "%1"'
!define PLAIN_COMMAND '"${PROGRAM_PATH}"'
!define ICON_PATH "${PROGRAM_PATH},0"
