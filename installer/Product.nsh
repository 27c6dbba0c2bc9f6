; Generated from src/base/product.h and resources/version.h, the product's facts,
; by installer/registration_includes.cpp (build/native/registration_includes installer): do not edit.
; The product's name, maker, file, Apps entry, upgrade code and version, for
; installer/Inboxhop.nsi.
!define PRODUCT "Inboxhop"
!define PUBLISHER "Kestrelon"
!define PROGRAM_FILE "Inboxhop.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Inboxhop"
!define MSI_UPGRADE_CODE "87F4A592-6890-4CA0-8B31-AB0610198CFC"
!define VERSION_TEXT "7.00"
!define VERSION_MAJOR "7"
!define VERSION_MINOR "0"
!define VERSION_PATCH "0"
!define VERSION_BUILD "0"
!define SERVICE_NAMES "Gmail, Yahoo! Mail, Windows Live Hotmail or AOL Mail"
